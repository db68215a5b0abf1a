#pragma once
// The host's stand-ins for the control's windows: message boxes and the card
// prompt print to the standard error (Big5 shown as UTF-8), and the dialogs
// are answered from the customer's script.
#include <memory>
#include <string>

#include "reader/card_prompt.h"
#include "scripted_customer.h"
#include "ui/message_box.h"

namespace korvaden::host {

class ConsoleMessageBoxes final : public MessageBoxes {
 public:
  void Show(std::string_view text, std::string_view caption, MessageIcon icon) override;
};

class ConsolePrompts final : public CardPromptFactory {
 public:
  std::unique_ptr<CardPromptView> Open() override;
};

// Reads the customer's script: "transfer_confirmation=confirm|cancel",
// "pin_pad=ACTIONS" and "app_confirmation=ACTIONS" (one line per dialog, in
// the order the dialogs come; see scripted_customer.h).
bool LoadCustomerScript(const std::string& path, customer::ScriptedCustomer& customer, std::string& error);

// Prints what the customer saw in the dialogs.
void ReportDialogs(const customer::ScriptedCustomer& customer);

}  // namespace korvaden::host
