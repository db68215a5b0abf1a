#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "base/support_log.h"
#include "base/user_folder.h"

namespace korvaden::support_log {

bool SwitchedOn() {
  const char* value = std::getenv(kSupportLogVariable);
  return value != nullptr && std::strcmp(value, "1") == 0;
}

std::filesystem::path UserFolder() { return PrivateUserFolder(UserFolderKind::State); }

bool Append(const std::filesystem::path& path, std::string_view text) {
  const int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return false;
  struct stat status {};
  bool written = fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_uid == getuid();
  written = written && write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  close(fd);
  return written;
}

unsigned long ProcessId() { return static_cast<unsigned long>(getpid()); }

}  // namespace korvaden::support_log
