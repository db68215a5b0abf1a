#include <windows.h>

#include "native/crash_dumps.h"

namespace korvaden::native {
namespace {

// Windows Error Reporting dumps a process that crashes and may send the dump
// away: the host ends itself at an unhandled exception, before any report is
// made.
LONG WINAPI EndBeforeAReport(EXCEPTION_POINTERS*) {
  TerminateProcess(GetCurrentProcess(), 3);
  return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

bool KeepSecretsOutOfCrashDumps() {
  SetErrorMode(GetErrorMode() | SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
  SetUnhandledExceptionFilter(EndBeforeAReport);
  return true;
}

}  // namespace korvaden::native
