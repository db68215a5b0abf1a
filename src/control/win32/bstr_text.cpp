#include "control/win32/bstr_text.h"

#include "ui/win32/windows_text.h"

namespace korvaden::com {
namespace {

std::wstring_view View(BSTR text) {
  return text == nullptr ? std::wstring_view() : std::wstring_view(text, SysStringLen(text));
}

}  // namespace

std::string AnsiText(BSTR text) { return ui::Big5FromWide(View(text)); }

SecureString AnsiSecret(BSTR text) {
  SecureString secret;
  ui::Big5FromWide(View(text), secret);
  return secret;
}

HRESULT ToBstr(std::string_view text, BSTR* result) {
  if (result == nullptr) return E_POINTER;
  const std::wstring wide = ui::WideFromBig5(text);
  *result = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
  return *result == nullptr ? E_OUTOFMEMORY : S_OK;
}

}  // namespace korvaden::com
