#pragma once
// The modal views of the presenters: each turns window messages into presenter
// calls and presenter output into window state. Each returns the dialog's
// result, or its cancel result when the window cannot be shown.
#include <windows.h>

#include "base/random_source.h"
#include "ui/transfer_confirmation.h"

namespace korvaden {
class PinPad;
class CIVESKAppConfirm;
}  // namespace korvaden

namespace korvaden::ui {

int RunTransferDialog(HINSTANCE module, const TransferConfirmation& confirmation);
// `random` draws the noise of the pictures and the digit keys.
int RunPinPadDialog(HINSTANCE module, PinPad& pad, RandomSource& random);
int RunAppConfirmDialog(HINSTANCE module, CIVESKAppConfirm& dialog, RandomSource& random);

}  // namespace korvaden::ui
