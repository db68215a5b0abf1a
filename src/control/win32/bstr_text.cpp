#include "control/win32/bstr_text.h"

#include <new>

namespace korvaden::com {
namespace {

template <class Text>
Text Convert(BSTR text) {
  Text converted;
  const int length = text == nullptr ? 0 : static_cast<int>(SysStringLen(text));
  if (length == 0) return converted;
  const int size = WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return converted;
  converted.Resize(static_cast<std::size_t>(size));
  WideCharToMultiByte(CP_ACP, 0, text, length, converted.data(), size, nullptr, nullptr);
  return converted;
}

// std::string with the interface Convert needs.
struct PlainText {
  std::string text;
  void Resize(std::size_t n) { text.resize(n); }
  char* data() { return text.data(); }
};

}  // namespace

std::string AnsiText(BSTR text) { return Convert<PlainText>(text).text; }

SecureString AnsiSecret(BSTR text) { return Convert<SecureString>(text); }

HRESULT ToBstr(std::string_view text, BSTR* result) {
  if (result == nullptr) return E_POINTER;
  *result = nullptr;
  const int length = static_cast<int>(text.size());
  const int size = length == 0 ? 0 : MultiByteToWideChar(CP_THREAD_ACP, 0, text.data(), length, nullptr, 0);
  *result = SysAllocStringLen(nullptr, static_cast<UINT>(size));
  if (*result == nullptr) return E_OUTOFMEMORY;
  if (size > 0) MultiByteToWideChar(CP_THREAD_ACP, 0, text.data(), length, *result, size);
  return S_OK;
}

}  // namespace korvaden::com
