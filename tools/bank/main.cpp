// korvaden-bank: the institution's side of the control, for tests and demos.
#include <iostream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "bank.h"

namespace {

constexpr const char* kUsage =
    "usage: korvaden-bank [--deployment DIR] COMMAND ...\n"
    "  unseal [SEALED]                          open a sealed message (stdin when not given)\n"
    "  pinblock --cardless DIGITS [REASON]      recover a cardless password (REASON on stdin when not given)\n"
    "  pinblock --bonding IDNUMBER [REASON]     recover a bonding password\n"
    "  blocks --d1 TEXT --d2 TEXT --d3 TEXT --d4 TEXT --d11 TEXT [--d12 TEXT]\n"
    "                                           encipher parameter blocks (BHO_D5 with a random IV)\n"
    "  verify-tac --key HEX --input HEX TSAC    check a card's code over its TAC input block\n";

int Fail(const std::string& message) {
  std::cerr << "korvaden-bank: " << message << "\n";
  return 1;
}

std::string ArgumentOrStdin(const std::vector<std::string>& args, std::size_t index) {
  if (index < args.size()) return args[index];
  return {std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>()};
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string folder = KORVADEN_DEFAULT_DEPLOYMENT;
  if (args.size() >= 2 && args[0] == "--deployment") {
    folder = args[1];
    args.erase(args.begin(), args.begin() + 2);
  }
  if (args.empty()) return Fail(std::string("no command\n") + kUsage);
  std::string error;
  const auto keys = korvaden::bank::LoadDeploymentFolder(folder, error);
  if (!keys) return Fail(error);

  const std::string& command = args[0];
  if (command == "unseal") {
    std::string sealed = ArgumentOrStdin(args, 1);
    while (!sealed.empty() && (sealed.back() == '\n' || sealed.back() == '\r')) sealed.pop_back();
    const auto opened = korvaden::bank::Unseal(sealed, *keys);
    if (!opened.ok) return Fail(opened.error);
    std::cout << opened.value << "\n";
    return 0;
  }
  if (command == "pinblock" && args.size() >= 3 && (args[1] == "--cardless" || args[1] == "--bonding")) {
    const auto kind =
        args[1] == "--cardless" ? korvaden::bank::PinBlockKind::Cardless : korvaden::bank::PinBlockKind::Bonding;
    const auto recovered = korvaden::bank::RecoverPassword(ArgumentOrStdin(args, 3), kind, args[2], *keys);
    if (!recovered.ok) return Fail(recovered.error);
    std::cout << recovered.value << "\n";
    return 0;
  }
  if (command == "verify-tac" && args.size() == 6 && args[1] == "--key" && args[3] == "--input") {
    const auto checked = korvaden::bank::VerifyTac(args[2], args[4], args[5]);
    if (!checked.ok) return Fail(checked.error);
    std::cout << checked.value << "\n";
    return 0;
  }
  if (command == "blocks") {
    std::map<std::string, std::string> plaintexts;
    for (std::size_t i = 1; i + 1 < args.size(); i += 2) {
      const std::string& flag = args[i];
      if (flag.rfind("--d", 0) != 0) return Fail("unknown option " + flag);
      plaintexts["BHO_D" + flag.substr(3)] = args[i + 1];
    }
    for (const auto& [name, hex] : korvaden::bank::MakeBlocks(plaintexts, *keys)) {
      std::cout << name << "=" << hex << "\n";
    }
    return 0;
  }
  return Fail(std::string("unknown command\n") + kUsage);
}
