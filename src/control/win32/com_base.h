#pragma once
// The small COM base every class of the module uses: the module lock count,
// one reference count and one QueryInterface over a table of interfaces.
#include <windows.h>

#include <unknwn.h>

#include <atomic>
#include <initializer_list>
#include <new>

namespace korvaden::com {

// Every object and class factory handed out holds a module lock; the module
// may unload only when none is held.
void LockModule();
void UnlockModule();
LONG ModuleLockCount();
HMODULE ModuleHandle();
void SetModuleHandle(HMODULE module);

class ModuleLock {
 public:
  ModuleLock() { LockModule(); }
  ~ModuleLock() { UnlockModule(); }
  ModuleLock(const ModuleLock&) = delete;
  ModuleLock& operator=(const ModuleLock&) = delete;
};

struct InterfaceEntry {
  const IID& iid;
  IUnknown* pointer;
};

// Gives the entry for `riid` with a reference added, or E_NOINTERFACE.
HRESULT QueryInterfaceFromTable(std::initializer_list<InterfaceEntry> table, REFIID riid, void** object);

// An object's reference count; objects start with one reference, their creator's.
class RefCount {
 public:
  ULONG AddRef() { return ++count_; }
  ULONG Release() { return --count_; }

 private:
  std::atomic<ULONG> count_{1};
};

// A COM interface pointer that releases itself.
template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() { Reset(); }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  T* get() const { return p_; }
  T* operator->() const { return p_; }
  T** put() {
    Reset();
    return &p_;
  }
  void Reset(T* p = nullptr) {
    if (p) p->AddRef();
    if (p_) p_->Release();
    p_ = p;
  }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  T* p_ = nullptr;
};

// Runs a COM method's body so that no exception leaves it: running out of
// memory is E_OUTOFMEMORY, anything else E_UNEXPECTED.
template <class Body>
HRESULT Guarded(const Body& body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

// What the module loads once for all its controls (the type library, the type
// information): kept once `load` gives it, loaded again at the next call while
// it gives none, so that one failure is not remembered for good.
template <class T, class Load>
T* KeptOnceLoaded(T*& kept, const Load& load) {
  if (kept == nullptr) kept = load();
  return kept;
}

}  // namespace korvaden::com
