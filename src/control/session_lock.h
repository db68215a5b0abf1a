#pragma once
// One member at a time in the user's whole session, whatever process runs it:
// every browser, profile and tab may start its own native host, and two flows
// must never share the reader. A file lock in a folder that follows from the
// user's identity on Linux, a named mutex in the session on Windows; the
// system drops either when the process that holds it dies.
#include <cstdint>
#include <string>

namespace korvaden {

class SessionLock {
 public:
  SessionLock() = default;  // holds nothing
  SessionLock(SessionLock&& other) noexcept : handle_(other.handle_), unusable_(other.unusable_) {
    other.handle_ = kNone;
  }
  SessionLock& operator=(SessionLock&& other) noexcept {
    if (this != &other) {
      Release();
      handle_ = other.handle_;
      unusable_ = other.unusable_;
      other.handle_ = kNone;
    }
    return *this;
  }
  SessionLock(const SessionLock&) = delete;
  SessionLock& operator=(const SessionLock&) = delete;
  ~SessionLock() { Release(); }

  // Takes the lock at once or not at all.
  [[nodiscard]] static SessionLock TryAcquire();
  bool held() const { return handle_ != kNone; }
  // Not held because the lock itself could not be used (a folder that is not
  // the user's own, a mutex the session refuses), not because it is taken.
  bool unusable() const { return unusable_; }

 private:
  static constexpr std::intptr_t kNone = -1;
  explicit SessionLock(std::intptr_t handle) : handle_(handle) {}
  static SessionLock Unusable() {
    SessionLock lock;
    lock.unusable_ = true;
    return lock;
  }
  void Release() noexcept;
  std::intptr_t handle_ = kNone;  // a file descriptor, or a mutex's HANDLE
  bool unusable_ = false;
};

#ifndef _WIN32
// The folder that holds the user's lock: /run/user/UID when the login has
// one, else ~/.cache/korvaden (the home from the password database), made if
// missing. Empty when neither is a folder of the user's own that nobody else
// may write.
std::string UserLockFolder();
#endif

}  // namespace korvaden
