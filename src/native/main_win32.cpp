// korvaden-native.exe: the native messaging host the browser extension
// starts, with the control's own Win32 windows from its own resources.
#include <windows.h>

#include <charconv>
#include <string_view>

#include "control/control_core.h"
#include "crypto/random.h"
#include "native/crash_dumps.h"
#include "native/host.h"
#include "native/standard_streams.h"
#include "reader/logged_pcsc.h"
#include "reader/pcsc_system.h"
#include "ui/win32/win32_views.h"

namespace {

// The browser starts the host hidden, and Windows takes the show state of a
// process's first ShowWindow from how it was started: a window nobody sees
// takes that first call, so that the customer's windows appear.
void TakeTheHiddenStart(HINSTANCE module) {
  WNDCLASSW type{};
  type.lpfnWndProc = DefWindowProcW;
  type.hInstance = module;
  type.lpszClassName = L"KorvadenNativeHostStart";
  RegisterClassW(&type);
  HWND window = CreateWindowW(type.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr, module, nullptr);
  if (window == nullptr) return;
  ShowWindow(window, SW_HIDE);
  DestroyWindow(window);
}

// The browser window that Chromium-based browsers name (--parent-window=N)
// when it is still a window: it owns the customer's windows, which then stay
// in front of it. None from Firefox, which names no window.
HWND BrowserWindow(int argc, char** argv) {
  constexpr std::string_view kOption = "--parent-window=";
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (!argument.starts_with(kOption)) continue;
    const std::string_view number = argument.substr(kOption.size());
    std::uintptr_t handle = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), handle);
    if (error != std::errc() || end != number.data() + number.size()) return nullptr;
    HWND window = reinterpret_cast<HWND>(handle);
    return IsWindow(window) ? GetAncestor(window, GA_ROOT) : nullptr;
  }
  return nullptr;
}

// Closes every window of the member's thread: the dialogs end cancelled and
// a message box goes away.
void CloseWindowsOf(DWORD thread) {
  EnumThreadWindows(
      thread,
      [](HWND window, LPARAM) -> BOOL {
        PostMessageW(window, WM_CLOSE, 0, 0);
        return TRUE;
      },
      0);
}

}  // namespace

int main(int argc, char** argv) {
  using namespace korvaden;
  if (!native::KeepSecretsOutOfCrashDumps()) return 1;
  HINSTANCE module = GetModuleHandleW(nullptr);
  TakeTheHiddenStart(module);
  CustomerDesk desk;
  const ui::WindowPlace place{module, BrowserWindow(argc, argv), desk};
  ui::Win32CardPrompts prompts{place};
  ui::Win32MessageBoxes boxes{place};
  const DWORD memberThread = GetCurrentThreadId();
  LoggedPcsc pcsc(SystemPcsc(), ProcessSupportLog());
  native::Abandonment abandonment(pcsc, prompts, boxes, [memberThread] { CloseWindowsOf(memberThread); });
  ReaderModule reader(abandonment);
  SystemRandom random;
  ui::Win32Dialogs dialogs{place, random};
  const DeploymentKeys keys = BuiltInDeployment();
  Platform platform{reader, abandonment, prompts, random, abandonment, dialogs, keys, ProcessSupportLog(), desk};
  MemberGate gate(MemberGate::Reach::UserSession);
  ControlCore control(platform, gate);
  native::StandardStreams streams;
  return native::RunHost(
      {control, keys.allowedOrigins, abandonment, control.GetAPIVersion(), ProcessSupportLog(), desk}, streams,
      streams);
}
