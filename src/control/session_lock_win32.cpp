#include <windows.h>

#include "control/session_lock.h"

namespace korvaden {
namespace {

// "Local\" is the user's logon session.
constexpr wchar_t kMutexName[] = L"Local\\KorvadenMember";

HANDLE AsHandle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

}  // namespace

SessionLock SessionLock::TryAcquire() {
  HANDLE mutex = CreateMutexW(nullptr, FALSE, kMutexName);
  // Another user's object of that name, or none to be had: not "busy".
  if (mutex == nullptr) return Unusable();
  const DWORD wait = WaitForSingleObject(mutex, 0);
  // An abandoned mutex is one whose holder died: it is ours now.
  if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) {
    CloseHandle(mutex);
    return SessionLock();
  }
  return SessionLock(reinterpret_cast<std::intptr_t>(mutex));
}

void SessionLock::Release() noexcept {
  if (handle_ == kNone) return;
  ReleaseMutex(AsHandle(handle_));
  CloseHandle(AsHandle(handle_));
  handle_ = kNone;
}

}  // namespace korvaden
