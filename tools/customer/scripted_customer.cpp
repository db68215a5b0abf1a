#include "scripted_customer.h"

#include <sstream>

#include "ui/app_confirm.h"
#include "ui/pin_pad.h"

namespace korvaden::customer {
namespace {

constexpr int kOpenDialog = -1;

class PinPadScreen final : public PinPadView {
 public:
  PinPadScreen(ScriptedCustomer& customer, PinPad& pad) : customer_(customer), pad_(pad) {}

  void ShowField(int, std::string_view, std::size_t, bool, bool) override {}
  void ShowCode(std::string_view code) override {
    code_ = code;
    customer_.shownCodes.emplace_back(code);
  }
  std::string TypedCode() const override { return typed_; }
  void SetTypedCode(std::string_view text) override { typed_ = text; }
  void FocusTypedCode() override { pad_.OnSelectField(kFieldCode); }
  void ShowCountdown(std::string_view) override {}
  void ShowCardPinCount(std::string_view) override {}
  void HideCardPinControls() override {}
  void SetKeyCaption(std::size_t position, char digit) override { captions_[position] = digit; }
  void ShowMessage(std::string_view text) override { customer_.messages.emplace_back(text); }
  void EndDialog(int result) override { result_ = result; }

  int result() const { return result_; }
  const std::string& captions() const { return captions_; }

  void Act(const std::string& action) {
    std::istringstream in(action);
    std::string verb, argument;
    in >> verb >> argument;
    if (verb == "field") {
      pad_.OnSelectField(std::stoi(argument));
    } else if (verb == "type") {
      Type(argument);
    } else if (verb == "code") {
      pad_.OnSelectField(kFieldCode);
      Type(argument.empty() ? code_ : argument);
    } else if (verb == "back") {
      pad_.OnBackspace();
    } else if (verb == "clear") {
      pad_.OnClear();
    } else if (verb == "confirm") {
      pad_.OnConfirm();
    } else if (verb == "cancel") {
      pad_.OnCancel();
    } else if (verb == "ok") {
      pad_.OnHiddenOk();
    } else if (verb == "wait") {
      for (int i = 0, n = std::stoi(argument); i < n && result_ == kOpenDialog; ++i) pad_.OnTimer();
    }
  }

 private:
  void Type(const std::string& digits) {
    for (const char digit : digits) {
      const auto position = captions_.find(digit);
      if (position != std::string::npos) pad_.OnDigit(position);
    }
  }

  ScriptedCustomer& customer_;
  PinPad& pad_;
  std::string captions_ = std::string(kKeypadPositions, ' ');
  std::string code_;
  std::string typed_;
  int result_ = kOpenDialog;
};

class AppConfirmScreen final : public AppConfirmView {
 public:
  explicit AppConfirmScreen(ScriptedCustomer& customer) : customer_(customer) {}
  void ShowAccount(std::string_view, std::string_view line) override { customer_.accountLines.emplace_back(line); }
  void ShowActivityTitle(std::string_view) override {}
  void ShowHint(bool shown) override { customer_.hintsShown.push_back(shown); }
  void ShowCountdown(std::string_view) override {}
  void ShowMessage(std::string_view text) override { customer_.messages.emplace_back(text); }
  void EndDialog(int result) override { result_ = result; }
  int result() const { return result_; }

 private:
  ScriptedCustomer& customer_;
  int result_ = kOpenDialog;
};

std::string NextScript(std::deque<std::string>& scripts) {
  if (scripts.empty()) return {};
  std::string script = scripts.front();
  scripts.pop_front();
  return script;
}

}  // namespace

std::vector<std::string> SplitActions(const std::string& script) {
  std::vector<std::string> actions;
  std::istringstream in(script);
  for (std::string action; std::getline(in, action, ';');) {
    const auto first = action.find_first_not_of(' ');
    if (first != std::string::npos) actions.push_back(action.substr(first));
  }
  return actions;
}

int ScriptedCustomer::RunTransferConfirmation(const TransferConfirmation& confirmation) {
  transfers.push_back(confirmation);
  if (onTransfer) onTransfer();
  return transferAnswer;
}

int ScriptedCustomer::RunPinPad(PinPad& pad) {
  PinPadScreen screen(*this, pad);
  pad.OnOpen(screen);
  keyCaptions.push_back(screen.captions());
  for (const std::string& action : SplitActions(NextScript(pinPadScripts))) {
    if (screen.result() != kOpenDialog) break;
    screen.Act(action);
  }
  if (screen.result() == kOpenDialog) pad.OnCancel();
  return screen.result();
}

int ScriptedCustomer::RunAppConfirmation(CIVESKAppConfirm& dialog) {
  AppConfirmScreen screen(*this);
  dialog.OnOpen(screen);
  if (onAppConfirm) onAppConfirm();
  for (const std::string& action : SplitActions(NextScript(appConfirmScripts))) {
    if (screen.result() != kOpenDialog) break;
    std::istringstream in(action);
    std::string verb;
    int count = 0;
    in >> verb >> count;
    if (verb == "confirm") dialog.OnConfirm();
    if (verb == "cancel") dialog.OnCancel();
    if (verb == "escape") dialog.OnEscape();
    if (verb == "ok") dialog.OnHiddenOk();
    for (int i = 0; verb == "wait" && i < count && screen.result() == kOpenDialog; ++i) dialog.OnTimer();
  }
  if (screen.result() == kOpenDialog) dialog.OnCancel();
  return screen.result();
}

}  // namespace korvaden::customer
