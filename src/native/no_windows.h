#pragma once
// Where the host has no windows (Linux, for now): a member that needs one
// ends 8990, and what a window would have said goes to the standard error.
#include <memory>

#include "reader/card_prompt.h"
#include "ui/dialogs.h"
#include "ui/message_box.h"

namespace korvaden::native {

class NoWindows final : public CardPromptFactory, public Dialogs, public MessageBoxes {
 public:
  std::unique_ptr<CardPromptView> Open() override;
  int RunTransferConfirmation(const TransferConfirmation& confirmation) override;
  int RunPinPad(PinPad& pad) override;
  int RunAppConfirmation(CIVESKAppConfirm& dialog) override;
  void Show(std::string_view text, std::string_view caption, MessageIcon icon) override;
};

}  // namespace korvaden::native
