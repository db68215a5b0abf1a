#include "ui/pin_pad.h"

#include <cstdio>

#include "base/result_codes.h"
#include "base/text_checks.h"
#include "ui/resource_ids.h"
#include "ui/texts.h"
#include "ui/verification_code.h"

namespace korvaden {
namespace {

constexpr int kCountdownSeconds = 540;
constexpr std::size_t kMaxCardPinDigits = 12;
constexpr std::size_t kMinCardPinDigits = 6;
constexpr std::size_t kCodeDigits = 6;

const PinPadProfile kAppCert{kIdAppCertPad,
                             kIdPasswordDisplay,
                             kIdConfirmDisplay,
                             6,
                             6,
                             6,
                             false,
                             texts::kAppCertPasswordFull,
                             texts::kAppCertConfirmFull,
                             texts::kAppCertLengthWrong,
                             texts::kAppCertMismatch};
const PinPadProfile kCardless{
    kIdCardlessPad,       kIdCardlessPasswordDisplay,  kIdCardlessConfirmDisplay, 12, 6, 12, true, texts::kCardlessFull,
    texts::kCardlessFull, texts::kCardlessLengthWrong, texts::kCardlessMismatch};
const PinPadProfile kBonding{kIdBondingPad,
                             kIdPasswordDisplay,
                             kIdConfirmDisplay,
                             6,
                             6,
                             6,
                             false,
                             texts::kBondingPasswordFull,
                             texts::kBondingConfirmFull,
                             texts::kBondingLengthWrong,
                             texts::kBondingMismatch};

std::string Format(const char* format, int value) {
  char text[16];
  std::snprintf(text, sizeof(text), format, value);
  return text;
}

// Every digit after the first is the previous one plus `step` (mod 10).
bool IsRun(std::string_view digits, int step) {
  for (std::size_t i = 1; i < digits.size(); ++i) {
    if ((digits[i - 1] - '0' + step + 10) % 10 != digits[i] - '0') return false;
  }
  return true;
}

}  // namespace

const PinPadProfile& ProfileOf(PinPadKind kind) {
  switch (kind) {
    case PinPadKind::CardLessApply:
      return kCardless;
    case PinPadKind::BondingMobileDevice:
      return kBonding;
    case PinPadKind::CIVESKAppCert:
      break;
  }
  return kAppCert;
}

PinPad::PinPad(PinPadKind kind, const PresenterSeams& seams)
    : profile_(ProfileOf(kind)), seams_(seams), keypad_(seams.random) {}

PinPad::Entry* PinPad::EntryOf(int field) {
  switch (field) {
    case kFieldPassword:
      return &password_;
    case kFieldConfirm:
      return &confirm_;
    case kFieldCardPin:
      return &cardPin_;
    default:
      return nullptr;
  }
}

std::size_t PinPad::WidthOf(int field) const {
  return field == kFieldCardPin ? kCardPinDisplayWidth : profile_.displayWidth;
}

void PinPad::ShowEntry(int field, bool active, bool randomFont) {
  view_->ShowField(field, EntryOf(field)->mask, WidthOf(field), active, randomFont);
}

void PinPad::OnOpen(PinPadView& view) {
  view_ = &view;
  verifyCode_ = MakeCode(seams_.random, kCodeDigits);
  keypad_.Shuffle();
  // A failed draw leaves the keypad's order and tokens and the code predictable.
  if (seams_.random.Failed()) {
    view.EndDialog(kPinPadCancelled);
    return;
  }
  secondsLeft_ = kCountdownSeconds;
  view.ShowCardPinCount(Format("%01d", static_cast<int>(cardPinCount())));
  view.ShowCode(verifyCode_);
  view.SetTypedCode("");
  view.ShowField(kFieldPassword, "", profile_.displayWidth, false, false);
  view.ShowField(kFieldConfirm, "", profile_.displayWidth, false, false);
  if (pinMode == "2") {
    view.HideCardPinControls();
  } else {
    view.ShowField(kFieldCardPin, "", kCardPinDisplayWidth, false, false);
  }
  for (std::size_t k = 0; k < kKeypadPositions; ++k) view.SetKeyCaption(k, keypad_.DigitAt(k));
}

void PinPad::OnSelectField(int field) {
  for (const int display : {kFieldPassword, kFieldConfirm, kFieldCardPin}) {
    if (display == kFieldCardPin && pinMode == "2") continue;
    ShowEntry(display, display == field, true);
  }
  activeField_ = field;
}

void PinPad::OnDigit(std::size_t position) {
  if (activeField_ == kFieldCode) {
    view_->SetTypedCode(view_->TypedCode() + keypad_.DigitAt(position));
    return;
  }
  Entry& entry = *EntryOf(activeField_);
  const std::size_t limit = activeField_ == kFieldCardPin ? kMaxCardPinDigits : profile_.maxPasswordDigits;
  if (keypad_.DecodeTokens(entry.tokens).size() >= limit) {
    view_->ShowMessage(activeField_ == kFieldPassword  ? profile_.passwordFull
                       : activeField_ == kFieldConfirm ? profile_.confirmFull
                                                       : texts::kCardPinFull);
    return;
  }
  entry.tokens += keypad_.TokenAt(position);
  entry.mask += '*';
  ShowEntry(activeField_, true, true);
  if (activeField_ == kFieldCardPin) view_->ShowCardPinCount(Format("%01d", static_cast<int>(cardPinCount())));
}

void PinPad::OnBackspace() {
  if (activeField_ == kFieldCode) {
    std::string typed = view_->TypedCode();
    if (!typed.empty()) typed.pop_back();
    view_->SetTypedCode(typed);
    return;
  }
  Entry& entry = *EntryOf(activeField_);
  if (entry.tokens.empty()) return;
  entry.tokens.Resize(entry.tokens.size() - kTokenLength);
  entry.mask.pop_back();
  ShowEntry(activeField_, true, true);
  if (activeField_ == kFieldCardPin) view_->ShowCardPinCount(Format("%01d", static_cast<int>(cardPinCount())));
}

void PinPad::OnClear() { ClearActiveField(); }

void PinPad::ClearActiveField() {
  if (activeField_ == kFieldCode) {
    view_->SetTypedCode("");
    return;
  }
  Entry& entry = *EntryOf(activeField_);
  entry.tokens.Wipe();
  entry.mask.clear();
  view_->ShowField(activeField_, "", WidthOf(activeField_), true, false);
  if (activeField_ == kFieldCardPin) view_->ShowCardPinCount("0");
}

void PinPad::OnTimer() {
  if (secondsLeft_ <= 0) {
    view_->ShowCountdown("000");
    seams_.sleeper.Sleep(std::chrono::milliseconds(1000));
    view_->EndDialog(kPinPadTimedOut);
    return;
  }
  view_->ShowCountdown(Format("%03d", secondsLeft_));
  --secondsLeft_;
}

bool PinPad::PasswordRefusedAsRun() const {
  const SecureString password = GetPassword();
  const std::string_view digits = password.view();
  if (digits.empty()) return false;
  if (digits.find_first_not_of(digits[0]) == std::string_view::npos) return true;
  return AllDigits(digits) && (IsRun(digits, 1) || IsRun(digits, -1));
}

bool PinPad::VerifyCardPin(CardConnection& card) {
  const SecureString pin = GetCardPin();
  if (pin.empty()) {
    view_->ShowMessage(texts::kCardPinMissing);
    return false;
  }
  if (pin.size() < kMinCardPinDigits) {
    view_->ShowMessage(texts::kCardPinTooShort);
    activeField_ = kFieldCardPin;
    ClearActiveField();
    return false;
  }
  const PinCheck check = card.VerifyPin(pin);
  if (check.verdict == PinCheck::Verdict::Accepted) return true;
  // The customer types it again: going on would have the flow spend a second
  // try on the same PIN.
  if (check.verdict == PinCheck::Verdict::TypeAgain) {
    view_->ShowMessage(texts::kCardPinWrong);
    activeField_ = kFieldCardPin;
    ClearActiveField();
    return false;
  }
  // Any other refusal ends the pad with the status word: 6620 is 26144, a
  // blocked card 6983. No answer at all is a reader failure.
  view_->EndDialog(check.verdict == PinCheck::Verdict::NoAnswer ? kPinPadCancelled
                                                                : static_cast<int>(AsInteger(check.word)));
  return false;
}

void PinPad::OnConfirm() {
  const std::size_t digits = password_.tokens.size() / kTokenLength;
  if (digits < profile_.minPasswordDigits || digits > profile_.maxPasswordDigits) {
    view_->ShowMessage(profile_.lengthWrong);
    return;
  }
  if (profile_.sameOrConsecutiveRule && PasswordRefusedAsRun()) {
    view_->ShowMessage(texts::kCardlessRunRefused);
    return;
  }
  if (password_.tokens.view() != confirm_.tokens.view()) {
    view_->ShowMessage(profile_.mismatch);
    ClearActiveField();
    return;
  }

  // This connection closes when the handler returns.
  const std::unique_ptr<CardConnection> card = seams_.card.Connect(readerName);
  if (!card) {
    view_->EndDialog(kPinPadCancelled);
    return;
  }
  if (pinMode == "1" && !VerifyCardPin(*card)) return;

  const std::string typed = view_->TypedCode();
  if (typed != verifyCode_) {
    view_->ShowMessage(typed.empty() ? texts::kCodeMissing : texts::kCodeWrong);
    view_->SetTypedCode("");
    view_->FocusTypedCode();
    return;
  }
  view_->EndDialog(kPinPadConfirmed);
}

void PinPad::OnCancel() { view_->EndDialog(kPinPadCancelled); }

void PinPad::OnHiddenOk() { view_->EndDialog(kPinPadHiddenOk); }

int KeyControl(std::size_t position) { return position == 0 ? kIdKeyPosition0 : kIdKeyPosition1 + int(position) - 1; }

int KeyPositionOf(int control) {
  if (control == kIdKeyPosition0) return 0;
  return control >= kIdKeyPosition1 && control < kIdKeyPosition1 + 9 ? control - kIdKeyPosition1 + 1 : -1;
}

int PinPad::DisplayOf(int field) const {
  if (field == kFieldPassword) return profile_.passwordDisplay;
  if (field == kFieldConfirm) return profile_.confirmDisplay;
  return kIdCardPinDisplay;
}

void PinPad::OnPressed(int control) {
  constexpr int kHiddenOk = 1, kCancel = 2;  // "回主選單"
  const int position = KeyPositionOf(control);
  if (position >= 0) return OnDigit(static_cast<std::size_t>(position));
  for (const int field : {kFieldPassword, kFieldConfirm, kFieldCardPin}) {
    if (control == DisplayOf(field)) return OnSelectField(field);
  }
  switch (control) {
    case kIdPadBackspace:
      return OnBackspace();
    case kIdPadClear:
      return OnClear();
    case kIdPadConfirm:
      return OnConfirm();
    case kCancel:
      return OnCancel();
    case kHiddenOk:
      return OnHiddenOk();
  }
}

SecureString PinPad::GetPassword() const { return keypad_.DecodeTokens(password_.tokens); }

SecureString PinPad::GetCardPin() const { return keypad_.DecodeTokens(cardPin_.tokens); }

}  // namespace korvaden
