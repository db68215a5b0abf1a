// korvaden-bank: the institution's side of the control, for tests and demos.
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "commands.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string folder = KORVADEN_DEFAULT_DEPLOYMENT;
  if (!args.empty() && args[0] == "--deployment") {
    if (args.size() < 2) {
      std::cerr << "korvaden-bank: --deployment needs a folder\n";
      return 1;
    }
    folder = args[1];
    args.erase(args.begin(), args.begin() + 2);
  }
  std::string error;
  const auto keys = korvaden::bank::LoadDeploymentFolder(folder, error);
  if (!keys) {
    std::cerr << "korvaden-bank: " << error << "\n";
    return 1;
  }
  try {
    return korvaden::bank::RunCommand(args, *keys, std::cin, std::cout, std::cerr);
  } catch (const std::exception& e) {  // memory ran out: still a failure, not an abort
    std::cerr << "korvaden-bank: " << e.what() << "\n";
    return 1;
  }
}
