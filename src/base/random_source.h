#pragma once
// The random source of session keys, shuffled keypads and the verification
// image. Tests put a scripted source in its place.
#include <cstdint>

namespace korvaden {

class RandomSource {
 public:
  virtual ~RandomSource() = default;
  // A number from 0 to 255; 0 when the generator fails.
  virtual std::uint8_t RandomNumber() = 0;
  // True once a draw has failed: a key, keypad or code drawn since is
  // predictable and must not be used.
  virtual bool Failed() const = 0;
};

}  // namespace korvaden
