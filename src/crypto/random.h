#pragma once
// The library's cryptographic generator behind the random source.
#include <array>
#include <cstdint>

#include "base/random_source.h"

namespace korvaden {

// Hands out the bytes of a small pool that one RAND_bytes call refills; each
// byte is wiped from the pool as it is handed out. A refill that fails gives 0
// and makes Failed() true for good.
class SystemRandom final : public RandomSource {
 public:
  SystemRandom() = default;
  ~SystemRandom() override;
  SystemRandom(const SystemRandom&) = delete;
  SystemRandom& operator=(const SystemRandom&) = delete;

  std::uint8_t RandomNumber() override;
  bool Failed() const override { return failed_; }

 private:
  std::array<std::uint8_t, 64> pool_{};
  std::size_t next_ = pool_.size();
  bool failed_ = false;
};

}  // namespace korvaden
