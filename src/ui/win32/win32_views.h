#pragma once
// The Win32 windows of the core's interfaces: message boxes, the card prompt
// and the transfer confirmation dialog (template 203).
#include <windows.h>

#include <memory>

#include "base/card_prompt.h"
#include "base/dialogs.h"
#include "base/message_box.h"

namespace korvaden::ui {

class Win32MessageBoxes final : public MessageBoxes {
 public:
  void Show(std::string_view text, std::string_view caption, MessageIcon icon) override;
};

// Both take their windows and templates from `module`, the DLL's own handle.
class Win32CardPrompts final : public CardPromptFactory {
 public:
  explicit Win32CardPrompts(HINSTANCE module) : module_(module) {}
  std::unique_ptr<CardPromptView> Open() override;

 private:
  HINSTANCE module_;
};

class Win32Dialogs final : public Dialogs {
 public:
  explicit Win32Dialogs(HINSTANCE module) : module_(module) {}
  // A dialog that cannot be shown counts as cancelled: nothing is confirmed
  // that the customer did not see.
  int RunTransferConfirmation(const TransferConfirmation& confirmation) override;
  // The PIN pads and the service confirmation have no window of their own yet:
  // they count as cancelled (the control's service members are not offered).
  int RunPinPad(PinPad& pad) override;
  int RunAppConfirmation(CIVESKAppConfirm& dialog) override;

 private:
  HINSTANCE module_;
};

}  // namespace korvaden::ui
