#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

#include "control/win32/class_factory.h"
#include "control/win32/com_base.h"

namespace korvaden::com {
namespace {

// No exception may leave a COM method: the control's methods run their
// bodies through Guarded.
TEST(Guarded, NoExceptionLeavesAComMethod) {
  EXPECT_EQ(Guarded([] { return S_FALSE; }), S_FALSE);
  EXPECT_EQ(Guarded([]() -> HRESULT { throw std::bad_alloc(); }), E_OUTOFMEMORY);
  EXPECT_EQ(Guarded([]() -> HRESULT { throw std::length_error("too long"); }), E_UNEXPECTED);
  EXPECT_EQ(Guarded([]() -> HRESULT { throw 42; }), E_UNEXPECTED);
}

// A type library that failed to load once is tried again at the next call;
// one that loaded is kept.
TEST(KeptOnceLoaded, AFailureIsNotRemembered) {
  int kept = 0, loads = 0;
  int* slot = nullptr;
  const auto load = [&]() -> int* { return ++loads < 3 ? nullptr : &kept; };
  EXPECT_EQ(KeptOnceLoaded(slot, load), nullptr);
  EXPECT_EQ(KeptOnceLoaded(slot, load), nullptr);
  EXPECT_EQ(KeptOnceLoaded(slot, load), &kept);
  EXPECT_EQ(KeptOnceLoaded(slot, load), &kept);
  EXPECT_EQ(loads, 3);
}

// Making the control allocates (its state, its views, its texts): when an
// allocation fails there, the container gets E_OUTOFMEMORY and no object,
// and nothing of the factory's stays locked once it is released.
TEST(ClassFactory, AnAllocationFailureWhileMakingTheControlIsAnAnswer) {
  const LONG locksBefore = ModuleLockCount();
  auto* factory = new ClassFactory([](IUnknown*, REFIID, void** object) -> HRESULT {
    *object = reinterpret_cast<void*>(1);  // half made when the allocation fails
    throw std::bad_alloc();
  });  // made with its one reference
  void* object = &object;
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, &object), E_OUTOFMEMORY);
  EXPECT_EQ(object, nullptr);
  factory->Release();
  EXPECT_EQ(ModuleLockCount(), locksBefore);
}

}  // namespace
}  // namespace korvaden::com
