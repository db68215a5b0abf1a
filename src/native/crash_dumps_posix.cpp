#include <sys/prctl.h>
#include <sys/resource.h>

#include <cstdio>

#include "native/crash_dumps.h"

namespace korvaden::native {

bool KeepSecretsOutOfCrashDumps() {
  // Not dumpable: no core, and no other process of the user may attach to
  // the host or read its memory through /proc/PID/mem.
  if (prctl(PR_SET_DUMPABLE, 0, 0, 0, 0) != 0) return false;
  const rlimit noCore{0, 0};
  if (setrlimit(RLIMIT_CORE, &noCore) != 0) return false;
  // A core still made (a core_pattern pipe as root, or root's gcore) holds no
  // anonymous memory, where every secret lives: only the ELF headers.
  if (std::FILE* filter = std::fopen("/proc/self/coredump_filter", "w")) {
    std::fputs("0x10", filter);
    std::fclose(filter);
  }
  return true;
}

}  // namespace korvaden::native
