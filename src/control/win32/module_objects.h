#pragma once
// What the module holds for all its controls: the reader state and the type
// library, loaded from the module's own resource when first needed.
#include <oaidl.h>

#include "reader/reader_module.h"

namespace korvaden::com {

ReaderModule& ModuleReader();
ITypeLib* ModuleTypeLibrary();      // none when it cannot be loaded
ITypeInfo* InterfaceTypeInfo();     // IKorvadenIveskCtrl's, through its dual half
std::wstring ModulePath();

}  // namespace korvaden::com
