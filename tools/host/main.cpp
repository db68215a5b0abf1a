// korvaden-host: a stand-in for the web page on Linux. Calls one member of the
// control with the arguments in the member's order and prints retVal and
// TrnsMsg. The card is whatever sits in the named PC/SC reader.
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "console_ui.h"
#include "control/control_core.h"
#include "control/transaction_client.h"

namespace {

using namespace korvaden;

constexpr const char* kUsage =
    "usage: korvaden-host [--customer FILE] [--wait-card SECONDS] MEMBER ARG...\n"
    "  TransIVESK ReaderName TxCODE PCODE PIN LoginIssuerID LoginIssuerAccount IFD_CHK_Code IFD_Id\n"
    "             AccountID_idx ImportAccount Money TransDateTime ShowVerifyDialog SessionID\n"
    "  FidoVerify ReaderName SessionID LoginIssuerAccount TransDateTime IFD_CHK_Code IFD_Id TxCODE PIN\n"
    "  FidoVerifyOB ReaderName SessionID LoginIssuerAccount TransDateTime IFD_CHK_Code IFD_Id TxType CheckItem ID PIN\n"
    "  GetAPIVersion\n";

// Waits until the PC/SC service runs and the reader holds a card, as a page
// waits for the customer.
bool WaitForCard(const std::string& reader, int seconds) {
  for (int i = 0; i < seconds * 10; ++i) {
    PcscContext context = 0;
    if (SystemPcsc().EstablishContext(kScardScopeUser, context) == 0) {
      std::uint32_t state = 0;
      const bool present = SystemPcsc().GetStatusChange(context, 0, reader.c_str(), kScardStateUnaware, state) == 0 &&
                           (state & kScardStatePresent) != 0;
      SystemPcsc().ReleaseContext(context);
      if (present) return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  host::CustomerScript customer;
  int waitSeconds = 0;
  while (args.size() >= 2 && args[0].rfind("--", 0) == 0) {
    std::string error;
    if (args[0] == "--customer" && !customer.Load(args[1], error)) return std::cerr << error << "\n", 2;
    if (args[0] == "--wait-card") waitSeconds = std::atoi(args[1].c_str());
    if (args[0] != "--customer" && args[0] != "--wait-card") return std::cerr << kUsage, 2;
    args.erase(args.begin(), args.begin() + 2);
  }
  if (args.empty()) return std::cerr << kUsage, 2;

  ReaderModule reader(SystemPcsc());
  host::ConsolePrompts prompts;
  SystemRandom random;
  host::ConsoleMessageBoxes boxes;
  const DeploymentKeys keys = BuiltInDeployment();
  Platform platform{reader, SystemSleeper(), prompts, random, boxes, customer, keys};
  ControlCore control(platform);

  const std::string& member = args[0];
  const std::vector<std::string> a(args.begin() + 1, args.end());
  if (member == "GetAPIVersion" && a.empty()) {
    std::cout << control.GetAPIVersion() << "\n";
    return 0;
  }
  const std::size_t expected = member == "TransIVESK" ? 14 : member == "FidoVerify" ? 8 : member == "FidoVerifyOB" ? 10 : 0;
  if (expected == 0 || a.size() != expected) return std::cerr << kUsage, 2;
  if (waitSeconds > 0 && !WaitForCard(a[0], waitSeconds)) {
    std::cerr << "no card in " << a[0] << " after " << waitSeconds << " s\n";
    return 1;
  }

  int retVal = 0;
  if (member == "TransIVESK") {
    retVal = control.TransIVESK(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8], a[9], a[10], a[11],
                                std::atoi(a[12].c_str()), a[13]);
  } else if (member == "FidoVerify") {
    retVal = control.FidoVerify(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7]);
  } else {
    retVal = control.FidoVerifyOB(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8], a[9]);
  }
  std::cout << "retVal=" << retVal << "\n" << control.TrnsMsg() << "\n";
  return 0;
}
