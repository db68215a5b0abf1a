// The control's GUIDs, defined once for the module.
#include <windows.h>

#include <oaidl.h>
#include <ocidl.h>
// clang-format off
#include <initguid.h>
#include "korvaden_h.h"
// clang-format on
