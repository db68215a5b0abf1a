// The module's FileVersion from its own version resource.
#include <windows.h>

#include <cstdio>
#include <vector>

#include "control/version.h"

namespace korvaden {

std::string ReadModuleFileVersion() {
  const std::string fallback = "0,0,0,0";
  HMODULE module = nullptr;
  if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          reinterpret_cast<LPCSTR>(&ReadModuleFileVersion), &module)) {
    return fallback;
  }
  char path[MAX_PATH] = {};
  if (GetModuleFileNameA(module, path, MAX_PATH) == 0) return fallback;
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(path, &ignored);
  if (size == 0) return fallback;
  std::vector<char> data(size);
  if (!GetFileVersionInfoA(path, 0, size, data.data())) return fallback;

  struct Translation {
    WORD language, codePage;
  };
  Translation* translation = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length) ||
      length < sizeof(Translation)) {
    return fallback;
  }
  char query[64];
  std::snprintf(query, sizeof(query), "\\StringFileInfo\\%04hX%04hX\\FileVersion", translation->language,
                translation->codePage);
  char* value = nullptr;
  if (!VerQueryValueA(data.data(), query, reinterpret_cast<void**>(&value), &length) || length == 0) return fallback;
  return std::string(value);
}

}  // namespace korvaden
