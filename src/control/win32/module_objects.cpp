#include "control/win32/module_objects.h"

#include <oleauto.h>

#include "control/win32/com_base.h"
#include "korvaden_h.h"
#include "reader/pcsc_system.h"

namespace korvaden::com {

ReaderModule& ModuleReader() {
  static ReaderModule reader(SystemPcsc());
  return reader;
}

MemberGate& ModuleMemberGate() {
  static MemberGate gate;
  return gate;
}

std::wstring ModulePath() {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(ModuleHandle(), path, MAX_PATH);
  return std::wstring(path, length);
}

// Only success is kept: a load that failed once is tried again next time.
ITypeLib* ModuleTypeLibrary() {
  static ITypeLib* library = nullptr;
  if (library == nullptr && FAILED(LoadTypeLibEx(ModulePath().c_str(), REGKIND_NONE, &library))) library = nullptr;
  return library;
}

ITypeInfo* InterfaceTypeInfo() {
  static ITypeInfo* info = nullptr;
  if (info != nullptr) return info;
  info = []() -> ITypeInfo* {
    ITypeLib* library = ModuleTypeLibrary();
    ITypeInfo* dispatchInfo = nullptr;
    if (library == nullptr || FAILED(library->GetTypeInfoOfGuid(IID_IKorvadenIveskCtrl, &dispatchInfo))) {
      return nullptr;
    }
    // A dual interface's type info describes the dispinterface; the vtable half
    // is what DispInvoke calls through.
    HREFTYPE vtableHalf = 0;
    ITypeInfo* vtableInfo = nullptr;
    if (SUCCEEDED(dispatchInfo->GetRefTypeOfImplType(static_cast<UINT>(-1), &vtableHalf)) &&
        SUCCEEDED(dispatchInfo->GetRefTypeInfo(vtableHalf, &vtableInfo))) {
      dispatchInfo->Release();
      return vtableInfo;
    }
    return dispatchInfo;
  }();
  return info;
}

}  // namespace korvaden::com
