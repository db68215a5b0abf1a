#include "commands.h"

#include <iostream>
#include <iterator>
#include <map>
#include <set>

namespace korvaden::bank {

const char* const kUsage =
    "usage: korvaden-bank [--deployment DIR] COMMAND ...\n"
    "  unseal [SEALED]                          open a sealed message (stdin when not given)\n"
    "  pinblock --cardless DIGITS [REASON]      recover a cardless password (REASON on stdin when not given)\n"
    "  pinblock --bonding IDNUMBER [REASON]     recover a bonding password\n"
    "  blocks --d1 TEXT --d2 TEXT --d3 TEXT --d4 TEXT --d11 TEXT [--d12 TEXT]\n"
    "                                           encipher parameter blocks (BHO_D5 with a random IV)\n"
    "  verify-tac --key HEX --input HEX TSAC    check a card's code over its TAC input block\n";

namespace {

int Fail(std::ostream& err, const std::string& message) {
  err << "korvaden-bank: " << message << "\n";
  return 1;
}

int Print(const Outcome& outcome, std::ostream& out, std::ostream& err) {
  if (!outcome.ok) return Fail(err, outcome.error);
  out << outcome.value << "\n";
  return 0;
}

// The argument at `index`, or standard input without its last line break.
std::string ArgumentOrInput(const std::vector<std::string>& args, std::size_t index, std::istream& in) {
  std::string text = index < args.size()
                         ? args[index]
                         : std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (index >= args.size()) {
    if (!text.empty() && text.back() == '\n') text.pop_back();
    if (!text.empty() && text.back() == '\r') text.pop_back();
  }
  return text;
}

int Blocks(const std::vector<std::string>& args, const BankKeys& keys, std::ostream& out, std::ostream& err) {
  static const std::map<std::string, std::string> kFlags = {{"--d1", "BHO_D1"},   {"--d2", "BHO_D2"},
                                                            {"--d3", "BHO_D3"},   {"--d4", "BHO_D4"},
                                                            {"--d11", "BHO_D11"}, {"--d12", "BHO_D12"}};
  std::map<std::string, std::string> plaintexts;
  for (std::size_t i = 1; i < args.size(); i += 2) {
    const auto flag = kFlags.find(args[i]);
    if (flag == kFlags.end()) return Fail(err, "unknown option " + args[i]);
    if (i + 1 >= args.size()) return Fail(err, args[i] + " needs a value");
    // The control refuses a block that deciphers to nothing.
    if (args[i + 1].empty()) return Fail(err, args[i] + " is empty");
    if (!plaintexts.emplace(flag->second, args[i + 1]).second) return Fail(err, args[i] + " given twice");
  }
  for (const char* required : {"--d1", "--d2", "--d3", "--d4", "--d11"}) {
    if (!plaintexts.contains(kFlags.at(required))) return Fail(err, std::string(required) + " is missing");
  }
  std::string error;
  const auto blocks = MakeBlocks(plaintexts, keys, error);
  if (!blocks) return Fail(err, error);
  for (const auto& [name, hex] : *blocks) out << name << "=" << hex << "\n";
  return 0;
}

}  // namespace

int RunCommand(const std::vector<std::string>& args, const BankKeys& keys, std::istream& in, std::ostream& out,
               std::ostream& err) {
  if (args.empty()) return Fail(err, std::string("no command\n") + kUsage);
  const std::string& command = args[0];
  if (command == "unseal" && args.size() <= 2) return Print(Unseal(ArgumentOrInput(args, 1, in), keys), out, err);
  if (command == "pinblock" && (args.size() == 3 || args.size() == 4) &&
      (args[1] == "--cardless" || args[1] == "--bonding")) {
    const auto kind = args[1] == "--cardless" ? PinBlockKind::Cardless : PinBlockKind::Bonding;
    return Print(RecoverPassword(ArgumentOrInput(args, 3, in), kind, args[2], keys), out, err);
  }
  if (command == "verify-tac" && args.size() == 6 && args[1] == "--key" && args[3] == "--input") {
    return Print(VerifyTac(args[2], args[4], args[5]), out, err);
  }
  if (command == "blocks") return Blocks(args, keys, out, err);
  return Fail(err, std::string("unknown command or arguments\n") + kUsage);
}

}  // namespace korvaden::bank
