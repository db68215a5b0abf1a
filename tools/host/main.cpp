// korvaden-host: a stand-in for the web page on Linux. Calls one member of the
// control with the arguments in the member's order and prints retVal and
// TrnsMsg. The card is whatever sits in the named PC/SC reader.
#include <charconv>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "console_ui.h"
#include "control/control_core.h"
#include "control/members.h"
#include "crypto/random.h"
#include "reader/pcsc_system.h"

namespace {

using namespace korvaden;

// The usage, with each member's parameters as the member table lists them.
std::string Usage() {
  std::string usage =
      "usage: korvaden-host [--customer FILE] [--wait-card SECONDS] [--wait-reader NAME] MEMBER ARG...\n"
      "  --wait-card waits for a card in the member's reader (or in --wait-reader's, for the services)\n";
  for (const MemberCall& member : kMemberCalls) {
    usage += "  " + std::string(member.name);
    for (const Parameter& parameter : member.parameters) usage += " " + std::string(parameter.name);
    usage += "\n";
  }
  return usage + "  " + std::string(kVersionMember) + "\n";
}

// Waits until the PC/SC service runs and the reader holds a card, as a page
// waits for the customer.
bool WaitForCard(const std::string& reader, int seconds) {
  for (int i = 0; i < seconds * 10; ++i) {
    PcscContext context = 0;
    if (SystemPcsc().EstablishContext(kScardScopeUser, context) == kScardSuccess) {
      std::uint32_t state = 0;
      const bool present =
          SystemPcsc().GetStatusChange(context, 0, reader.c_str(), kScardStateUnaware, state) == kScardSuccess &&
          (state & kScardStatePresent) != 0;
      std::ignore = SystemPcsc().ReleaseContext(context);
      if (present) return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return false;
}

bool ParseInteger(const std::string& text, int& number) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  return error == std::errc() && end == text.data() + text.size();
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  customer::ScriptedCustomer customer;
  int waitSeconds = 0;
  std::string waitReader;
  while (args.size() >= 2 && args[0].rfind("--", 0) == 0) {
    std::string error;
    if (args[0] == "--customer" && !host::LoadCustomerScript(args[1], customer, error)) {
      return std::cerr << error << "\n", 2;
    }
    if (args[0] == "--wait-card") waitSeconds = std::atoi(args[1].c_str());
    if (args[0] == "--wait-reader") waitReader = args[1];
    if (args[0] != "--customer" && args[0] != "--wait-card" && args[0] != "--wait-reader") {
      return std::cerr << Usage(), 2;
    }
    args.erase(args.begin(), args.begin() + 2);
  }
  if (args.empty()) return std::cerr << Usage(), 2;

  ReaderModule reader(SystemPcsc());
  host::ConsolePrompts prompts;
  SystemRandom random;
  host::ConsoleMessageBoxes boxes;
  const DeploymentKeys keys = BuiltInDeployment();
  Platform platform{reader, SystemSleeper(), prompts, random, boxes, customer, keys};
  MemberGate gate;
  ControlCore control(platform, gate);

  const std::string& member = args[0];
  const std::vector<std::string> a(args.begin() + 1, args.end());
  if (member == kVersionMember && a.empty()) {
    std::cout << control.GetAPIVersion() << "\n";
    return 0;
  }
  const MemberCall* call = FindMemberCall(member);
  if (call == nullptr || a.size() != call->parameters.size()) return std::cerr << Usage(), 2;
  std::vector<Argument> arguments;
  for (std::size_t i = 0; i < a.size(); ++i) {
    Argument argument{a[i]};
    if (call->parameters[i].kind == ParameterKind::Integer && !ParseInteger(a[i], argument.number)) {
      return std::cerr << call->parameters[i].name << " is not a number\n" << Usage(), 2;
    }
    arguments.push_back(argument);
  }
  const bool cardMember = call->parameters[0].name == "ReaderName";
  if (waitReader.empty() && cardMember) waitReader = a[0];
  if (waitSeconds > 0 && !waitReader.empty() && !WaitForCard(waitReader, waitSeconds)) {
    std::cerr << "no card in " << waitReader << " after " << waitSeconds << " s\n";
    return 1;
  }

  const ResultCode result = control.Call(*call, arguments);
  host::ReportDialogs(customer);
  std::cout << "retVal=" << AsInteger(result) << "\n" << control.TrnsMsg() << "\n";
  return 0;
}
