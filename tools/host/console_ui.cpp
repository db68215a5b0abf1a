#include "console_ui.h"

#include <iconv.h>

#include <fstream>
#include <iostream>

namespace korvaden::host {

std::string Big5ToUtf8(std::string_view big5) {
  iconv_t converter = iconv_open("UTF-8", "BIG5");
  if (converter == reinterpret_cast<iconv_t>(-1)) return std::string(big5);
  std::string in(big5), out(big5.size() * 3 + 1, '\0');
  char* inPtr = in.data();
  char* outPtr = out.data();
  std::size_t inLeft = in.size(), outLeft = out.size();
  iconv(converter, &inPtr, &inLeft, &outPtr, &outLeft);
  iconv_close(converter);
  out.resize(out.size() - outLeft);
  return out;
}

void ConsoleMessageBoxes::Show(std::string_view text, std::string_view caption, MessageIcon icon) {
  std::cerr << "[message box" << (icon == MessageIcon::Error ? ", error" : "") << "] " << Big5ToUtf8(caption)
            << ": " << Big5ToUtf8(text) << "\n";
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

bool CustomerScript::Load(const std::string& path, std::string& error) {
  std::ifstream in(path);
  if (!in) {
    error = "cannot read " + path;
    return false;
  }
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    const auto equals = line.find('=');
    if (equals == std::string::npos) {
      error = "cannot understand customer line: " + line;
      return false;
    }
    answers_[line.substr(0, equals)] = line.substr(equals + 1);
  }
  return true;
}

int CustomerScript::RunTransferConfirmation(const TransferConfirmation& c) {
  std::cerr << "[轉出資料確認] 轉出(金融卡)帳號 " << c.transferorText << " / 轉入帳號(銷帳編號) " << c.transfereeText
            << " / 轉出金額 " << c.amountText << "\n";
  const auto answer = answers_.find("transfer_confirmation");
  const bool cancel = answer != answers_.end() && answer->second == "cancel";
  std::cerr << "[customer] " << (cancel ? "取消 (N)" : "確定 (Y)") << "\n";
  return cancel ? kTransferCancelled : kTransferConfirmed;
}

}  // namespace korvaden::host
