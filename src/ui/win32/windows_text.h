#pragma once
// The core's texts are Big5 whatever the system's code page: they become
// UTF-16 (and UTF-16 becomes Big5) with code page 950 named, so that the
// windows and the page's values read right on any Windows, not only where the
// system locale is Traditional Chinese.
#include <windows.h>

#include <string>
#include <string_view>

namespace korvaden::ui {

inline constexpr UINT kBig5CodePage = 950;

std::wstring WideFromBig5(std::string_view text);

// Into any text with Resize(n) and data() (a SecureString for a secret), so
// that the 8-bit copy is made once, where it will stay.
template <class Text>
void Big5FromWide(std::wstring_view text, Text& out) {
  const int length = static_cast<int>(text.size());
  const int size =
      length == 0 ? 0 : WideCharToMultiByte(kBig5CodePage, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
  out.Resize(static_cast<std::size_t>(size > 0 ? size : 0));
  if (size > 0) WideCharToMultiByte(kBig5CodePage, 0, text.data(), length, out.data(), size, nullptr, nullptr);
}

// std::string with the interface Big5FromWide takes.
struct PlainText {
  std::string text;
  void Resize(std::size_t n) { text.resize(n); }
  char* data() { return text.data(); }
};
inline std::string Big5FromWide(std::wstring_view text) {
  PlainText plain;
  Big5FromWide(text, plain);
  return plain.text;
}

}  // namespace korvaden::ui
