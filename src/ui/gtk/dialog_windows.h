#pragma once
// The modal views of the presenters: each turns widget signals into presenter
// calls and presenter output into widget state, and returns the dialog's
// result. `tick` is the countdowns' second (shorter only in tests).
#include <chrono>

#include "base/random_source.h"
#include "ui/customer_desk.h"
#include "ui/transfer_confirmation.h"

namespace korvaden {
class PinPad;
class CIVESKAppConfirm;
}  // namespace korvaden

namespace korvaden::gtk {

int RunTransferWindow(const TransferConfirmation& confirmation, CustomerDesk& desk);
// `random` draws the noise of the pictures and the digit keys.
int RunPinPadWindow(PinPad& pad, RandomSource& random, std::chrono::milliseconds tick, CustomerDesk& desk);
int RunAppConfirmWindow(CIVESKAppConfirm& presenter, RandomSource& random, std::chrono::milliseconds tick,
                        CustomerDesk& desk);

}  // namespace korvaden::gtk
