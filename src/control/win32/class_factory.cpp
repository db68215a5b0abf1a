#include "control/win32/class_factory.h"

namespace korvaden::com {

STDMETHODIMP ClassFactory::QueryInterface(REFIID riid, void** object) {
  return QueryInterfaceFromTable({{IID_IUnknown, this}, {IID_IClassFactory, this}}, riid, object);
}

STDMETHODIMP_(ULONG) ClassFactory::Release() {
  const ULONG count = refs_.Release();
  if (count == 0) delete this;
  return count;
}

STDMETHODIMP ClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (outer != nullptr && !IsEqualIID(riid, IID_IUnknown)) return CLASS_E_NOAGGREGATION;
  // The control's members allocate as it is made: no exception leaves, and
  // no half-made object is handed out.
  const HRESULT result = Guarded([&] { return create_(outer, riid, object); });
  if (FAILED(result)) *object = nullptr;
  return result;
}

STDMETHODIMP ClassFactory::LockServer(BOOL lock) {
  if (lock) {
    LockModule();
  } else {
    UnlockModule();
  }
  return S_OK;
}

}  // namespace korvaden::com
