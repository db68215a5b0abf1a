#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "control/session_lock.h"

namespace korvaden {
namespace {

// The user's runtime folder is theirs alone; without one, a name of the
// user's own in /tmp, never followed through a link.
std::string LockPath() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] == '/') return std::string(runtime) + "/korvaden-member.lock";
  return "/tmp/korvaden-member-" + std::to_string(getuid()) + ".lock";
}

}  // namespace

SessionLock SessionLock::TryAcquire() {
  const int fd = open(LockPath().c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return SessionLock();
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    close(fd);
    return SessionLock();
  }
  return SessionLock(fd);
}

void SessionLock::Release() noexcept {
  if (handle_ == kNone) return;
  close(static_cast<int>(handle_));  // drops the lock
  handle_ = kNone;
}

}  // namespace korvaden
