#pragma once
// A customer who answers the control's dialogs from a script, as a person
// would: reading the shuffled digits on the PIN pad's buttons and the
// verification code in its picture. Used by korvaden-host and the tests.
//
// A PIN pad script is a list of actions separated by ";":
//   field N        select field N (1 password, 2 confirmation, 3 code, 4 card PIN)
//   type DIGITS    press the buttons that show these digits
//   code           type the verification code that is shown
//   code DIGITS    type these digits as the code
//   back | clear | confirm | cancel | ok
//   wait N         N seconds of the countdown pass
// An application confirmation script is one of: confirm, cancel, escape, ok,
// wait N, or several separated by ";". A script that runs out cancels.
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/dialogs.h"

namespace korvaden::customer {

class ScriptedCustomer final : public Dialogs {
 public:
  int RunTransferConfirmation(const TransferConfirmation& confirmation) override;
  int RunPinPad(PinPad& pad) override;
  int RunAppConfirmation(CIVESKAppConfirm& dialog) override;

  int transferAnswer = kTransferConfirmed;
  std::function<void()> onTransfer;    // what happens while the transfer dialog is up
  std::function<void()> onAppConfirm;  // what happens while the service confirmation is up
  std::deque<std::string> pinPadScripts;
  std::deque<std::string> appConfirmScripts;

  // What the customer saw.
  std::vector<TransferConfirmation> transfers;
  std::vector<std::string> messages;  // the dialogs' own message boxes, in order
  std::vector<std::string> shownCodes;
  std::vector<std::string> accountLines;
  std::vector<bool> hintsShown;
  std::vector<std::string> keyCaptions;  // the ten captions of each pad, as a text
};

std::vector<std::string_view> SplitActions(std::string_view script);

}  // namespace korvaden::customer
