#pragma once
// The Win32 windows of the core's interfaces: message boxes, the card prompt
// and the transfer confirmation dialog (template 203).
#include <memory>

#include "reader/card_prompt.h"
#include "ui/dialogs.h"
#include "ui/message_box.h"

namespace korvaden::ui {

class Win32MessageBoxes final : public MessageBoxes {
 public:
  void Show(std::string_view text, std::string_view caption, MessageIcon icon) override;
};

class Win32CardPrompts final : public CardPromptFactory {
 public:
  std::unique_ptr<CardPromptView> Open() override;
};

class Win32Dialogs final : public Dialogs {
 public:
  // A dialog that cannot be shown counts as cancelled: nothing is confirmed
  // that the customer did not see.
  int RunTransferConfirmation(const TransferConfirmation& confirmation) override;
  // The PIN pads and the service confirmation have no window of their own yet:
  // they count as cancelled (the control's service members are not offered).
  int RunPinPad(PinPad& pad) override;
  int RunAppConfirmation(CIVESKAppConfirm& dialog) override;
};

}  // namespace korvaden::ui
