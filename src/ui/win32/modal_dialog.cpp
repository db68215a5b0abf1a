#include "ui/win32/modal_dialog.h"

#include <algorithm>

#include "base/windows_text.h"
#include "ui/dialog_templates.h"

namespace korvaden::ui {

namespace {

using SetThreadDpiAwarenessContextFunction = void*(WINAPI*)(void*);

// Windows 10's user32 has it; older ones do not, nor need it.
SetThreadDpiAwarenessContextFunction SetThreadDpiAwareness() {
  static const auto function = reinterpret_cast<SetThreadDpiAwarenessContextFunction>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetThreadDpiAwarenessContext")));
  return function;
}

// DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2, which older headers lack.
void* const kPerMonitorAwareV2 = reinterpret_cast<void*>(static_cast<INT_PTR>(-4));

// How far the shown controls reach past the client area's right and bottom
// edges, with the dialog's own margin (4 dialog units) after them.
SIZE Overflow(HWND window) {
  struct Reach {
    HWND dialog;
    RECT client;
    SIZE overflow;
  } reach{window, {}, {0, 0}};
  GetClientRect(window, &reach.client);
  RECT margin{0, 0, 4, 4};
  MapDialogRect(window, &margin);
  reach.client.right -= margin.right;
  reach.client.bottom -= margin.bottom;
  EnumChildWindows(
      window,
      [](HWND control, LPARAM data) -> BOOL {
        auto& r = *reinterpret_cast<Reach*>(data);
        // The dialog itself is not shown yet: the control's own style tells.
        if (GetParent(control) != r.dialog || (GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE) == 0) return TRUE;
        RECT place;
        GetWindowRect(control, &place);
        MapWindowPoints(nullptr, r.dialog, reinterpret_cast<POINT*>(&place), 2);
        r.overflow.cx = std::max(r.overflow.cx, place.right - r.client.right);
        r.overflow.cy = std::max(r.overflow.cy, place.bottom - r.client.bottom);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&reach));
  return reach.overflow;
}

void FitAndPlace(HWND window, HWND owner) {
  RECT frame;
  GetWindowRect(window, &frame);
  const SIZE overflow = Overflow(window);
  if (overflow.cx > 0) frame.right += overflow.cx;
  if (overflow.cy > 0) frame.bottom += overflow.cy;
  const bool overOwner = owner != nullptr && IsWindowVisible(owner) && !IsIconic(owner);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(overOwner ? owner : window, MONITOR_DEFAULTTONEAREST), &monitor);
  const RECT& work = monitor.rcWork;
  RECT around = work;
  if (overOwner) GetWindowRect(owner, &around);
  const LONG width = frame.right - frame.left, height = frame.bottom - frame.top;
  LONG left = (around.left + around.right - width) / 2, top = (around.top + around.bottom - height) / 2;
  left = std::max(work.left, std::min(left, work.right - width));
  top = std::max(work.top, std::min(top, work.bottom - height));
  SetWindowPos(window, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

PerMonitorDpi::PerMonitorDpi() {
  if (const auto set = SetThreadDpiAwareness()) previous_ = set(kPerMonitorAwareV2);
}

PerMonitorDpi::~PerMonitorDpi() {
  if (const auto set = SetThreadDpiAwareness(); set != nullptr && previous_ != nullptr) set(previous_);
}

void BringForward(HWND window, const WindowPlace& place, std::string_view caption) {
  SetWindowTextW(window, WideFromBig5(place.desk.Title(caption)).c_str());
  FitAndPlace(window, place.owner);
  ShowWindow(window, SW_SHOW);
  SetForegroundWindow(window);
}

void RunMessageBox(const WindowPlace& place, HWND owner, std::string_view text, std::string_view caption, UINT style) {
  const CustomerDesk::Asked asked(place.desk, Asking::Message);
  const PerMonitorDpi scaled;
  MessageBoxW(owner, WideFromBig5(text).c_str(), WideFromBig5(place.desk.Title(caption)).c_str(),
              style | (owner == nullptr ? MB_TOPMOST : 0));
}

int ModalDialog::Run(const WindowPlace& place, int templateId, Asking asking, int abandoned) {
  place_ = &place;
  templateId_ = templateId;
  {
    const PerMonitorDpi scaled;  // the window keeps the awareness it was made with
    window_ = CreateDialogParamW(place.module, MAKEINTRESOURCEW(templateId), place.owner, Procedure,
                                 reinterpret_cast<LPARAM>(this));
  }
  if (window_ == nullptr) return -1;
  if (!ended_) {
    asked_.emplace(place.desk, asking);
    BringForward(window_, place, FindDialogTemplate(templateId)->caption);
  }
  MSG message;
  while (!ended_) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got <= 0) {
      if (got == 0) PostQuitMessage(static_cast<int>(message.wParam));  // for the loop that owns the thread
      End(abandoned);
      break;
    }
    const bool ours = message.hwnd == window_ || IsChild(window_, message.hwnd);
    if (ours && message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE) {
      OnEscape();
    } else if (ours && message.message == WM_KEYDOWN && message.wParam == VK_RETURN && !EnterPressesDefault()) {
      continue;  // not even to the control that has the focus
    } else if (!IsDialogMessageW(window_, &message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  DestroyWindow(window_);
  window_ = nullptr;
  asked_.reset();
  return result_;
}

void ModalDialog::End(int result) {
  if (ended_) return;
  ended_ = true;
  result_ = result;
  KillTimer(window_, kCountdownTimer);
  ShowWindow(window_, SW_HIDE);
  asked_.reset();
  PostMessageW(window_, WM_NULL, 0, 0);  // wakes the loop
}

void ModalDialog::StartCountdown(UINT periodMs) {
  if (!ended_) SetTimer(window_, kCountdownTimer, periodMs, nullptr);
}

void ModalDialog::SetItemText(int id, std::string_view text) {
  SetDlgItemTextW(window_, id, WideFromBig5(text).c_str());
}

std::string ModalDialog::ItemText(int id) const {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(Item(id))) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetDlgItemTextW(window_, id, text.data(), static_cast<int>(text.size()))));
  return Big5FromWide(text);
}

void ModalDialog::ShowBox(std::string_view text, std::string_view caption, UINT style) {
  RunMessageBox(*place_, window_, text, caption, style);
}

INT_PTR ModalDialog::OnMessage(UINT, WPARAM, LPARAM) { return FALSE; }

INT_PTR CALLBACK ModalDialog::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* dialog = reinterpret_cast<ModalDialog*>(lParam);
    SetWindowLongPtrW(window, DWLP_USER, lParam);
    dialog->window_ = window;
    // Titled before anything can show or activate it.
    SetWindowTextW(window,
                   WideFromBig5(dialog->place_->desk.Title(FindDialogTemplate(dialog->templateId_)->caption)).c_str());
    return dialog->OnInit();
  }
  auto* dialog = reinterpret_cast<ModalDialog*>(GetWindowLongPtrW(window, DWLP_USER));
  if (dialog == nullptr) return FALSE;
  if (dialog->ended_ && message == WM_TIMER) return TRUE;  // a tick that was already on its way
  switch (message) {
    case WM_COMMAND:
      dialog->OnCommand(LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case WM_CLOSE:
      dialog->OnEscape();
      return TRUE;
    default:
      return dialog->OnMessage(message, wParam, lParam);
  }
}

}  // namespace korvaden::ui
