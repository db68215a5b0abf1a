#include <windows.h>

#include <vector>

#include "base/plain_text.h"
#include "base/utf8_text.h"
#include "base/windows_text.h"

namespace korvaden {
namespace {

// UTF-16 of the request's text, wiped when done: it may be a PIN.
using WideSecret = std::vector<wchar_t, CleansingAllocator<wchar_t>>;

bool WideFromUtf8(std::string_view utf8, WideSecret& wide) {
  const int length = static_cast<int>(utf8.size());
  if (length == 0) return true;
  const int size = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), length, nullptr, 0);
  if (size <= 0) return false;
  wide.resize(static_cast<std::size_t>(size));
  return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), length, wide.data(), size) == size;
}

}  // namespace

bool Big5FromUtf8(std::string_view utf8, SecureString& big5) {
  WideSecret wide;
  if (!WideFromUtf8(utf8, wide)) return false;
  // The control's own conversion of a BSTR.
  Big5FromWide(std::wstring_view(wide.data(), wide.size()), big5);
  return big5.view().find(kUnconvertible) == std::string_view::npos;
}

std::string Utf8FromBig5(std::string_view big5) {
  const std::wstring wide = WideFromBig5(big5);
  const int length = static_cast<int>(wide.size());
  PlainText utf8;
  const int size = length == 0 ? 0 : WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
  utf8.Resize(static_cast<std::size_t>(size > 0 ? size : 0));
  if (size > 0) WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, utf8.data(), size, nullptr, nullptr);
  return utf8.text;
}

}  // namespace korvaden
