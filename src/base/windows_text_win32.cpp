#include "base/windows_text.h"

namespace korvaden {

std::wstring WideFromBig5(std::string_view text) {
  const int length = static_cast<int>(text.size());
  const int size = length == 0 ? 0 : MultiByteToWideChar(kBig5CodePage, 0, text.data(), length, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size > 0 ? size : 0), L'\0');
  if (size > 0) MultiByteToWideChar(kBig5CodePage, 0, text.data(), length, wide.data(), size);
  return wide;
}

}  // namespace korvaden
