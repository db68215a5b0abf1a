// Running out of memory at any allocation of a member must end that member
// with std::bad_alloc (which the COM shell turns into E_OUTOFMEMORY), never
// end the process, and leave no reader context or card connection open.
// Each member runs once for every n with the n-th allocation failing, in a
// forked child, until a run needs fewer than n allocations.
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <new>

#include "base/result_codes.h"
#include "support/flow_bench.h"

namespace {

// -1: no failure armed; otherwise the allocations still granted.
long allocationsGranted = -1;

}  // namespace

// The replacements pair malloc with free themselves.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t size) {
  if (allocationsGranted >= 0 && allocationsGranted-- == 0) throw std::bad_alloc();
  if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
  throw std::bad_alloc();
}
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }

namespace korvaden {
namespace {

using test::FlowBench;

constexpr int kCompleted = 10, kRanOutOfMemory = 11, kLeftSomethingOpen = 12;

struct SweepFigures {
  int runs = 0, outOfMemory = 0, crashed = 0, leftOpen = 0;
};

// Runs `member` in a child for n = 0, 1, ... failing allocations granted.
SweepFigures Sweep(FlowBench& bench, const std::function<void()>& member) {
  SweepFigures figures;
  for (long granted = 0;; ++granted) {
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
      int status = kCompleted;
      allocationsGranted = granted;
      try {
        member();
      } catch (const std::bad_alloc&) {
        status = kRanOutOfMemory;
      }
      const bool stillArmed = allocationsGranted >= 0;
      allocationsGranted = -1;
      if (!bench.NothingLeftOpen()) status = kLeftSomethingOpen;
      if (status == kCompleted && !stillArmed) status = kRanOutOfMemory;  // a failure the member absorbed
      std::_Exit(status);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ++figures.runs;
    if (!WIFEXITED(status)) {
      ++figures.crashed;
      continue;
    }
    const int code = WEXITSTATUS(status);
    if (code == kLeftSomethingOpen) ++figures.leftOpen;
    if (code == kRanOutOfMemory) ++figures.outOfMemory;
    if (code == kCompleted) return figures;
  }
}

void ExpectSurvives(const char* member, const SweepFigures& figures) {
  std::printf("%s: %d runs, %d out of memory, %d crashed, %d left the reader open\n", member, figures.runs,
              figures.outOfMemory, figures.crashed, figures.leftOpen);
  EXPECT_GT(figures.runs, 1) << member;
  EXPECT_EQ(figures.crashed, 0) << member;
  EXPECT_EQ(figures.leftOpen, 0) << member;
}

TEST(AllocationSweep, CardMembers) {
  FlowBench transfer;
  ExpectSurvives("TransIVESK", Sweep(transfer, [&] { std::ignore = transfer.Transfer({}); }));
  FlowBench fido;
  test::FidoArgs withPin;
  withPin.txCode = "P611XX";
  withPin.pin = "123456";
  ExpectSurvives("FidoVerify", Sweep(fido, [&] { std::ignore = fido.Fido(withPin); }));
  FlowBench ob;
  ExpectSurvives("FidoVerifyOB", Sweep(ob, [&] { std::ignore = ob.FidoOb({}); }));
}

TEST(AllocationSweep, AccountServices) {
  const test::Blocks blocks;
  const auto b = [&](const char* name) -> const std::string& { return blocks[name]; };
  const std::string pad = "type 246810; field 2; type 246810; code; confirm";
  const std::string cardlessPad = "type 97531086; field 2; type 97531086; code; confirm";
  const auto scripted = [](FlowBench& bench, const std::string& padScript) {
    bench.dialogs.pinPadScripts = {padScript};
    bench.dialogs.appConfirmScripts = {"confirm"};
  };
  FlowBench reissue;
  scripted(reissue, pad);
  ExpectSurvives("Reissue_iVeskAppCert", Sweep(reissue, [&] {
                   std::ignore = reissue.core.Call(
                       Member::Reissue_iVeskAppCert,
                       {b("BHO_D5"), b("BHO_D1"), b("BHO_D2"), b("BHO_D3"), b("BHO_D4"), b("BHO_D11"), "t"});
                 }));
  FlowBench apply;
  scripted(apply, cardlessPad);
  ExpectSurvives("CardLess_Apply", Sweep(apply, [&] {
                   std::ignore = apply.core.Call(Member::CardLess_Apply, {b("BHO_D5"), b("BHO_D1"), b("BHO_D2"),
                                                                          b("BHO_D3"), b("BHO_D4"), b("BHO_D11"), "t"});
                 }));
  FlowBench bonding;
  scripted(bonding, pad);
  ExpectSurvives("BondingDevice_Apply", Sweep(bonding, [&] {
                   std::ignore = bonding.core.Call(Member::BondingDevice_Apply,
                                                   {b("BHO_D5"), b("BHO_D1"), b("BHO_D2"), b("BHO_D3"), b("BHO_D4"),
                                                    b("BHO_D11"), b("BHO_D12"), "t"});
                 }));
}

}  // namespace
}  // namespace korvaden
