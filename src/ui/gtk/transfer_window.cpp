#include "ui/gtk/dialog_windows.h"
#include "ui/gtk/template_window.h"
#include "ui/resource_ids.h"

namespace korvaden::gtk {
namespace {

constexpr int kCancelButton = 1;   // "取消 (N)"
constexpr int kConfirmButton = 2;  // "確定 (Y)"

// Only a press of "確定 (Y)" confirms: Esc and closing the window cancel.
class TransferWindow final : public ModalWindow {
 public:
  TransferWindow(const TransferConfirmation& confirmation, CustomerDesk& desk) : ModalWindow(kIdTransferDialog, desk) {
    SetItemText(kIdTransferorText, confirmation.transferorText);
    SetItemText(kIdTransfereeText, confirmation.transfereeText);
    SetItemText(kIdAmountText, confirmation.amountText);
  }

 private:
  void OnCommand(int id) override {
    if (id == kCancelButton) End(kTransferCancelled);
    if (id == kConfirmButton) End(kTransferConfirmed);
  }
  void OnEscape() override { End(kTransferCancelled); }
};

}  // namespace

int RunTransferWindow(const TransferConfirmation& confirmation, CustomerDesk& desk) {
  TransferWindow window(confirmation, desk);
  return window.Run(Asking::Confirm) == kTransferConfirmed ? kTransferConfirmed : kTransferCancelled;
}

}  // namespace korvaden::gtk
