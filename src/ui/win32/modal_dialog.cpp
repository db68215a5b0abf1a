#include "ui/win32/modal_dialog.h"

#include "base/windows_text.h"
#include "ui/dialog_templates.h"

namespace korvaden::ui {

void BringForward(HWND window, const WindowPlace& place, std::string_view caption) {
  SetWindowTextW(window, WideFromBig5(place.desk.Title(caption)).c_str());
  ShowWindow(window, SW_SHOW);
  SetForegroundWindow(window);
}

void RunMessageBox(const WindowPlace& place, HWND owner, std::string_view text, std::string_view caption, UINT style) {
  const CustomerDesk::Asked asked(place.desk, Asking::Message);
  MessageBoxW(owner, WideFromBig5(text).c_str(), WideFromBig5(place.desk.Title(caption)).c_str(),
              style | (owner == nullptr ? MB_TOPMOST : 0));
}

int ModalDialog::Run(const WindowPlace& place, int templateId, Asking asking, int abandoned) {
  place_ = &place;
  window_ = CreateDialogParamW(place.module, MAKEINTRESOURCEW(templateId), place.owner, Procedure,
                               reinterpret_cast<LPARAM>(this));
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
