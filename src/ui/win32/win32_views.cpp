#include "ui/win32/win32_views.h"

#include <windows.h>

#include <algorithm>
#include <string>

#include "base/windows_text.h"
#include "ui/resource_ids.h"
#include "ui/win32/dialog_views.h"
#include "ui/win32/picture_controls.h"

namespace korvaden::ui {

void Win32MessageBoxes::Show(std::string_view text, std::string_view caption, MessageIcon icon) {
  RunMessageBox(place_, place_.owner, text, caption,
                MB_OK | (icon == MessageIcon::Error ? MB_ICONERROR : MB_ICONWARNING));
}

// The prompt of template 201: picture 248 at stage 1, 249 at stage 2, drawn
// over the whole client area at each stage and whenever it is uncovered.
class Win32CardPrompt final : public CardPromptView {
 public:
  Win32CardPrompt(Win32CardPrompts& owner, HWND window)
      : owner_(owner), window_(window), asked_(owner.place_.desk, Asking::TakeCardOut) {
    SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(this));
    owner_.openPrompt_ = window;
  }
  ~Win32CardPrompt() override {
    owner_.openPrompt_ = nullptr;
    ShowWindow(window_, SW_HIDE);
    DestroyWindow(window_);
  }
  void ShowStage(int stage) override {
    asked_.Change(stage == 1 ? Asking::TakeCardOut : Asking::PutCardBack);
    picture_.LoadImageResource(owner_.place_.module, stage == 1 ? kIdPromptRemovePicture : kIdPromptInsertPicture);
    HDC dc = GetDC(window_);
    Paint(dc);
    ReleaseDC(window_, dc);
    ValidateRect(window_, nullptr);
    // GDI output reaches the screen only when the thread looks at its queue;
    // this range is one nobody posts to, so nothing is taken or dispatched.
    MSG none;
    PeekMessageW(&none, nullptr, WM_APP + 0x3FFF, WM_APP + 0x3FFF, PM_NOREMOVE);
  }
  void Paint(HDC dc) const {
    RECT client;
    GetClientRect(window_, &client);
    picture_.Draw(dc, client);
  }

  static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM, LPARAM) {
    auto* prompt = reinterpret_cast<Win32CardPrompt*>(GetWindowLongPtrW(window, DWLP_USER));
    if (message != WM_PAINT || prompt == nullptr) return FALSE;
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    prompt->Paint(dc);
    EndPaint(window, &paint);
    return TRUE;
  }

 private:
  Win32CardPrompts& owner_;
  HWND window_;
  CustomerDesk::Asked asked_;
  PictureHolder picture_;
};

std::unique_ptr<CardPromptView> Win32CardPrompts::Open() {
  const PerMonitorDpi scaled;
  HWND window = CreateDialogParamW(place_.module, MAKEINTRESOURCEW(kIdCardPromptDialog), place_.owner,
                                   Win32CardPrompt::Procedure, 0);
  if (window == nullptr) return nullptr;
  auto prompt = std::make_unique<Win32CardPrompt>(*this, window);
  BringForward(window, place_, "");
  UpdateWindow(window);
  return prompt;
}

void Win32CardPrompts::Sleep(std::chrono::milliseconds duration) {
  constexpr auto kSlice = std::chrono::milliseconds(50);
  for (auto left = duration; left.count() > 0; left -= kSlice) {
    ::Sleep(static_cast<DWORD>(std::min(left, kSlice).count()));
    MSG paint;
    while (openPrompt_ != nullptr && PeekMessageW(&paint, openPrompt_, WM_PAINT, WM_PAINT, PM_REMOVE)) {
      DispatchMessageW(&paint);
    }
  }
}

int Win32Dialogs::RunTransferConfirmation(const TransferConfirmation& confirmation) {
  return RunTransferDialog(place_, confirmation);
}

int Win32Dialogs::RunPinPad(PinPad& pad) { return RunPinPadDialog(place_, pad, random_); }

int Win32Dialogs::RunAppConfirmation(CIVESKAppConfirm& dialog) { return RunAppConfirmDialog(place_, dialog, random_); }

}  // namespace korvaden::ui
