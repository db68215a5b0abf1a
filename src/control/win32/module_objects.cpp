#include "control/win32/module_objects.h"

#include <oleauto.h>

#include "control/win32/com_base.h"
#include "korvaden_h.h"
#include "reader/logged_pcsc.h"
#include "reader/pcsc_system.h"

namespace korvaden::com {

ReaderModule& ModuleReader() {
  static LoggedPcsc pcsc(SystemPcsc(), ProcessSupportLog());
  static ReaderModule reader(pcsc);
  return reader;
}

MemberGate& ModuleMemberGate() {
  // The user's whole session: a page in a current browser reaches the same
  // reader through the native host.
  static MemberGate gate(MemberGate::Reach::UserSession);
  return gate;
}

std::wstring ModulePath() {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(ModuleHandle(), path, MAX_PATH);
  return std::wstring(path, length);
}

ITypeLib* ModuleTypeLibrary() {
  static ITypeLib* library = nullptr;
  return KeptOnceLoaded(library, []() -> ITypeLib* {
    ITypeLib* loaded = nullptr;
    return SUCCEEDED(LoadTypeLibEx(ModulePath().c_str(), REGKIND_NONE, &loaded)) ? loaded : nullptr;
  });
}

ITypeInfo* InterfaceTypeInfo() {
  static ITypeInfo* info = nullptr;
  return KeptOnceLoaded(info, []() -> ITypeInfo* {
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
  });
}

}  // namespace korvaden::com
