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

namespace korvaden::ui {

class Win32MessageBoxes final : public MessageBoxes {
 public:
  void Show(std::string_view text, std::string_view caption, MessageIcon icon) override;
};

// Opens the card prompt from the module's template and pictures. It is also
// the sleeper of the card steps: while a prompt is up, the waits repaint it
// when it is uncovered, and handle no other message, so that neither input nor
// a page's script reaches the control in between.
class Win32CardPrompts final : public CardPromptFactory, public Sleeper {
 public:
  explicit Win32CardPrompts(HINSTANCE module) : module_(module) {}
  std::unique_ptr<CardPromptView> Open() override;
  void Sleep(std::chrono::milliseconds duration) override;

 private:
  friend class Win32CardPrompt;
  HINSTANCE module_;
  HWND openPrompt_ = nullptr;
};

// Every dialog takes its template from `module`, the DLL's own handle; a dialog
// that cannot be shown counts as cancelled: nothing is confirmed that the
// customer did not see.
class Win32Dialogs final : public Dialogs {
 public:
  Win32Dialogs(HINSTANCE module, RandomSource& random) : module_(module), random_(random) {}
  int RunTransferConfirmation(const TransferConfirmation& confirmation) override;
  int RunPinPad(PinPad& pad) override;
  int RunAppConfirmation(CIVESKAppConfirm& dialog) override;

 private:
  HINSTANCE module_;
  RandomSource& random_;
};

}  // namespace korvaden::ui
