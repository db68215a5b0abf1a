#include "ui/app_confirm.h"

#include <chrono>
#include <cstdio>
#include <tuple>

#include "ui/resource_ids.h"
#include "ui/texts.h"

namespace korvaden {

void CIVESKAppConfirm::OnOpen(AppConfirmView& view) {
  view_ = &view;
  view.ShowAccount(accountLabel, accountLine);
  view.ShowActivityTitle(activityTitle);
  secondsLeft_ = 540;
  view.ShowHint(pinMode != "1");
}

void CIVESKAppConfirm::OnTimer() {
  if (secondsLeft_ < 1) {
    view_->ShowCountdown("000");
    seams_.sleeper.Sleep(std::chrono::milliseconds(1000));
    view_->EndDialog(kAppConfirmTimedOut);
    return;
  }
  char seconds[16];
  std::snprintf(seconds, sizeof(seconds), "%03d", secondsLeft_);
  view_->ShowCountdown(seconds);
  --secondsLeft_;
}

void CIVESKAppConfirm::OnConfirm() {
  // This connection closes when the handler returns.
  const std::unique_ptr<CardConnection> card = seams_.card.Connect(readerName);
  if (!card) {
    view_->EndDialog(kAppConfirmUnreachable);
    return;
  }
  if (pinMode != "1" || card->WaitCardReinsert()) {
    view_->EndDialog(kAppConfirmed);
    return;
  }
  view_->ShowMessage(texts::kReinsertFailedMessage);
}

void CIVESKAppConfirm::OnCancel() { view_->EndDialog(kAppConfirmCancelled); }

void CIVESKAppConfirm::OnPressed(int control) {
  constexpr int kHiddenOk = 1, kEscape = 2;
  if (control == kIdAppConfirmOk) OnConfirm();
  if (control == kIdAppConfirmCancel) OnCancel();
  if (control == kEscape) OnEscape();
  if (control == kHiddenOk) OnHiddenOk();
}

void CIVESKAppConfirm::OnEscape() { view_->EndDialog(kAppConfirmUnreachable); }

void CIVESKAppConfirm::OnHiddenOk() { view_->EndDialog(kAppConfirmHiddenOk); }

}  // namespace korvaden
