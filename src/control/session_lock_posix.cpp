#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "control/session_lock.h"

namespace korvaden {
namespace {

// A folder, not a link to one, of `uid`'s, that no group or other user may
// write into (and so put a lock of theirs in).
bool PrivateFolderOf(const std::string& path, uid_t uid) {
  struct stat status {};
  return lstat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode) && status.st_uid == uid &&
         (status.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

std::string HomeOf(uid_t uid) {
  passwd entry{};
  passwd* found = nullptr;
  std::vector<char> buffer(16384);
  if (getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr) return {};
  return entry.pw_dir != nullptr && entry.pw_dir[0] == '/' ? entry.pw_dir : std::string();
}

}  // namespace

// Not the environment: two browsers started differently, or a sandboxed one,
// see other XDG_RUNTIME_DIRs but must find the same lock.
std::string UserLockFolder() {
  const uid_t uid = getuid();
  const std::string runtime = "/run/user/" + std::to_string(uid);
  if (PrivateFolderOf(runtime, uid)) return runtime;
  const std::string home = HomeOf(uid);
  if (home.empty() || !PrivateFolderOf(home, uid)) return {};
  std::string folder = home + "/.cache";
  for (const char* part : {"", "/korvaden"}) {
    folder += part;
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return {};
  }
  return PrivateFolderOf(home + "/.cache", uid) && PrivateFolderOf(folder, uid) ? folder : std::string();
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
