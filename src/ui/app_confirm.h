#pragma once
// CIVESKAppConfirm: the service flows' confirmation ("請確實確認下列資訊"):
// the account, the activity, a countdown, and on "確定" a check that the card
// is reachable or, in PIN mode "1", its removal and re-insertion.
#include <string>
#include <string_view>

#include "base/result_codes.h"
#include "ui/card_access.h"

namespace korvaden {

class AppConfirmView {
 public:
  virtual ~AppConfirmView() = default;
  virtual void ShowAccount(std::string_view label, std::string_view line) = 0;  // 256, and the picture 239
  virtual void ShowActivityTitle(std::string_view title) = 0;                   // edit 208
  virtual void ShowHint(bool shown) = 0;                                        // 245, red when shown
  virtual void ShowCountdown(std::string_view seconds) = 0;                     // 247
  virtual void ShowMessage(std::string_view text) = 0;  // owned by the dialog, warning, the application's title
  virtual void EndDialog(int result) = 0;
};

inline constexpr int kAppConfirmed = 0;
inline constexpr int kAppConfirmHiddenOk = 1;
inline constexpr int kAppConfirmUnreachable = 2;                          // also Esc
inline constexpr int kAppConfirmCancelled = AsInteger(kResultCancelled);  // "取消"
inline constexpr int kAppConfirmTimedOut = AsInteger(kResultTimedOut);

class CIVESKAppConfirm {
 public:
  explicit CIVESKAppConfirm(const PresenterSeams& seams) : seams_(seams) {}

  std::string accountLabel;
  std::string accountLine;
  std::string readerName;
  std::string pinMode;
  std::string activityTitle;

  void OnOpen(AppConfirmView& view);
  void OnTimer();
  void OnConfirm();   // "確定"
  void OnCancel();    // "取消": 8990
  void OnEscape();    // 2
  void OnHiddenOk();  // 1
  // A click on control `control` of the template: "確定", "取消", 2 or 1.
  void OnPressed(int control);

 private:
  PresenterSeams seams_;
  AppConfirmView* view_ = nullptr;
  int secondsLeft_ = 540;
};

}  // namespace korvaden
