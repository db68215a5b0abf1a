#include <string>

#include "ui/app_confirm.h"
#include "ui/dialog_templates.h"
#include "ui/drawn_controls.h"
#include "ui/gtk/cairo_canvas.h"
#include "ui/gtk/dialog_windows.h"
#include "ui/gtk/template_window.h"
#include "ui/resource_ids.h"

namespace korvaden::gtk {
namespace {

constexpr std::size_t kAccountLineWidth = 20;

class AppConfirmWindow final : public ModalWindow, public AppConfirmView {
 public:
  AppConfirmWindow(CIVESKAppConfirm& presenter, RandomSource& random, CustomerDesk& desk)
      : ModalWindow(kIdAppConfirmDialog, desk), presenter_(presenter), accountImage_(random) {
    UseDialogColors(kIdActivityTitle);
    SetRed(kIdAppCountdown, true);
  }

  void Open(std::chrono::milliseconds tick) {
    presenter_.OnOpen(*this);
    StartCountdown(tick);
  }

  void ShowAccount(std::string_view label, std::string_view line) override {
    SetItemText(kIdAccountLabel, label);
    CairoCanvas canvas;
    accountImage_.RenderMasked(canvas, line, kAccountLineWidth, false, false);
    SetPicture(kIdAccountPicture, canvas.TakePicture());
  }
  void ShowActivityTitle(std::string_view title) override { SetItemText(kIdActivityTitle, title); }
  void ShowHint(bool shown) override {
    SetRed(kIdAppHint, shown);
    SetShown(kIdAppHint, shown);
  }
  void ShowCountdown(std::string_view seconds) override { SetItemText(kIdAppCountdown, seconds); }
  void ShowMessage(std::string_view text) override {
    ShowBox(text, FindStringResource(kIdApplicationTitle), GTK_MESSAGE_WARNING);
  }
  void EndDialog(int result) override { End(result); }

 private:
  void OnCommand(int id) override { presenter_.OnPressed(id); }
  void OnEscape() override { presenter_.OnEscape(); }
  void OnTick() override { presenter_.OnTimer(); }

  CIVESKAppConfirm& presenter_;
  GRD_image accountImage_;
};

}  // namespace

int RunAppConfirmWindow(CIVESKAppConfirm& presenter, RandomSource& random, std::chrono::milliseconds tick,
                        CustomerDesk& desk) {
  AppConfirmWindow window(presenter, random, desk);
  window.Open(tick);
  return window.Run(Asking::Confirm);
}

}  // namespace korvaden::gtk
