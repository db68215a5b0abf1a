#pragma once
// The library's cryptographic generator behind the random source.
#include "base/random_source.h"

namespace korvaden {

// Draws 16 bytes and keeps the last.
class SystemRandom final : public RandomSource {
 public:
  std::uint8_t RandomNumber() override;
  bool Failed() const override { return failed_; }

 private:
  bool failed_ = false;
};

}  // namespace korvaden
