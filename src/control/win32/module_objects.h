#pragma once
// What the module holds for all its controls: the reader state, the gate that
// lets one member call in at a time, and the type library, loaded from the
// module's own resource when first needed.
#include <oaidl.h>

#include "control/member_gate.h"
#include "reader/reader_module.h"

namespace korvaden::com {

ReaderModule& ModuleReader();
MemberGate& ModuleMemberGate();
ITypeLib* ModuleTypeLibrary();   // none when it cannot be loaded
ITypeInfo* InterfaceTypeInfo();  // IKorvadenIveskCtrl's, through its dual half
std::wstring ModulePath();

}  // namespace korvaden::com
