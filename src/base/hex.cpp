#include "base/hex.h"

#include <cctype>

namespace korvaden {
namespace {

int HexDigitValue(char c) {
  const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (upper >= '0' && upper <= '9') return upper - '0';
  if (upper >= 'A' && upper <= 'F') return upper - 'A' + 10;
  return 0;
}

}  // namespace

std::uint8_t HexPairToByte(char high, char low) {
  return static_cast<std::uint8_t>(HexDigitValue(high) * 16 + HexDigitValue(low));
}

void HexToBytes(std::string_view text, std::size_t count, std::span<std::uint8_t> out) {
  const auto at = [&](std::size_t i) { return i < text.size() ? text[i] : '\0'; };
  for (std::size_t i = 0, o = 0; i < count && o < out.size(); i += 2, ++o) {
    out[o] = HexPairToByte(at(i), at(i + 1));
  }
}

std::string BytesToHex(std::span<const std::uint8_t> bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  text.reserve(bytes.size() * 2);
  for (const std::uint8_t b : bytes) {
    text += kDigits[b >> 4];
    text += kDigits[b & 0x0F];
  }
  return text;
}

int DecodeHexText(std::string_view text, std::span<std::uint8_t> out) {
  if (text.size() % 2 != 0) return -1;
  HexToBytes(text, text.size(), out);
  return 0;
}

}  // namespace korvaden
