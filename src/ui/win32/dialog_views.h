#pragma once
// The modal views of the presenters: each turns window messages into presenter
// calls and presenter output into window state. Each returns the dialog's
// result, or its cancel result when the window cannot be shown.
#include <windows.h>

#include "base/random_source.h"
#include "ui/transfer_confirmation.h"
#include "ui/win32/modal_dialog.h"

namespace korvaden {
class PinPad;
class CIVESKAppConfirm;
}  // namespace korvaden

namespace korvaden::ui {

int RunTransferDialog(const WindowPlace& place, const TransferConfirmation& confirmation);
// `random` draws the noise of the pictures and the digit keys.
int RunPinPadDialog(const WindowPlace& place, PinPad& pad, RandomSource& random);
int RunAppConfirmDialog(const WindowPlace& place, CIVESKAppConfirm& dialog, RandomSource& random);

}  // namespace korvaden::ui
