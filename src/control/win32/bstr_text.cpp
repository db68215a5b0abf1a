#include "control/win32/bstr_text.h"

#include "base/windows_text.h"

namespace korvaden::com {
namespace {

std::wstring_view View(BSTR text) {
  return text == nullptr ? std::wstring_view() : std::wstring_view(text, SysStringLen(text));
}

}  // namespace

std::string AnsiText(BSTR text) { return Big5FromWide(View(text)); }

SecureString AnsiSecret(BSTR text) {
  SecureString secret;
  Big5FromWide(View(text), secret);
  return secret;
}

HRESULT ToBstr(std::string_view text, BSTR* result) {
  if (result == nullptr) return E_POINTER;
  const std::wstring wide = WideFromBig5(text);
  *result = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
  return *result == nullptr ? E_OUTOFMEMORY : S_OK;
}

}  // namespace korvaden::com
