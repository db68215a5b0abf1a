// Prints how many APDUs each client operation sends (counted at the virtual
// card), the round trip of one APDU through pcscd and the virtual reader, and
// what finding the bank card among two readers adds to a member.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <tuple>
#include <vector>

#include "control/control_core.h"
#include "flows/transaction_client.h"
#include "reader/pcsc_system.h"
#include "support/card_bench.h"
#include "support/pcsc_stack.h"

namespace {

using korvaden::TransATMiVeskClient;

void CountApdus() {
  korvaden::test::CardBench bench;
  TransATMiVeskClient client(bench.platform);
  if (korvaden::Failed(client.reader.EstablishContext())) std::puts("no context");
  const auto count = [&](const char* name, const std::function<void()>& operation) {
    const std::size_t before = bench.card.log().size();
    operation();
    std::printf("  %-18s %zu\n", name, bench.card.log().size() - before);
  };
  std::puts("APDUs per client operation:");
  // Only the commands are counted here: the answers do not matter.
  count("ConnectCard", [&] { std::ignore = client.card.Connect(korvaden::test::kReaderName); });
  count("CountAccounts", [&] { std::ignore = client.card.CountAccounts(); });
  count("ReadIssuerId", [&] { std::ignore = client.card.ReadIssuerId(); });
  count("ReadMainAccount", [&] { std::ignore = client.card.ReadMainAccount(); });
  korvaden::CardRecords records;
  count("ReadCardData", [&] { std::ignore = client.card.ReadCardData("1", records); });
  count("VerifyPin", [&] { std::ignore = client.card.VerifyPin("123456"); });
}

double Median(std::vector<double> times) {
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

// FidoVerify without a PIN, the bank card in the second reader and a card that
// refuses the financial application in the first: the member with the bank
// card's exact reader name, then with none.
void TimeTheSearch(korvaden::Platform& platform, korvaden::test::PcscStack& stack) {
  using korvaden::test::PcscStack;
  constexpr int kRuns = 20;
  std::vector<std::string> refusing;  // each run's look at it
  for (int i = 1; i <= kRuns; ++i) refusing.push_back("status_at=A4#" + std::to_string(i) + ":6A82");
  if (!stack.InsertCard(refusing, 0) || !stack.InsertCard({}, 1)) {
    std::puts("the two cards did not arrive");
    return;
  }
  korvaden::MemberGate gate;
  korvaden::ControlCore core(platform, gate);
  const auto member = [&](const std::string& reader) {
    const auto start = std::chrono::steady_clock::now();
    const korvaden::ResultCode result =
        core.Call(korvaden::Member::FidoVerify, {reader, "SESSION0123456789ABCDEF", "1234567890123456",
                                                 "20230731123456", "12345678", "WEBATM01", "P611XX", ""});
    if (result != korvaden::kResultSuccess) std::printf("FidoVerify gave %d\n", korvaden::AsInteger(result));
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  };
  std::vector<double> exact, found;
  for (int i = 0; i < kRuns; ++i) {
    exact.push_back(member(PcscStack::ReaderName(1)));
    found.push_back(member(""));
  }
  std::printf("FidoVerify with two readers (%d runs each): the exact name %.1f ms, no name (the card found) %.1f ms\n",
              kRuns, Median(exact), Median(found));
}

}  // namespace

int main() {
  CountApdus();
  korvaden::test::PcscStack stack;
  if (!stack.ok() || !stack.InsertCard()) {
    std::fprintf(stderr, "no PC/SC stack: %s\n", stack.error().c_str());
    return 1;
  }
  korvaden::test::CardBench bench;  // only its prompts, random, boxes and dialogs
  korvaden::ReaderModule module(korvaden::SystemPcsc());
  korvaden::Platform platform{
      module, korvaden::SystemSleeper(), bench.prompts, bench.random, bench.boxes, bench.dialogs, bench.keys};
  TransATMiVeskClient client(platform);
  if (korvaden::Failed(client.reader.EstablishContext()) ||
      korvaden::Failed(client.card.Connect(korvaden::test::PcscStack::kReaderName))) {
    std::fprintf(stderr, "the card in the PC/SC stack cannot be reached\n");
    return 1;
  }
  constexpr int kRuns = 300;
  std::vector<double> times;
  for (int i = 0; i < kRuns; ++i) {
    const auto start = std::chrono::steady_clock::now();
    std::ignore = client.card.SelectFile("1001");
    times.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
  }
  std::sort(times.begin(), times.end());
  std::printf("One APDU through pcscd and the virtual reader (%d runs): median %.0f us, 90th percentile %.0f us\n",
              kRuns, times[kRuns / 2], times[kRuns * 9 / 10]);
  client.reader.ReleaseReader();
  TimeTheSearch(platform, stack);
  return 0;
}
