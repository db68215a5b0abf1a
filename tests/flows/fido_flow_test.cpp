#include <gtest/gtest.h>

#include <algorithm>

#include "base/result_codes.h"
#include "support/flow_bench.h"
#include "ui/texts.h"

namespace korvaden {
namespace {

using test::FidoArgs;
using test::FlowBench;

std::string Tsac(const std::string& inputHex) {
  return card::Hex(card::ComputeCardTac(card::CardProfile{}.tacKey, card::FromHex(inputHex)));
}

bool Verified(const FlowBench& bench) {
  const auto& log = bench.card.log();
  return std::any_of(log.begin(), log.end(), [](const std::string& c) { return c.rfind("00200010", 0) == 0; });
}

TEST(FidoVerify, AnotherCardNeverSeesThePin) {
  // Three calls with a wrong PIN used to block the card with nothing on screen.
  FlowBench bench;
  FidoArgs args;
  args.txCode = "P611XX";  // no re-insertion
  args.pin = "999999";
  args.loginIssuerAccount = "9999999999999999";
  for (int call = 0; call < 3; ++call) EXPECT_EQ(bench.Fido(args), kResultWrongCard);
  EXPECT_FALSE(Verified(bench));
  EXPECT_EQ(bench.card.pinTriesLeft(), 3);
  args.pin = "12345X";
  args.loginIssuerAccount = "1234567890123456";
  EXPECT_EQ(bench.FidoOb(args), kResultInvalidArgument);
  EXPECT_FALSE(Verified(bench));
}

TEST(FidoVerify, TheCardSignsOnlyAfterItAcceptedThePin) {
  FlowBench bench;
  FidoArgs args;
  args.txCode = "P611XX";
  args.pin = "123456";
  ASSERT_EQ(bench.Fido(args), kResultSuccess);
  const auto& log = bench.card.log();
  const auto verify =
      std::find_if(log.begin(), log.end(), [](const std::string& c) { return c.rfind("0020", 0) == 0; });
  const auto tac = std::find_if(log.begin(), log.end(), [](const std::string& c) { return c.rfind("00E2", 0) == 0; });
  ASSERT_NE(verify, log.end());
  EXPECT_LT(verify, tac);
  EXPECT_EQ(tac + 1, log.end());
}

TEST(FidoVerify, DocumentAndEbcdicTacInput) {
  FlowBench bench;
  ASSERT_EQ(bench.Fido({}), kResultSuccess);
  const std::string input = bench.LastTacInput();
  EXPECT_EQ(input,
            "32353930"                          // "2590"
            "30303030303030303030303030303030"  // 16 zeros
            "D7F6F1F1C1C4"                      // P611AD in EBCDIC
            "F1F2F3F4F5F6F7F8"                  // 12345678
            "F2F0F2F3F0F7F3F1F1F2F3F4F5F6"      // 20230731123456
            "31323334353637383930313233343536");
  EXPECT_EQ(bench.card.log().back().substr(0, 10), "00E2108040");
  EXPECT_EQ(bench.Unsealed(),
            test::ExpectedDocument("2590", "SESSION0123456789ABCDEF", "20230731123456", "WEBATM01", "12345678", "2590",
                                   "1234567890123456", "0000000000000000", Tsac(input)));
  EXPECT_TRUE(bench.NothingLeftOpen());
}

TEST(FidoVerify, ReinsertionOnlyWithPinAndP611AD) {
  card::CardProfile reinserted;
  reinserted.removeAfterPolls = 1;
  reinserted.reinsertAfterPolls = 2;
  {
    FlowBench bench(reinserted);
    FidoArgs args;
    args.pin = "123456";
    ASSERT_EQ(bench.Fido(args), kResultSuccess);
    EXPECT_EQ(bench.prompts.stages, (std::vector<int>{1, 2}));
    EXPECT_TRUE(Verified(bench));
  }
  {
    FlowBench bench(reinserted);
    FidoArgs args;
    args.pin = "123456";
    args.txCode = "P611AE";
    ASSERT_EQ(bench.Fido(args), kResultSuccess);
    EXPECT_TRUE(bench.prompts.stages.empty());
    EXPECT_TRUE(Verified(bench));
  }
  {
    FlowBench bench(reinserted);
    ASSERT_EQ(bench.Fido({}), kResultSuccess);  // "P611AD" without a PIN
    EXPECT_TRUE(bench.prompts.stages.empty());
    EXPECT_FALSE(Verified(bench));
  }
  {
    FlowBench bench;  // the card stays in
    FidoArgs args;
    args.pin = "123456";
    EXPECT_EQ(bench.Fido(args), kResultCancelled);
    EXPECT_TRUE(bench.boxes.shown.empty());
  }
}

TEST(FidoVerify, OnlyTheMainAccountIdentifiesTheLoginCard) {
  card::CardProfile otherIssuer;
  otherIssuer.issuerId = "99900000";
  FlowBench bench(otherIssuer);
  EXPECT_EQ(bench.Fido({}), kResultSuccess);
  EXPECT_EQ(bench.FidoOb({}), kResultSuccess);
  FidoArgs args;
  args.loginIssuerAccount = "1234567890123450";
  EXPECT_EQ(bench.Fido(args), kResultWrongCard);
  ASSERT_EQ(bench.boxes.shown.size(), 1u);
  EXPECT_EQ(bench.boxes.shown[0].text, texts::kWrongCardMessage);
  EXPECT_EQ(bench.boxes.shown[0].caption, "");
  EXPECT_EQ(bench.FidoOb(args), kResultWrongCard);
  EXPECT_EQ(bench.core.TrnsMsg(), "");
}

TEST(FidoVerify, FailuresOfTheSharedSteps) {
  {
    FlowBench bench;
    bench.readers.establishFailure = kScardNoService;
    EXPECT_EQ(bench.Fido({}), kResultCancelled);
    EXPECT_EQ(bench.boxes.shown.at(0).caption, "DrommelWebATM");
  }
  {
    card::CardProfile noAccounts;
    noAccounts.accounts[0] = "0000000000000000";
    FlowBench bench(noAccounts);
    EXPECT_EQ(bench.FidoOb({}), kResultCardUnreadable);
    EXPECT_EQ(bench.boxes.shown.at(0).text, texts::kNoAccountsMessage);
  }
  {
    card::CardProfile refusing;
    refusing.tacStatus = 0x6A80;
    FlowBench bench(refusing);
    EXPECT_EQ(bench.Fido({}), kResultTacFailed);
    EXPECT_EQ(bench.FidoOb({}), kResultTacFailed);
    EXPECT_TRUE(bench.NothingLeftOpen());
  }
  {
    FlowBench bench;
    FidoArgs args;
    args.pin = "111111";
    args.txCode = "P611AE";
    EXPECT_EQ(bench.Fido(args), test::StatusResult(0x6608));
  }
}

TEST(FidoVerify, PageValuesOutsideTheTacFieldsAreRefused) {
  for (const auto& change : std::vector<std::function<void(FidoArgs&)>>{
           [](FidoArgs& a) { a.txCode = "P611ADX"; }, [](FidoArgs& a) { a.ifdCheckCode = "123456789"; },
           [](FidoArgs& a) { a.transDateTime = "202307311234567"; }, [](FidoArgs& a) { a.sessionId = "<x>"; }}) {
    FlowBench bench;
    FidoArgs args;
    change(args);
    EXPECT_EQ(bench.Fido(args), kResultInvalidArgument);
    EXPECT_EQ(bench.readers.establishCount, 0);
  }
}

TEST(FidoVerifyOb, NinetyByteAsciiTacInput) {
  FlowBench bench;
  FidoArgs args;
  args.id = "ID-0123456789-0123456789-0123456789";  // 35 characters: cut to 30
  ASSERT_EQ(bench.FidoOb(args), kResultSuccess);
  const std::string input = bench.LastTacInput();
  EXPECT_EQ(bench.card.log().back().substr(0, 10), "00E210805A");
  EXPECT_EQ(input,
            "32353636"                          // "2566"
            "3030303030303030303030303030"      // 14 zeros
            "31323334353637383930313233343536"  // the main account
            "3132333435363738"                  // 12345678
            "3230323330373331313233343536"      // 20230731123456
            "3031"
            "3032"                                                            // TxType, CheckItem
            "49442D303132333435363738392D303132333435363738392D3031323334");  // ID, first 30
  EXPECT_EQ(bench.Unsealed(),
            test::ExpectedDocument("2566", "SESSION0123456789ABCDEF", "20230731123456", "WEBATM01", "12345678", "2566",
                                   "1234567890123456", "0000000000000000", Tsac(input)));

  args.txType = "9";
  args.checkItem = "";
  args.id = "A1";
  ASSERT_EQ(bench.FidoOb(args), kResultSuccess);
  EXPECT_EQ(bench.LastTacInput().substr(112),
            "3900"
            "0000"
            "4131" +
                std::string(56, '0'));  // zero-filled
}

}  // namespace
}  // namespace korvaden
