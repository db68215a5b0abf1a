#include "control/win32/com_base.h"

namespace korvaden::com {
namespace {

std::atomic<LONG> moduleLocks{0};
HMODULE moduleHandle = nullptr;

}  // namespace

void LockModule() { ++moduleLocks; }
void UnlockModule() { --moduleLocks; }
LONG ModuleLockCount() { return moduleLocks; }
HMODULE ModuleHandle() { return moduleHandle; }
void SetModuleHandle(HMODULE module) { moduleHandle = module; }

HRESULT QueryInterfaceFromTable(std::initializer_list<InterfaceEntry> table, REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  for (const InterfaceEntry& entry : table) {
    if (IsEqualIID(entry.iid, riid)) {
      entry.pointer->AddRef();
      *object = entry.pointer;
      return S_OK;
    }
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

}  // namespace korvaden::com
