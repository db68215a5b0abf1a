#pragma once
// The Win32 windows of the core's interfaces: message boxes, the card prompt
// (template 201) and the modal dialogs (templates 203, 204, 207, 209, 211).
#include <windows.h>

#include <chrono>
#include <memory>

#include "base/random_source.h"
#include "base/sleeper.h"
#include "reader/card_prompt.h"
#include "ui/dialogs.h"
#include "ui/message_box.h"
#include "ui/win32/modal_dialog.h"

namespace korvaden::ui {

// Each view makes its windows in `place`.

class Win32MessageBoxes final : public MessageBoxes {
 public:
  explicit Win32MessageBoxes(const WindowPlace& place) : place_(place) {}
  void Show(std::string_view text, std::string_view caption, MessageIcon icon) override;

 private:
  const WindowPlace& place_;
};

// Opens the card prompt from the module's template and pictures. It is also
// the sleeper of the card steps: while a prompt is up, the waits repaint it
// when it is uncovered, and handle no other message, so that neither input nor
// a page's script reaches the control in between.
class Win32CardPrompts final : public CardPromptFactory, public Sleeper {
 public:
  explicit Win32CardPrompts(const WindowPlace& place) : place_(place) {}
  std::unique_ptr<CardPromptView> Open() override;
  void Sleep(std::chrono::milliseconds duration) override;

 private:
  friend class Win32CardPrompt;
  const WindowPlace& place_;
  HWND openPrompt_ = nullptr;
};

// A dialog that cannot be shown counts as cancelled: nothing is confirmed
// that the customer did not see.
class Win32Dialogs final : public Dialogs {
 public:
  Win32Dialogs(const WindowPlace& place, RandomSource& random) : place_(place), random_(random) {}
  int RunTransferConfirmation(const TransferConfirmation& confirmation) override;
  int RunPinPad(PinPad& pad) override;
  int RunAppConfirmation(CIVESKAppConfirm& dialog) override;

 private:
  const WindowPlace& place_;
  RandomSource& random_;
};

}  // namespace korvaden::ui
