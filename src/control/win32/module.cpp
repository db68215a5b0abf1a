// The module's exports: the class factory, unloading, and registration
// through the system's registrar with the module's REGISTRY scripts.
#include <windows.h>

#include <oleauto.h>

#include <cstdlib>
#include <cwctype>
#include <string>

#include "control/win32/class_factory.h"
#include "control/win32/com_base.h"
#include "control/win32/korvaden_ctrl.h"
#include "control/win32/module_objects.h"
#include "korvaden_h.h"

namespace korvaden::com {

// The registrar object that runs registry scripts (its interface is public;
// the compiler's headers do not declare it). Declared outside the anonymous
// namespace: the object comes from another module, and the optimiser must not
// conclude that nothing implements the interface.
struct IRegistrar : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE AddReplacement(LPCOLESTR key, LPCOLESTR item) = 0;
  virtual HRESULT STDMETHODCALLTYPE ClearReplacements() = 0;
  virtual HRESULT STDMETHODCALLTYPE ResourceRegisterSz(LPCOLESTR file, LPCOLESTR id, LPCOLESTR type) = 0;
  virtual HRESULT STDMETHODCALLTYPE ResourceUnregisterSz(LPCOLESTR file, LPCOLESTR id, LPCOLESTR type) = 0;
  virtual HRESULT STDMETHODCALLTYPE FileRegister(LPCOLESTR file) = 0;
  virtual HRESULT STDMETHODCALLTYPE FileUnregister(LPCOLESTR file) = 0;
  virtual HRESULT STDMETHODCALLTYPE StringRegister(LPCOLESTR data) = 0;
  virtual HRESULT STDMETHODCALLTYPE StringUnregister(LPCOLESTR data) = 0;
  virtual HRESULT STDMETHODCALLTYPE ResourceRegister(LPCOLESTR file, UINT id, LPCOLESTR type) = 0;
  virtual HRESULT STDMETHODCALLTYPE ResourceUnregister(LPCOLESTR file, UINT id, LPCOLESTR type) = 0;
};

namespace {

const CLSID kClsidRegistrar = {0x44EC053A, 0x400F, 0x11D0, {0x9D, 0xCD, 0x00, 0xA0, 0xC9, 0x03, 0x91, 0xD3}};
const IID kIidRegistrar = {0x44EC053B, 0x400F, 0x11D0, {0x9D, 0xCD, 0x00, 0xA0, 0xC9, 0x03, 0x91, 0xD3}};

constexpr UINT kModuleScript = 101;
constexpr UINT kControlScript = 107;
constexpr wchar_t kAppId[] = L"{7C5220DD-56DF-402F-8BB2-593884BCF40B}";
constexpr wchar_t kOleMiscText[] = L"131473";

// Runs one of the module's scripts with the replacements every script gets.
HRESULT RunScript(UINT script, bool registering) {
  ComPtr<IRegistrar> registrar;
  HRESULT result = CoCreateInstance(kClsidRegistrar, nullptr, CLSCTX_INPROC_SERVER, kIidRegistrar,
                                    reinterpret_cast<void**>(registrar.put()));
  if (FAILED(result)) return result;
  const std::wstring path = ModulePath();
  registrar->AddReplacement(L"MODULE", path.c_str());
  registrar->AddReplacement(L"OLEMISC", kOleMiscText);
  registrar->AddReplacement(L"APPID", kAppId);
  return registering ? registrar->ResourceRegister(path.c_str(), script, L"REGISTRY")
                     : registrar->ResourceUnregister(path.c_str(), script, L"REGISTRY");
}

HRESULT RegisterTypeLibrary() {
  ITypeLib* library = ModuleTypeLibrary();
  if (library == nullptr) return TYPE_E_CANTLOADLIBRARY;
  std::wstring path = ModulePath();
  return RegisterTypeLib(library, path.data(), nullptr);
}

HRESULT UnregisterTypeLibrary() { return UnRegisterTypeLib(LIBID_KorvadenIveskLib, 1, 0, LOCALE_NEUTRAL, SYS_WIN64); }

// Registration runs under the system's default locale.
class SystemLocale {
 public:
  SystemLocale() : saved_(GetThreadLocale()) { SetThreadLocale(LOCALE_SYSTEM_DEFAULT); }
  ~SystemLocale() { SetThreadLocale(saved_); }

 private:
  LCID saved_;
};

// While alive, HKEY_CLASSES_ROOT means the current user's classes.
class PerUserClasses {
 public:
  explicit PerUserClasses(bool perUser) {
    if (perUser && RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                   &key_, nullptr) == ERROR_SUCCESS) {
      RegOverridePredefKey(HKEY_CLASSES_ROOT, key_);
    }
  }
  ~PerUserClasses() {
    if (key_ == nullptr) return;
    RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
    RegCloseKey(key_);
  }

 private:
  HKEY key_ = nullptr;
};

HRESULT Register() {
  const SystemLocale locale;
  HRESULT result = RunScript(kModuleScript, true);
  if (SUCCEEDED(result)) result = RunScript(kControlScript, true);
  if (SUCCEEDED(result)) result = RegisterTypeLibrary();
  return result;
}

HRESULT Unregister() {
  const SystemLocale locale;
  HRESULT result = RunScript(kControlScript, false);
  if (SUCCEEDED(result)) result = UnregisterTypeLibrary();
  if (SUCCEEDED(result)) result = RunScript(kModuleScript, false);
  return result;
}

bool IsUserCommand(LPCWSTR command) {
  constexpr wchar_t kUser[] = L"user";
  if (command == nullptr) return false;
  for (std::size_t i = 0; i < sizeof(kUser) / sizeof(kUser[0]); ++i) {
    if (std::towlower(command[i]) != kUser[i]) return false;
  }
  return true;
}

}  // namespace
}  // namespace korvaden::com

using namespace korvaden::com;

// No exception reaches std::terminate: every COM method runs its body through
// Guarded. Should one ever do, the process ends here, without the library's
// verbose handler and the C++ name demangler (some 45 KB) it brings along.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    SetModuleHandle(instance);
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, LPVOID* object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (!IsEqualCLSID(clsid, CLSID_KorvadenIveskCtrl)) return CLASS_E_CLASSNOTAVAILABLE;
  auto* factory = new (std::nothrow) ClassFactory(&CKorvadenIveskCtrl::Create);
  if (factory == nullptr) return E_OUTOFMEMORY;
  const HRESULT result = factory->QueryInterface(riid, object);
  factory->Release();
  return result;
}

STDAPI DllCanUnloadNow() { return ModuleLockCount() == 0 ? S_OK : S_FALSE; }

// Registration builds its keys' texts: running out of memory is an HRESULT.
STDAPI DllRegisterServer() {
  return Guarded([] { return Register(); });
}

STDAPI DllUnregisterServer() {
  return Guarded([] { return Unregister(); });
}

STDAPI DllInstall(BOOL install, LPCWSTR command) {
  return Guarded([&] {
    const PerUserClasses classes(IsUserCommand(command));
    if (!install) return Unregister();
    const HRESULT result = Register();
    if (FAILED(result)) Unregister();
    return result;
  });
}
