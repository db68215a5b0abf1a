#include "native/no_windows.h"

#include <iostream>

#include "base/utf8_text.h"
#include "ui/app_confirm.h"
#include "ui/pin_pad.h"

namespace korvaden::native {
namespace {

void Tell(std::string_view what) { std::cerr << "korvaden-native: no window on this system: " << what << "\n"; }

}  // namespace

std::unique_ptr<CardPromptView> NoWindows::Open() {
  Tell("the card prompt");
  return nullptr;
}

int NoWindows::RunTransferConfirmation(const TransferConfirmation&) {
  Tell("the transfer confirmation");
  return kTransferCancelled;
}

int NoWindows::RunPinPad(PinPad&) {
  Tell("the PIN pad");
  return kPinPadCancelled;
}

int NoWindows::RunAppConfirmation(CIVESKAppConfirm&) {
  Tell("the service confirmation");
  return kAppConfirmCancelled;
}

void NoWindows::Show(std::string_view text, std::string_view caption, MessageIcon) {
  std::cerr << "korvaden-native: message box \"" << Utf8FromBig5(caption) << "\": " << Utf8FromBig5(text) << "\n";
}

}  // namespace korvaden::native
