#include "scripted_customer.h"

#include <charconv>

#include "base/secure_memory.h"
#include "ui/app_confirm.h"
#include "ui/pin_pad.h"

namespace korvaden::customer {
namespace {

constexpr int kOpenDialog = -1;

// An action's verb and its one argument ("type 1234" gives "type" and "1234").
struct Action {
  std::string_view verb;
  std::string_view argument;
  int Count() const {
    int count = 0;
    std::ignore = std::from_chars(argument.data(), argument.data() + argument.size(), count);
    return count;
  }
};

Action ParseAction(std::string_view action) {
  const auto space = action.find(' ');
  if (space == std::string_view::npos) return {action, {}};
  std::string_view argument = action.substr(space + 1);
  argument.remove_prefix(std::min(argument.find_first_not_of(' '), argument.size()));
  return {action.substr(0, space), argument.substr(0, argument.find(' '))};
}

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

  void Act(std::string_view action) {
    const Action parsed = ParseAction(action);
    const auto [verb, argument] = parsed;
    if (verb == "field") {
      pad_.OnSelectField(parsed.Count());
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
      for (int i = 0, n = parsed.Count(); i < n && result_ == kOpenDialog; ++i) pad_.OnTimer();
    }
  }

 private:
  void Type(std::string_view digits) {
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

// Like a person, the customer forgets what was typed once it is typed: the
// script leaves no copy of a password behind (the secret scans look for them).
SecureString NextScript(std::deque<std::string>& scripts) {
  if (scripts.empty()) return {};
  SecureString script(scripts.front());
  Cleanse(scripts.front().data(), scripts.front().capacity());
  scripts.pop_front();
  return script;
}

}  // namespace

std::vector<std::string_view> SplitActions(std::string_view script) {
  std::vector<std::string_view> actions;
  while (!script.empty()) {
    const auto end = std::min(script.find(';'), script.size());
    std::string_view action = script.substr(0, end);
    script.remove_prefix(std::min(end + 1, script.size()));
    const auto first = action.find_first_not_of(' ');
    if (first != std::string_view::npos) actions.push_back(action.substr(first));
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
  const SecureString script = NextScript(pinPadScripts);
  for (const std::string_view action : SplitActions(script)) {
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
  const SecureString script = NextScript(appConfirmScripts);
  for (const std::string_view action : SplitActions(script)) {
    if (screen.result() != kOpenDialog) break;
    const Action parsed = ParseAction(action);
    const std::string_view verb = parsed.verb;
    const int count = parsed.Count();
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
