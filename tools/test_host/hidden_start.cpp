// hidden_start.exe PROGRAM ARG...: starts PROGRAM as a browser starts a
// native messaging host, hidden (STARTF_USESHOWWINDOW with SW_HIDE) and with
// this process's standard handles, and gives its exit code.
#include <windows.h>

#include <string>

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  std::wstring command;
  for (int i = 1; i < argc; ++i) command += std::wstring(i > 1 ? L" \"" : L"\"") + argv[i] + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
  startup.wShowWindow = SW_HIDE;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                      &process)) {
    return 3;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 1;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(code);
}
