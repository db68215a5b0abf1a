#include "ui/verification_code.h"

#include <algorithm>

namespace korvaden {

char DrawUnusedDigit(RandomSource& random, unsigned modulus, const std::function<bool(char)>& used) {
  constexpr int kMaxDraws = 1000;
  for (int draw = 0; draw < kMaxDraws; ++draw) {
    const char candidate = static_cast<char>('0' + random.RandomNumber() % modulus);
    if (!used(candidate)) return candidate;
  }
  for (char digit = '0'; digit <= '9'; ++digit) {
    if (!used(digit)) return digit;
  }
  return '0';
}

std::string MakeCode(RandomSource& random, std::size_t n) {
  n = std::min<std::size_t>(n, 10);
  std::string code;
  const auto used = [&](char digit) { return code.find(digit) != std::string::npos; };
  for (std::size_t i = 0; i < n; ++i) {
    // The first candidate is drawn mod n; a collision, and always position 0,
    // draws again mod 10.
    char candidate = static_cast<char>('0' + random.RandomNumber() % n);
    if (i == 0 || used(candidate)) candidate = DrawUnusedDigit(random, 10, used);
    code += candidate;
  }
  return code;
}

}  // namespace korvaden
