#pragma once
// CVKB: the shuffled keypad behind a PIN pad's ten digit buttons. It decides
// which digit each key position shows and turns every key press into an opaque
// token, so that a typed password exists only as tokens until it is decoded.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/random_source.h"
#include "base/secure_memory.h"

namespace korvaden {

inline constexpr std::size_t kKeypadPositions = 10;
inline constexpr std::size_t kTokenLength = 16;

class CVKB {
 public:
  // Draws the token IV and key (each byte one RandomNumber).
  explicit CVKB(RandomSource& random);
  CVKB(const CVKB&) = delete;
  CVKB& operator=(const CVKB&) = delete;
  virtual ~CVKB();

  // Draws the shown table and the four permutations, and builds the tokens.
  void Shuffle();
  std::string TokenAt(std::size_t position) const;
  char DigitAt(std::size_t position) const;
  // One digit per whole token of this keypad, the digit shown at its position;
  // a token of another keypad, or no token at all, gives nothing.
  SecureString DecodeTokens(std::string_view tokens) const;

 private:
  RandomSource& random_;
  std::array<std::array<char, kKeypadPositions>, 4> tables_{};
  std::uint32_t shownTable_ = 0;
  std::array<std::uint8_t, 16> tokenKey_{};
  std::array<std::uint8_t, 8> tokenIv_{};
  std::array<std::string, kKeypadPositions> tokens_;
};

}  // namespace korvaden
