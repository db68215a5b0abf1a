#include "crypto/random.h"

#include <openssl/rand.h>

#include "base/secure_memory.h"

namespace korvaden {

SystemRandom::~SystemRandom() { Cleanse(pool_.data(), pool_.size()); }

std::uint8_t SystemRandom::RandomNumber() {
  if (next_ == pool_.size()) {
    if (RAND_bytes(pool_.data(), static_cast<int>(pool_.size())) != 1) {
      failed_ = true;
      Cleanse(pool_.data(), pool_.size());
      return 0;
    }
    next_ = 0;
  }
  const std::uint8_t value = pool_[next_];
  pool_[next_++] = 0;
  return value;
}

}  // namespace korvaden
