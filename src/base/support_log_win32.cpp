#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "base/support_log.h"
#include "base/user_folder.h"

namespace korvaden::support_log {

bool SwitchedOn() {
  const char* value = std::getenv(kSupportLogVariable);
  if (value != nullptr && std::strcmp(value, "1") == 0) return true;
  DWORD on = 0;
  DWORD size = sizeof on;
  return RegGetValueW(HKEY_CURRENT_USER, L"Software\\Korvaden", L"SupportLog", RRF_RT_REG_DWORD, nullptr, &on, &size) ==
             ERROR_SUCCESS &&
         on == 1;
}

std::filesystem::path UserFolder() { return PrivateUserFolder(UserFolderKind::State); }

bool Append(const std::filesystem::path& path, std::string_view text) {
  HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok =
      WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) != 0 && written == text.size();
  CloseHandle(file);
  return ok;
}

unsigned long ProcessId() { return GetCurrentProcessId(); }

}  // namespace korvaden::support_log
