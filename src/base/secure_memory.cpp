#include "base/secure_memory.h"

#include <openssl/crypto.h>

namespace korvaden {

void Cleanse(void* data, std::size_t size) {
  if (data != nullptr && size != 0) OPENSSL_cleanse(data, size);
}

}  // namespace korvaden
