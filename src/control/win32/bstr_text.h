#pragma once
// Texts across the COM boundary: BSTR arguments become the core's Big5 text
// (a null BSTR is empty), and results go back from it, with code page 950
// whatever the system's.
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
