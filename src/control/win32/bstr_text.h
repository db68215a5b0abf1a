#pragma once
// Texts across the COM boundary: BSTR arguments become 8-bit text in the
// system code page (a null BSTR is empty), results go back through the
// calling thread's code page.
#include <windows.h>

#include <oleauto.h>

#include <string>
#include <string_view>

#include "base/secure_memory.h"

namespace korvaden::com {

std::string AnsiText(BSTR text);
SecureString AnsiSecret(BSTR text);
// S_OK, E_POINTER or E_OUTOFMEMORY.
HRESULT ToBstr(std::string_view text, BSTR* result);

}  // namespace korvaden::com
