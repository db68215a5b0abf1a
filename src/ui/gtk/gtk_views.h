#pragma once
// The GTK windows of the core's interfaces on Linux: message boxes, the card
// prompt (template 201) and the modal dialogs (templates 203, 204, 207, 209,
// 211), all on the one thread that runs the members.
#include <chrono>
#include <memory>

#include "base/random_source.h"
#include "base/sleeper.h"
#include "reader/card_prompt.h"
#include "ui/customer_desk.h"
#include "ui/dialogs.h"
#include "ui/message_box.h"

namespace korvaden::gtk {

// Whether the environment names a display (X11 or Wayland) for the windows.
bool DisplayNamed();
// Opens that display the first time a window is wanted, so that a member
// without windows pays nothing for GTK; false when it cannot be opened, and
// then each window counts as cancelled.
bool OpenDisplay();

// Closes every window of the host, from any thread: each ends as Esc ends it.
void CloseAllWindows();

// Each view titles its windows by `desk` and tells it what they ask.

// Unowned boxes, with the request's caption (on the standard error when no
// display opens).
class GtkMessageBoxes final : public MessageBoxes {
 public:
  explicit GtkMessageBoxes(CustomerDesk& desk) : desk_(desk) {}
  void Show(std::string_view text, std::string_view caption, MessageIcon icon) override;

 private:
  CustomerDesk& desk_;
};

// Opens the card prompt. It is also the sleeper of the card steps: the waits
// go on drawing what is open while no input reaches any window.
class GtkCardPrompts final : public CardPromptFactory, public Sleeper {
 public:
  explicit GtkCardPrompts(CustomerDesk& desk) : desk_(desk) {}
  std::unique_ptr<CardPromptView> Open() override;
  void Sleep(std::chrono::milliseconds duration) override;

 private:
  CustomerDesk& desk_;
};

class GtkDialogs final : public Dialogs {
 public:
  // `random` draws the noise of the pictures and keys.
  GtkDialogs(RandomSource& random, CustomerDesk& desk);
  int RunTransferConfirmation(const TransferConfirmation& confirmation) override;
  int RunPinPad(PinPad& pad) override;
  int RunAppConfirmation(CIVESKAppConfirm& dialog) override;

 private:
  RandomSource& random_;
  CustomerDesk& desk_;
  std::chrono::milliseconds tick_;
};

}  // namespace korvaden::gtk
