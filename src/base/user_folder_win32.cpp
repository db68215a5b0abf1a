#include <windows.h>

#include <shlobj.h>

#include "base/user_folder.h"

namespace korvaden {

// The local application data is the user's own: its access list names the
// user, the system and administrators.
bool IsPrivateFolder(const std::filesystem::path& folder) {
  const DWORD attributes = GetFileAttributesW(folder.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
         (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
}

std::filesystem::path PrivateUserFolder(UserFolderKind) {
  PWSTR local = nullptr;
  if (FAILED(SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_CREATE, nullptr, &local))) return {};
  std::filesystem::path folder = std::filesystem::path(local) / L"Korvaden";
  CoTaskMemFree(local);
  if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return {};
  return IsPrivateFolder(folder) ? folder : std::filesystem::path();
}

}  // namespace korvaden
