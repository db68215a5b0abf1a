// Where the time of one TransIVESK (no PIN, no dialog) through pcscd goes: the
// flow's own sleeps, the PC/SC calls (card exchanges included) and the rest,
// the control's own work.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "control/control_core.h"
#include "reader/pcsc_system.h"
#include "support/card_bench.h"
#include "support/pcsc_stack.h"

namespace {

using Clock = std::chrono::steady_clock;
using Micros = std::chrono::duration<double, std::micro>;

// Forwards to the system's PC/SC and adds up the time spent inside it.
class TimedPcsc final : public korvaden::PcscApi {
 public:
  template <class Call>
  korvaden::PcscResult Timed(const Call& call) {
    const auto start = Clock::now();
    const korvaden::PcscResult result = call();
    spent += Clock::now() - start;
    return result;
  }
  korvaden::PcscResult EstablishContext(std::uint32_t s, korvaden::PcscContext& c) override {
    return Timed([&] { return system.EstablishContext(s, c); });
  }
  korvaden::PcscResult ReleaseContext(korvaden::PcscContext c) override {
    return Timed([&] { return system.ReleaseContext(c); });
  }
  korvaden::PcscResult ListReaders(korvaden::PcscContext c, char* b, std::uint32_t& l) override {
    return Timed([&] { return system.ListReaders(c, b, l); });
  }
  korvaden::PcscResult Connect(korvaden::PcscContext c, const char* r, std::uint32_t s, std::uint32_t p,
                               korvaden::PcscCard& card, std::uint32_t& a) override {
    return Timed([&] { return system.Connect(c, r, s, p, card, a); });
  }
  korvaden::PcscResult Status(korvaden::PcscCard card, char* n, std::uint32_t& nl, std::uint32_t& s, std::uint32_t& p,
                              std::uint8_t* atr, std::uint32_t& al) override {
    return Timed([&] { return system.Status(card, n, nl, s, p, atr, al); });
  }
  korvaden::PcscResult GetStatusChange(korvaden::PcscContext c, std::uint32_t t, const char* r, std::uint32_t cs,
                                       std::uint32_t& e) override {
    return Timed([&] { return system.GetStatusChange(c, t, r, cs, e); });
  }
  korvaden::PcscResult Transmit(korvaden::PcscCard card, const std::uint8_t* c, std::uint32_t cl, std::uint8_t* r,
                                std::uint32_t& rl) override {
    ++apdus;
    return Timed([&] { return system.Transmit(card, c, cl, r, rl); });
  }
  korvaden::PcscResult Disconnect(korvaden::PcscCard card, std::uint32_t d) override {
    return Timed([&] { return system.Disconnect(card, d); });
  }

  korvaden::PcscApi& system = korvaden::SystemPcsc();
  Clock::duration spent{};
  int apdus = 0;
};

class TimedSleeper final : public korvaden::Sleeper {
 public:
  void Sleep(std::chrono::milliseconds duration) override {
    const auto start = Clock::now();
    korvaden::SystemSleeper().Sleep(duration);
    spent += Clock::now() - start;
  }
  Clock::duration spent{};
};

}  // namespace

int main() {
  korvaden::test::PcscStack stack;
  if (!stack.ok() || !stack.InsertCard()) {
    std::fprintf(stderr, "no PC/SC stack: %s\n", stack.error().c_str());
    return 1;
  }
  korvaden::test::CardBench fixtures;  // prompts, random, boxes, dialogs, keys
  constexpr int kRuns = 20;
  std::vector<double> totals, sleeps, pcsc, own;
  int apdus = 0;
  for (int i = 0; i < kRuns; ++i) {
    TimedPcsc timed;
    TimedSleeper sleeper;
    korvaden::ReaderModule module(timed);
    korvaden::SystemRandom random;
    korvaden::Platform platform{module,         sleeper,          fixtures.prompts, random,
                                fixtures.boxes, fixtures.dialogs, fixtures.keys};
    korvaden::MemberGate gate;
    korvaden::ControlCore core(platform, gate);
    const auto start = Clock::now();
    const korvaden::ResultCode result =
        core.Call(korvaden::Member::TransIVESK,
                  {korvaden::test::PcscStack::kReaderName, "123456", "2510", "", "81200000", "1234567890123456",
                   "12345678", "WEBATM01", "1", "123456789", "100", "20230731123456", 0, "SESSION0123456789ABCDEF"});
    const auto total = Clock::now() - start;
    if (korvaden::Failed(result)) {
      std::fprintf(stderr, "TransIVESK failed with %d\n", korvaden::AsInteger(result));
      return 1;
    }
    totals.push_back(Micros(total).count());
    sleeps.push_back(Micros(sleeper.spent).count());
    pcsc.push_back(Micros(timed.spent).count());
    own.push_back(Micros(total - sleeper.spent - timed.spent).count());
    apdus = timed.apdus;
  }
  const auto median = [](std::vector<double> v) {
    std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
    return v[v.size() / 2] / 1000.0;
  };
  std::printf("TransIVESK through pcscd, no PIN, no dialog (median of %d runs, %d APDUs each):\n", kRuns, apdus);
  std::printf("  whole call        %8.2f ms\n", median(totals));
  std::printf("  the flow's sleeps %8.2f ms\n", median(sleeps));
  std::printf("  PC/SC calls       %8.2f ms\n", median(pcsc));
  std::printf("  the control's own %8.2f ms\n", median(own));
  return 0;
}
