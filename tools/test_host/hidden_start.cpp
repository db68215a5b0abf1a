// hidden_start.exe PROGRAM ARG...: starts PROGRAM as a Chromium-based browser
// starts a native messaging host: hidden (STARTF_USESHOWWINDOW with SW_HIDE),
// with this process's standard handles, and with --parent-window naming a
// top-level window of its own, titled "The browser", which it keeps serving
// until PROGRAM exits. Gives PROGRAM's exit code.
#include <windows.h>

#include <string>

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  WNDCLASSW type{};
  type.lpfnWndProc = DefWindowProcW;
  type.hInstance = GetModuleHandleW(nullptr);
  type.lpszClassName = L"KorvadenTestBrowser";
  RegisterClassW(&type);
  HWND browser = CreateWindowW(type.lpszClassName, L"The browser", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 1024, 740,
                               nullptr, nullptr, type.hInstance, nullptr);
  if (browser == nullptr) return 3;
  std::wstring command;
  for (int i = 1; i < argc; ++i) command += std::wstring(i > 1 ? L" \"" : L"\"") + argv[i] + L"\"";
  command += L" --parent-window=" + std::to_wstring(reinterpret_cast<std::uintptr_t>(browser));
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
  // The host's windows are owned by ours: it answers what Windows asks of an owner.
  while (MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  }
  DWORD code = 1;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  DestroyWindow(browser);
  return static_cast<int>(code);
}
