#pragma once
#include <unknwn.h>

#include "control/win32/com_base.h"

namespace korvaden::com {

using CreateFunction = HRESULT (*)(IUnknown* outer, REFIID riid, void** object);

class ClassFactory final : public IClassFactory {
 public:
  explicit ClassFactory(CreateFunction create) : create_(create) {}

  STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override { return refs_.AddRef(); }
  STDMETHODIMP_(ULONG) Release() override;
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** object) override;
  STDMETHODIMP LockServer(BOOL lock) override;

 private:
  ~ClassFactory() = default;
  RefCount refs_;
  ModuleLock lock_;
  CreateFunction create_;
};

}  // namespace korvaden::com
