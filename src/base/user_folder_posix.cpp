#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "base/user_folder.h"

namespace korvaden {
namespace {

std::string HomeOf(uid_t uid) {
  passwd entry{};
  passwd* found = nullptr;
  std::vector<char> buffer(16384);
  if (getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr) return {};
  return entry.pw_dir != nullptr && entry.pw_dir[0] == '/' ? entry.pw_dir : std::string();
}

}  // namespace

bool IsPrivateFolder(const std::filesystem::path& folder) {
  struct stat status {};
  return lstat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode) && status.st_uid == getuid() &&
         (status.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

std::filesystem::path PrivateUserFolder(UserFolderKind kind) {
  const std::filesystem::path home = HomeOf(getuid());
  if (home.empty() || !IsPrivateFolder(home)) return {};
  std::filesystem::path folder = home;
  const auto parts = kind == UserFolderKind::Cache ? std::vector<const char*>{".cache", "korvaden"}
                                                   : std::vector<const char*>{".local", "state", "korvaden"};
  for (const char* part : parts) {
    folder /= part;
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return {};
    if (!IsPrivateFolder(folder)) return {};
  }
  return folder;
}

}  // namespace korvaden
