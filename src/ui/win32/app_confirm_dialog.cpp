#include <windows.h>

#include <string>

#include "base/windows_text.h"
#include "ui/app_confirm.h"
#include "ui/drawn_controls.h"
#include "ui/resource_ids.h"
#include "ui/win32/dialog_views.h"
#include "ui/win32/gdi_canvas.h"
#include "ui/win32/modal_dialog.h"
#include "ui/win32/picture_controls.h"

namespace korvaden::ui {
namespace {

constexpr std::size_t kAccountLineWidth = 20;

// Multi-line edits and statics break lines at "\r\n"; the texts carry "\n".
std::string WithWindowsLineBreaks(std::string_view text) {
  std::string out;
  for (const char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

class AppConfirmDialog final : public ModalDialog, public AppConfirmView {
 public:
  AppConfirmDialog(HINSTANCE module, CIVESKAppConfirm& presenter, RandomSource& random)
      : module_(module), presenter_(presenter), accountImage_(random) {}

  void ShowAccount(std::string_view label, std::string_view line) override {
    SetItemText(kIdAccountLabel, WithWindowsLineBreaks(label));
    GdiCanvas canvas;
    accountImage_.RenderMasked(canvas, line, kAccountLineWidth, false, false);
    SetPicture(Item(kIdAccountPicture), canvas.TakeBitmap());
  }
  void ShowActivityTitle(std::string_view title) override {
    SetItemText(kIdActivityTitle, WithWindowsLineBreaks(title));
  }
  void ShowHint(bool shown) override {
    colors_.SetRed(kIdAppHint, shown);
    ShowWindow(Item(kIdAppHint), shown ? SW_SHOW : SW_HIDE);
  }
  void ShowCountdown(std::string_view seconds) override {
    SetItemText(kIdAppCountdown, seconds);
    RedrawWindow(Item(kIdAppCountdown), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  }
  void ShowMessage(std::string_view text) override {
    wchar_t title[64] = {};
    LoadStringW(module_, kIdApplicationTitle, title, 64);
    ShowBox(text, Big5FromWide(title), MB_OK | MB_ICONWARNING);
  }
  void EndDialog(int result) override { End(result); }

 private:
  BOOL OnInit() override {
    presenter_.OnOpen(*this);
    StartCountdown(1000);
    return TRUE;
  }
  void OnCommand(int id, int notification) override {
    if (notification == BN_CLICKED) presenter_.OnPressed(id);
  }
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case WM_TIMER:
        presenter_.OnTimer();
        return TRUE;
      case WM_DESTROY:
        SetPicture(Item(kIdAccountPicture), nullptr);
        return FALSE;
    }
    return colors_.Answer(message, wParam, lParam);
  }

  HINSTANCE module_;
  CIVESKAppConfirm& presenter_;
  GRD_image accountImage_;
  DialogColors colors_{{kIdAppCountdown}, kIdActivityTitle};
};

}  // namespace

int RunAppConfirmDialog(const WindowPlace& place, CIVESKAppConfirm& presenter, RandomSource& random) {
  AppConfirmDialog dialog(place.module, presenter, random);
  const int result = dialog.Run(place, kIdAppConfirmDialog, Asking::Confirm, kAppConfirmCancelled);
  return result < 0 ? kAppConfirmCancelled : result;
}

}  // namespace korvaden::ui
