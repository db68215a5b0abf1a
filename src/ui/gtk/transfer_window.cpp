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
  explicit TransferWindow(const TransferConfirmation& confirmation) : ModalWindow(kIdTransferDialog) {
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

int RunTransferWindow(const TransferConfirmation& confirmation) {
  TransferWindow window(confirmation);
  return window.Run() == kTransferConfirmed ? kTransferConfirmed : kTransferCancelled;
}

}  // namespace korvaden::gtk
