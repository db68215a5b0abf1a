#pragma once
// The modal dialogs the flows show. The Windows build runs real dialogs; the
// host and the tests answer them from a script.
#include "ui/transfer_confirmation.h"

namespace korvaden {

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // Runs CIVESKConfirmDlg with no parent: kTransferCancelled or kTransferConfirmed.
  virtual int RunTransferConfirmation(const TransferConfirmation& confirmation) = 0;
};

}  // namespace korvaden
