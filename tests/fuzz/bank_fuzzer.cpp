// korvaden-bank's commands on any input: a refusal is exit 1 with a message,
// never an abort or an exception, and what opens is in form. The first byte
// picks the command; NUL bytes separate its arguments.
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "commands.h"
#include "support/test_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace korvaden;
  if (size == 0) return 0;
  std::vector<std::string> parts(1);
  for (std::size_t i = 1; i < size; ++i) {
    if (data[i] == 0) {
      parts.emplace_back();
    } else {
      parts.back() += static_cast<char>(data[i]);
    }
  }
  std::vector<std::string> args;
  switch (data[0] % 4) {
    case 0:
      args = {"unseal"};
      break;
    case 1:
      args = {"pinblock", "--cardless"};
      break;
    case 2:
      args = {"pinblock", "--bonding"};
      break;
    default:
      args = {"verify-tac", "--key", parts[0], "--input", parts.size() > 1 ? parts[1] : ""};
      parts.erase(parts.begin(), parts.begin() + std::min<std::size_t>(2, parts.size()));
      break;
  }
  args.insert(args.end(), parts.begin(), parts.end());
  std::istringstream in;
  std::ostringstream out, err;
  const int exit = bank::RunCommand(args, test::TestBankKeys(), in, out, err);
  if (exit != 0 && (exit != 1 || err.str().empty() || !out.str().empty())) std::abort();
  if (exit == 0 && args[0] == "unseal" && !bank::DocumentInForm(out.str().substr(0, out.str().size() - 1))) {
    std::abort();
  }
  return 0;
}
