#include "ui/win32/win32_views.h"

#include <windows.h>

#include <string>

#include "ui/app_confirm.h"
#include "ui/pin_pad.h"
#include "ui/resource_ids.h"
#include "ui/texts.h"

namespace korvaden::ui {
namespace {

constexpr int kPromptWidth = 450;
constexpr int kPromptHeight = 95;

class Win32CardPrompt final : public CardPromptView {
 public:
  explicit Win32CardPrompt(HWND window) : window_(window) {}
  ~Win32CardPrompt() override {
    ShowWindow(window_, SW_HIDE);
    DestroyWindow(window_);
  }
  void ShowStage(int stage) override {
    const std::string text = std::string(texts::kPromptHeading) + "\r\n\r\n" +
                             (stage == 1 ? texts::kPromptRemoveCard : texts::kPromptInsertCard);
    SetWindowTextA(window_, text.c_str());
    UpdateWindow(window_);
  }

 private:
  HWND window_;
};

INT_PTR CALLBACK TransferDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      const auto* confirmation = reinterpret_cast<const TransferConfirmation*>(lParam);
      SetDlgItemTextA(dialog, kIdTransferorText, confirmation->transferorText.c_str());
      SetDlgItemTextA(dialog, kIdTransfereeText, confirmation->transfereeText.c_str());
      SetDlgItemTextA(dialog, kIdAmountText, confirmation->amountText.c_str());
      SetForegroundWindow(dialog);
      return TRUE;
    }
    case WM_COMMAND:
      // Control 1 is "取消 (N)", control 2 "確定 (Y)" (and Esc).
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, LOWORD(wParam) == IDOK ? kTransferCancelled : kTransferConfirmed);
        return TRUE;
      }
      break;
  }
  return FALSE;
}

}  // namespace

void Win32MessageBoxes::Show(std::string_view text, std::string_view caption, MessageIcon icon) {
  const std::string body(text), title(caption);
  MessageBoxA(nullptr, body.c_str(), title.c_str(),
              MB_OK | MB_TOPMOST | (icon == MessageIcon::Error ? MB_ICONERROR : MB_ICONWARNING));
}

std::unique_ptr<CardPromptView> Win32CardPrompts::Open() {
  const int x = (GetSystemMetrics(SM_CXSCREEN) - kPromptWidth) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - kPromptHeight) / 2;
  HWND window = CreateWindowExA(WS_EX_TOPMOST, "STATIC", "", WS_POPUP | WS_BORDER | WS_VISIBLE | SS_CENTER, x, y,
                                kPromptWidth, kPromptHeight, nullptr, nullptr, module_, nullptr);
  if (window == nullptr) return nullptr;
  SetForegroundWindow(window);
  return std::make_unique<Win32CardPrompt>(window);
}

int Win32Dialogs::RunTransferConfirmation(const TransferConfirmation& confirmation) {
  const INT_PTR result = DialogBoxParamW(module_, MAKEINTRESOURCEW(kIdTransferDialog), nullptr, TransferDialogProc,
                                         reinterpret_cast<LPARAM>(&confirmation));
  return result == kTransferConfirmed ? kTransferConfirmed : kTransferCancelled;
}

int Win32Dialogs::RunPinPad(PinPad&) { return kPinPadCancelled; }

int Win32Dialogs::RunAppConfirmation(CIVESKAppConfirm&) { return kAppConfirmUnreachable; }

}  // namespace korvaden::ui
