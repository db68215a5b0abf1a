#pragma once
// The transfer confirmation ("轉出資料確認"): transferor account, transferee
// account and amount, with the keys "取消 (N)" (control 1, result 1) and
// "確定 (Y)" (control 2, result 2). Esc and closing the window cancel.
#include <string>

namespace korvaden {

struct TransferConfirmation {
  std::string transferorText;  // edit 214
  std::string transfereeText;  // edit 212
  std::string amountText;      // edit 215
};

inline constexpr int kTransferCancelled = 1;
inline constexpr int kTransferConfirmed = 2;

}  // namespace korvaden
