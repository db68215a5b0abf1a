#pragma once
// One member at a time in the user's whole session, whatever process runs it:
// every browser, profile and tab may start its own native host, and two flows
// must never share the reader. A file lock in the user's runtime folder on
// Linux, a named mutex in the session on Windows; the system drops either when
// the process that holds it dies.
#include <cstdint>

namespace korvaden {

class SessionLock {
 public:
  SessionLock() = default;  // holds nothing
  SessionLock(SessionLock&& other) noexcept : handle_(other.handle_) { other.handle_ = kNone; }
  SessionLock& operator=(SessionLock&& other) noexcept {
    if (this != &other) {
      Release();
      handle_ = other.handle_;
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

 private:
  static constexpr std::intptr_t kNone = -1;
  explicit SessionLock(std::intptr_t handle) : handle_(handle) {}
  void Release() noexcept;
  std::intptr_t handle_ = kNone;  // a file descriptor, or a mutex's HANDLE
};

}  // namespace korvaden
