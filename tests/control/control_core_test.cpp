#include <gtest/gtest.h>

#include <vector>

#include "base/result_codes.h"
#include "control/version.h"
#include "support/flow_bench.h"

namespace korvaden {
namespace {

using test::FidoArgs;
using test::FlowBench;
using test::TransferArgs;

TEST(ControlCore, TrnsMsgFollowsTheLastCall) {
  FlowBench bench;
  EXPECT_EQ(bench.core.TrnsMsg(), "");
  ASSERT_EQ(bench.Transfer({}), kResultSuccess);
  const std::string sealed = bench.core.TrnsMsg();
  EXPECT_FALSE(sealed.empty());
  EXPECT_EQ(bench.core.TrnsMsg(), sealed);  // reading does not clear it
  FidoArgs failing;
  failing.loginIssuerAccount = "0000000000000001";
  EXPECT_EQ(bench.Fido(failing), kResultWrongCard);
  EXPECT_EQ(bench.core.TrnsMsg(), "");
}

TEST(ControlCore, EmptyArgumentsAreEmptyTexts) {
  FlowBench bench;
  const std::string_view none;
  EXPECT_EQ(
      bench.core.Call(Member::FidoVerify, {test::kReaderName, none, "1234567890123456", none, none, none, none, none}),
      kResultSuccess);
  const auto opened = bank::OpenSealed(bench.core.TrnsMsg(), test::TestBankKeys());
  EXPECT_NE(opened.value.find("<session_id></session_id>"), std::string::npos);
  // The control seals what the page gave; the bank takes no empty session or date.
  EXPECT_FALSE(bank::Unseal(bench.core.TrnsMsg(), test::TestBankKeys()).ok);
  EXPECT_EQ(bench.core.Call(Member::TransIVESK,
                            {none, none, none, none, none, none, none, none, none, none, none, none, 0, none}),
            kResultInvalidArgument);  // a PCODE of fewer than 4 characters
}

TEST(ControlCore, NestedCallIsRefusedAndLeavesTheFirstUntouched) {
  FlowBench bench;
  // A second control of the same module shares its gate.
  ControlCore other{bench.platform, bench.gate};
  std::vector<ResultCode> nested;
  bench.dialogs.onTransfer = [&] {
    nested.push_back(bench.Fido({}));
    nested.push_back(other.Call(Member::FidoVerify, {test::kReaderName, "S", "1234567890123456", "", "", "", "", ""}));
  };
  TransferArgs args;
  args.showVerifyDialog = 1;
  ASSERT_EQ(bench.Transfer(args), kResultSuccess);
  EXPECT_EQ(nested, (std::vector<ResultCode>{kResultBusy, kResultBusy}));
  EXPECT_NE(bench.Unsealed().find("<tx_code>2510</tx_code>"), std::string::npos);
  EXPECT_EQ(bench.Fido({}), kResultSuccess);  // the guard is released afterwards
  EXPECT_TRUE(bench.NothingLeftOpen());
}

TEST(ControlCore, ARefusedCallLeavesNoOlderMessage) {
  FlowBench bench;
  ControlCore other{bench.platform, bench.gate};
  const auto verify = [&] {
    return other.Call(Member::FidoVerify, {test::kReaderName, "S", "1234567890123456", "", "", "", "", ""});
  };
  ASSERT_EQ(verify(), kResultSuccess);
  ASSERT_FALSE(other.TrnsMsg().empty());
  bench.dialogs.onTransfer = [&] { EXPECT_EQ(verify(), kResultBusy); };
  TransferArgs args;
  args.showVerifyDialog = 1;
  ASSERT_EQ(bench.Transfer(args), kResultSuccess);
  EXPECT_EQ(other.TrnsMsg(), "") << "refused as busy";

  ASSERT_EQ(verify(), kResultSuccess);
  other.SetPage("https://evil.test/");
  EXPECT_EQ(verify(), kResultPageRefused);
  EXPECT_EQ(other.TrnsMsg(), "") << "refused for its page";
}

// A call refused before its flow still leaves its member's line for support:
// the page's origin, and the code the page got.
TEST(ControlCore, RefusedCallsLeaveTheirMembersLine) {
  FlowBench bench;
  bench.core.SetPage("https://evil.test/atm");
  EXPECT_EQ(bench.core.RefuseValues(MemberCallOf(Member::TransIVESK)), kResultPageRefused);
  bench.core.SetPage(std::nullopt);
  EXPECT_EQ(bench.core.RefuseValues(MemberCallOf(Member::TransIVESK)), kResultInvalidArgument);
  EXPECT_EQ(bench.log.lines,
            (std::vector<std::string>{"member TransIVESK origin https://evil.test:443 result 8960 in 0 ms",
                                      "member TransIVESK origin (local program) result 8970 in 0 ms"}));
}

TEST(ControlCore, ApiVersion) {
  FlowBench bench;
  EXPECT_EQ(ReadModuleFileVersion(), KORVADEN_PROJECT_VERSION) << "the project's version reaches the module";
  EXPECT_EQ(bench.core.GetAPIVersion(), NormaliseVersion(KORVADEN_PROJECT_VERSION));
}

TEST(NormaliseVersion, EveryRowOfTheTable) {
  EXPECT_EQ(NormaliseVersion("1.2307.31.1"), "1.2307.311");
  EXPECT_EQ(NormaliseVersion("1, 0, 0, 5"), "1.0.05");
  EXPECT_EQ(NormaliseVersion("1.2.3"), "1.2.3");
  EXPECT_EQ(NormaliseVersion("1.2"), "1..2");
  EXPECT_EQ(NormaliseVersion("0,0,0,0"), "0.0.00");
  EXPECT_EQ(NormaliseVersion("12"), "");
  EXPECT_EQ(NormaliseVersion(""), "");
  EXPECT_EQ(NormaliseVersion("1.2.3.4  "), "1.2.34");
}

}  // namespace
}  // namespace korvaden
