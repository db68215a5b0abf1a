// A module that does nothing but import what the control's module imports:
// the floor for the cost of loading the control.
#include <windows.h>

#include <oleauto.h>
#include <winscard.h>

extern "C" __declspec(dllexport) const void* const* KorvadenImports() {
  static const void* const functions[] = {
      reinterpret_cast<const void*>(&RegOpenKeyExW),         reinterpret_cast<const void*>(&CreateCompatibleDC),
      reinterpret_cast<const void*>(&CoCreateInstance),      reinterpret_cast<const void*>(&SysAllocString),
      reinterpret_cast<const void*>(&MessageBoxW),           reinterpret_cast<const void*>(&GetFileVersionInfoSizeW),
      reinterpret_cast<const void*>(&SCardEstablishContext), reinterpret_cast<const void*>(&GetModuleHandleW)};
  return functions;
}
