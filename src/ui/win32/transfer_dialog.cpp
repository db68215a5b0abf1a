#include <windows.h>

#include "ui/resource_ids.h"
#include "ui/win32/dialog_views.h"
#include "ui/win32/modal_dialog.h"

namespace korvaden::ui {
namespace {

// Template 203 gives "取消 (N)" the OK command (1) and "確定 (Y)" the cancel
// command (2). Only a press of "確定 (Y)" confirms: Esc and closing the window
// go through OnEscape and cancel.
class TransferDialog final : public ModalDialog {
 public:
  explicit TransferDialog(const TransferConfirmation& confirmation) : confirmation_(confirmation) {}

 private:
  BOOL OnInit() override {
    SetItemText(kIdTransferorText, confirmation_.transferorText);
    SetItemText(kIdTransfereeText, confirmation_.transfereeText);
    SetItemText(kIdAmountText, confirmation_.amountText);
    return TRUE;
  }
  void OnCommand(int id, int) override {
    if (id == IDOK) End(kTransferCancelled);
    if (id == IDCANCEL) End(kTransferConfirmed);
  }
  void OnEscape() override { End(kTransferCancelled); }

  const TransferConfirmation& confirmation_;
};

}  // namespace

int RunTransferDialog(const WindowPlace& place, const TransferConfirmation& confirmation) {
  TransferDialog dialog(confirmation);
  const int result = dialog.Run(place, kIdTransferDialog, Asking::Confirm, kTransferCancelled);
  return result == kTransferConfirmed ? kTransferConfirmed : kTransferCancelled;
}

}  // namespace korvaden::ui
