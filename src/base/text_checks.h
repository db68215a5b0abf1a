#pragma once
// Checks of the 8-bit texts a page hands the control.
#include <algorithm>
#include <initializer_list>
#include <string_view>

namespace korvaden {

inline bool AllDigits(std::string_view text) { return text.find_first_not_of("0123456789") == std::string_view::npos; }

// A NUL or another control character (00 to 1F, 7F). Big5 texts never hold
// one: neither byte of a double-byte character falls there.
inline bool HasControlCharacter(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
  });
}
inline bool HasControlCharacter(std::initializer_list<std::string_view> texts) {
  return std::any_of(texts.begin(), texts.end(), [](std::string_view text) { return HasControlCharacter(text); });
}

// What a front end hands on for a character the core's Big5 cannot carry:
// a control character, so that the value is refused (8970) like any other
// that holds one, and nothing is replaced by a look-alike.
inline constexpr char kUnconvertibleCharacter = '\x1A';

}  // namespace korvaden
