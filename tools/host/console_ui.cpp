#include "console_ui.h"

#include <fstream>
#include <iostream>

#include "base/utf8_text.h"

namespace korvaden::host {

void ConsoleMessageBoxes::Show(std::string_view text, std::string_view caption, MessageIcon icon) {
  std::cerr << "[message box" << (icon == MessageIcon::Error ? ", error" : "") << "] " << Utf8FromBig5(caption) << ": "
            << Utf8FromBig5(text) << "\n";
}

namespace {

class ConsolePrompt final : public CardPromptView {
 public:
  ~ConsolePrompt() override { std::cerr << "[card prompt closed]\n"; }
  void ShowStage(int stage) override {
    std::cerr << "[card prompt] " << (stage == 1 ? "請拔出晶片卡再插入" : "請插入晶片卡") << "\n";
  }
};

}  // namespace

std::unique_ptr<CardPromptView> ConsolePrompts::Open() { return std::make_unique<ConsolePrompt>(); }

bool LoadCustomerScript(const std::string& path, customer::ScriptedCustomer& customer, std::string& error) {
  std::ifstream in(path);
  if (!in) {
    error = "cannot read " + path;
    return false;
  }
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    const auto equals = line.find('=');
    const std::string name = line.substr(0, equals), value = equals == std::string::npos ? "" : line.substr(equals + 1);
    if (name == "transfer_confirmation" && (value == "confirm" || value == "cancel")) {
      customer.transferAnswer = value == "cancel" ? kTransferCancelled : kTransferConfirmed;
    } else if (name == "pin_pad") {
      customer.pinPadScripts.push_back(value);
    } else if (name == "app_confirmation") {
      customer.appConfirmScripts.push_back(value);
    } else {
      error = "cannot understand customer line: " + line;
      return false;
    }
  }
  return true;
}

void ReportDialogs(const customer::ScriptedCustomer& customer) {
  for (const auto& c : customer.transfers) {
    std::cerr << "[轉出資料確認] " << c.transferorText << " -> " << c.transfereeText << ", " << c.amountText << "\n";
  }
  for (const auto& keys : customer.keyCaptions) std::cerr << "[PIN pad keys] " << keys << "\n";
  for (const auto& code : customer.shownCodes) std::cerr << "[verification code] " << code << "\n";
  for (const auto& line : customer.accountLines) std::cerr << "[請確實確認下列資訊] " << line << "\n";
  for (const auto& message : customer.messages) std::cerr << "[dialog message] " << Utf8FromBig5(message) << "\n";
}

}  // namespace korvaden::host
