#pragma once
// The modal dialogs the flows show. The Windows build runs real dialogs; the
// host and the tests answer them from a script.
#include "ui/transfer_confirmation.h"

namespace korvaden {

class PinPad;
class CIVESKAppConfirm;

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // Runs CIVESKConfirmDlg with no parent: kTransferCancelled or kTransferConfirmed.
  virtual int RunTransferConfirmation(const TransferConfirmation& confirmation) = 0;
  // Runs a PIN pad or the service confirmation modally: its view forwards the
  // customer's actions to it until it ends the dialog; gives the result.
  virtual int RunPinPad(PinPad& pad) = 0;
  virtual int RunAppConfirmation(CIVESKAppConfirm& dialog) = 0;
};

}  // namespace korvaden
