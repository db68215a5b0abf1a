#pragma once
// The three PIN pads (CIVESKAppCert, CardLessApply, BondingMobileDevice) as one
// presenter: the fields, the keypad, the countdown and every confirmation rule.
// A view (a Win32 dialog, a script) shows what the presenter asks and forwards
// the customer's actions.
#include <chrono>
#include <memory>
#include <string>
#include <string_view>

#include "base/result_codes.h"
#include "base/secure_memory.h"
#include "ui/card_access.h"
#include "ui/keypad_model.h"
#include "ui/resource_ids.h"

namespace korvaden {

class CardApplication;

enum class PinPadKind { CIVESKAppCert, CardLessApply, BondingMobileDevice };

struct PinPadProfile {
  int resource;         // dialog template
  int passwordDisplay;  // control ids of the password displays
  int confirmDisplay;
  std::size_t maxPasswordDigits;  // accepted in the password and confirmation fields
  std::size_t minPasswordDigits;  // required at confirmation
  std::size_t displayWidth;       // characters of the password displays
  bool sameOrConsecutiveRule;
  const char* passwordFull;
  const char* confirmFull;
  const char* lengthWrong;
  const char* mismatch;
};
const PinPadProfile& ProfileOf(PinPadKind kind);

enum PinPadField { kFieldPassword = 1, kFieldConfirm = 2, kFieldCode = 3, kFieldCardPin = 4 };

inline constexpr int kPinPadConfirmed = 0;
inline constexpr int kPinPadHiddenOk = 1;
inline constexpr int kPinPadCancelled = 2;
inline constexpr int kPinPadTimedOut = AsInteger(kResultTimedOut);
inline constexpr int kPinPadCardRefused = AsInteger(kResultPinPadCard6620);  // the card answered 6620
inline constexpr std::size_t kCardPinDisplayWidth = 12;

// The ten keys' controls by keypad position: 227 for position 0, else 217 + k;
// -1 for a control that is no key.
int KeyControl(std::size_t position);
int KeyPositionOf(int control);
// The controls of the card PIN's line, hidden when the card checks no PIN.
inline constexpr int kCardPinControls[] = {kIdCardPinCaption, kIdCardPinCountOpen, kIdCardPinCount,
                                           kIdCardPinCountClose, kIdCardPinDisplay};

class PinPadView {
 public:
  virtual ~PinPadView() = default;
  // Draws a field display (1, 2 or 4): `text` `width` characters wide.
  virtual void ShowField(int field, std::string_view text, std::size_t width, bool active, bool randomFont) = 0;
  virtual void ShowCode(std::string_view code) = 0;  // the verification-code image
  virtual std::string TypedCode() const = 0;         // edit 235
  virtual void SetTypedCode(std::string_view text) = 0;
  virtual void FocusTypedCode() = 0;  // the view then selects field 3
  virtual void ShowCountdown(std::string_view seconds) = 0;
  virtual void ShowCardPinCount(std::string_view count) = 0;
  virtual void HideCardPinControls() = 0;
  virtual void SetKeyCaption(std::size_t position, char digit) = 0;
  virtual void ShowMessage(std::string_view text) = 0;  // a box owned by the pad, empty caption
  virtual void EndDialog(int result) = 0;
};

class PinPad {
 public:
  PinPad(PinPadKind kind, const PresenterSeams& seams);

  // Set by the flow before the pad is shown.
  std::string readerName;
  std::string pinMode;

  // The customer's actions, forwarded by the view.
  void OnOpen(PinPadView& view);
  void OnSelectField(int field);
  void OnDigit(std::size_t position);
  void OnBackspace();
  void OnClear();
  void OnTimer();
  void OnConfirm();
  void OnCancel();
  void OnHiddenOk();
  // A click on control `control` of the pad's template: a key, a display,
  // a command button; nothing for any other control.
  void OnPressed(int control);

  // The control that displays field 1, 2 or 4.
  int DisplayOf(int field) const;

  // After result 0: the typed digits (empty PIN when none was typed).
  SecureString GetPassword() const;
  SecureString GetCardPin() const;

  const PinPadProfile& profile() const { return profile_; }
  int activeField() const { return activeField_; }
  std::size_t cardPinCount() const { return cardPin_.tokens.size() / kTokenLength; }

 private:
  struct Entry {
    SecureString tokens;
    std::string mask;
  };
  Entry* EntryOf(int field);
  std::size_t WidthOf(int field) const;
  void ShowEntry(int field, bool active, bool randomFont);
  void ClearActiveField();
  bool PasswordRefusedAsRun() const;
  // True to go on; otherwise the customer was told, or the pad ended.
  bool VerifyCardPin(CardConnection& card);

  const PinPadProfile& profile_;
  PresenterSeams seams_;
  PinPadView* view_ = nullptr;
  CVKB keypad_;
  int activeField_ = kFieldPassword;
  Entry password_, confirm_, cardPin_;
  std::string verifyCode_;
  int secondsLeft_ = 540;
};

}  // namespace korvaden
