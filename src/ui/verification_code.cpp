#include "ui/verification_code.h"

#include <algorithm>

namespace korvaden {

std::string MakeCode(RandomSource& random, std::size_t n) {
  n = std::min<std::size_t>(n, 10);
  std::string code;
  for (std::size_t i = 0; i < n; ++i) {
    // Position 0 has nothing to collide with, yet its first candidate is replaced too.
    char candidate = static_cast<char>('0' + random.RandomNumber() % n);
    if (i == 0) candidate = static_cast<char>('0' + random.RandomNumber() % 10);
    while (code.find(candidate) != std::string::npos) candidate = static_cast<char>('0' + random.RandomNumber() % 10);
    code += candidate;
  }
  return code;
}

}  // namespace korvaden
