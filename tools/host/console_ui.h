#pragma once
// The host's stand-ins for the control's windows: message boxes and the card
// prompt print to the standard error (Big5 shown as UTF-8), and the dialogs
// are answered from the customer's script.
#include <map>
#include <memory>
#include <string>

#include "reader/card_prompt.h"
#include "ui/dialogs.h"
#include "ui/message_box.h"

namespace korvaden::host {

std::string Big5ToUtf8(std::string_view big5);

class ConsoleMessageBoxes final : public MessageBoxes {
 public:
  void Show(std::string_view text, std::string_view caption, MessageIcon icon) override;
};

class ConsolePrompts final : public CardPromptFactory {
 public:
  std::unique_ptr<CardPromptView> Open() override;
};

// "name=value" lines: transfer_confirmation=confirm|cancel.
class CustomerScript final : public Dialogs {
 public:
  bool Load(const std::string& path, std::string& error);
  int RunTransferConfirmation(const TransferConfirmation& confirmation) override;

 private:
  std::map<std::string, std::string> answers_;
};

}  // namespace korvaden::host
