#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "base/user_folder.h"
#include "control/session_lock.h"

namespace korvaden {

// Not the environment: two browsers started differently, or a sandboxed one,
// see other XDG_RUNTIME_DIRs but must find the same lock.
std::string UserLockFolder() {
  const std::string runtime = "/run/user/" + std::to_string(getuid());
  if (IsPrivateFolder(runtime)) return runtime;
  return PrivateUserFolder(UserFolderKind::Cache).string();
}

SessionLock SessionLock::TryAcquire() {
  const std::string folder = UserLockFolder();
  if (folder.empty()) return Unusable();
  const int fd = open((folder + "/korvaden-member.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return Unusable();
  struct stat status {};
  if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_uid != getuid()) {
    close(fd);
    return Unusable();
  }
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const bool taken = errno == EWOULDBLOCK;
    close(fd);
    return taken ? SessionLock() : Unusable();
  }
  return SessionLock(fd);
}

void SessionLock::Release() noexcept {
  if (handle_ == kNone) return;
  close(static_cast<int>(handle_));  // drops the lock
  handle_ = kNone;
}

}  // namespace korvaden
