#include "crypto/random.h"

#include <openssl/rand.h>

#include "base/secure_memory.h"

namespace korvaden {

std::uint8_t SystemRandom::RandomNumber() {
  std::uint8_t drawn[16] = {};
  const bool drawnWell = RAND_bytes(drawn, sizeof(drawn)) == 1;
  failed_ = failed_ || !drawnWell;
  const std::uint8_t value = drawnWell ? drawn[15] : 0;
  Cleanse(drawn, sizeof(drawn));
  return value;
}

}  // namespace korvaden
