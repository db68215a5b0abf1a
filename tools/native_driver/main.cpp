// korvaden-native-driver: a browser's side of native messaging on the
// command line. Starts COMMAND (the host, under Wine or not), sends it the
// requests read from standard input (one JSON object a line) and prints each
// answer on a line of its own.
#include <charconv>
#include <chrono>
#include <cstddef>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "native_host_process.h"

namespace {

constexpr const char* kUsage =
    "usage: korvaden-native-driver [--plain] [--close-after-ms N] COMMAND ARG... < REQUESTS\n"
    "  each line of REQUESTS is one request; its answer is printed before the next is sent\n"
    "  --plain: a member's answer as korvaden-host prints it: retVal=R, then TrnsMsg,\n"
    "  after a line asked=A,B,... of what the host's windows asked meanwhile\n"
    "  --close-after-ms: the last request's answer is not awaited; N ms after it was sent\n"
    "  the host's input closes, as when a tab closes, and the driver tells how soon the\n"
    "  host exited (exit status 1 when it still ran 1000 ms later)\n";

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  int closeAfterMs = -1;
  const bool plain = !args.empty() && args[0] == "--plain";
  if (plain) args.erase(args.begin());
  if (args.size() >= 2 && args[0] == "--close-after-ms") {
    const auto [end, error] = std::from_chars(args[1].data(), args[1].data() + args[1].size(), closeAfterMs);
    if (error != std::errc() || end != args[1].data() + args[1].size()) return std::cerr << kUsage, 2;
    args.erase(args.begin(), args.begin() + 2);
  }
  if (args.empty()) return std::cerr << kUsage, 2;

  std::vector<nlohmann::json> requests;
  for (std::string line; std::getline(std::cin, line);) {
    if (line.empty()) continue;
    requests.push_back(nlohmann::json::parse(line, nullptr, false));
    if (requests.back().is_discarded()) return std::cerr << "not JSON: " << line << "\n", 2;
  }
  korvaden::test::NativeHostProcess host(args);
  for (std::size_t i = 0; i < requests.size(); ++i) {
    host.Send(requests[i]);
    if (closeAfterMs >= 0 && i + 1 == requests.size()) break;
    const std::size_t askedBefore = host.asked().size();
    const auto answer = host.Receive(std::chrono::seconds(120));
    if (!answer) return std::cerr << "no answer\n" << host.Errors(), 1;
    if (plain && answer->contains("retVal")) {
      std::string asked;
      for (std::size_t k = askedBefore; k < host.asked().size(); ++k)
        asked += (asked.empty() ? "" : ",") + host.asked()[k];
      std::cout << "asked=" << asked << "\n";
      std::cout << "retVal=" << (*answer)["retVal"].dump() << "\n" << answer->value("TrnsMsg", "") << std::endl;
    } else {
      std::cout << answer->dump() << std::endl;
    }
  }
  if (closeAfterMs < 0) return 0;
  std::this_thread::sleep_for(std::chrono::milliseconds(closeAfterMs));
  const auto closed = std::chrono::steady_clock::now();
  host.CloseInput();
  if (!host.WaitForExit(std::chrono::milliseconds(1000))) {
    std::cout << "still running 1000 ms after its input closed" << std::endl;
    return 1;
  }
  const auto ms =
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - closed).count();
  std::cout << "exited " << ms << " ms after its input closed" << std::endl;
  return 0;
}
