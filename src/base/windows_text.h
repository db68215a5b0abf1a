#pragma once
// The core's texts are Big5 whatever the system's code page: they become
// UTF-16 (and UTF-16 becomes Big5) with code page 950 named, so that the
// windows and the page's values read right on any Windows, not only where the
// system locale is Traditional Chinese.
#include <windows.h>

#include <string>
#include <string_view>

#include "base/plain_text.h"
#include "base/text_checks.h"

namespace korvaden {

inline constexpr UINT kBig5CodePage = 950;

std::wstring WideFromBig5(std::string_view text);

// A character code page 950 cannot carry becomes kUnconvertibleCharacter,
// never a look-alike or '?'.
inline constexpr char kUnconvertible = kUnconvertibleCharacter;

// Into any text with Resize(n) and data() (a SecureString for a secret), so
// that the 8-bit copy is made once, where it will stay.
template <class Text>
void Big5FromWide(std::wstring_view text, Text& out) {
  constexpr char kDefault[] = {kUnconvertible, '\0'};
  const int length = static_cast<int>(text.size());
  const int size = length == 0 ? 0
                               : WideCharToMultiByte(kBig5CodePage, WC_NO_BEST_FIT_CHARS, text.data(), length, nullptr,
                                                     0, kDefault, nullptr);
  out.Resize(static_cast<std::size_t>(size > 0 ? size : 0));
  if (size > 0) {
    WideCharToMultiByte(kBig5CodePage, WC_NO_BEST_FIT_CHARS, text.data(), length, out.data(), size, kDefault, nullptr);
  }
}

inline std::string Big5FromWide(std::wstring_view text) {
  PlainText plain;
  Big5FromWide(text, plain);
  return plain.text;
}

}  // namespace korvaden
