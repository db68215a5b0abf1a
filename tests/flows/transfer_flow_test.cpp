#include <gtest/gtest.h>

#include <algorithm>

#include "base/result_codes.h"
#include "support/flow_bench.h"
#include "ui/texts.h"

namespace korvaden {
namespace {

using test::FlowBench;
using test::TransferArgs;

constexpr char kCaption[] = "DrommelWebATM";

card::CardProfile Reinserted() {
  card::CardProfile profile;
  profile.removeAfterPolls = 1;
  profile.reinsertAfterPolls = 2;
  return profile;
}

TEST(TransferFlow, SealsTheExpectedDocumentAndTacInput) {
  FlowBench bench;
  ASSERT_EQ(bench.Transfer({}), kResultSuccess);
  const std::string input = bench.LastTacInput();
  EXPECT_EQ(input,
            "32353130"                          // "2510"
            "3030303030303030303130303030"      // 00000000010000
            "30303030303030313233343536373839"  // 0000000123456789
            "123456"
            "12345678"
            "20230731123456"
            "31323334353637383930313233343536");  // the debited account
  const std::string tsac = card::Hex(card::ComputeCardTac(card::CardProfile{}.tacKey, card::FromHex(input)));
  EXPECT_EQ(bench.Unsealed(), test::ExpectedDocument("2510", "SESSION0123456789ABCDEF", "20230731123456", "WEBATM01",
                                                     "12345678", "123456", "1234567890123456", "00000000010000", tsac));
  EXPECT_TRUE(bank::VerifyTac(card::Hex(card::CardProfile{}.tacKey), input, tsac).ok);
  EXPECT_TRUE(bench.NothingLeftOpen());
  EXPECT_TRUE(bench.boxes.shown.empty());
  EXPECT_TRUE(bench.prompts.stages.empty());  // no PIN: no re-insertion
}

TEST(TransferFlow, PinMeansReinsertionAndVerification) {
  FlowBench bench(Reinserted());
  TransferArgs args;
  args.pin = "123456";
  ASSERT_EQ(bench.Transfer(args), kResultSuccess);
  EXPECT_EQ(bench.prompts.stages, (std::vector<int>{1, 2}));
  const auto& log = bench.card.log();
  EXPECT_NE(std::find(log.begin(), log.end(), "0020001008123456FFFFFFFFFF"), log.end());
  EXPECT_FALSE(bench.core.TrnsMsg().empty());
  EXPECT_TRUE(bench.NothingLeftOpen());
}

TEST(TransferFlow, ChosenAccountAndConfirmation) {
  card::CardProfile profile;
  profile.accounts[2] = "5555555555555555";
  FlowBench bench(profile);
  TransferArgs args;
  args.accountIndex = "3";
  args.showVerifyDialog = 1;
  args.money = "123";
  ASSERT_EQ(bench.Transfer(args), kResultSuccess);
  ASSERT_EQ(bench.dialogs.transfers.size(), 1u);
  EXPECT_EQ(bench.dialogs.transfers[0].transferorText, "812/5555555555555555");
  EXPECT_EQ(bench.dialogs.transfers[0].transfereeText, "812/0000000123456789");
  EXPECT_EQ(bench.dialogs.transfers[0].amountText, "123");
  EXPECT_NE(bench.Unsealed().find("<trns_out_account>5555555555555555</trns_out_account><trns_amount>00000000012300<"),
            std::string::npos);
  EXPECT_EQ(bench.LastTacInput().substr(96), "35353535353535353535353535353535");

  bench.dialogs.transferAnswer = kTransferCancelled;
  EXPECT_EQ(bench.Transfer(args), kResultCancelled);
  EXPECT_EQ(bench.core.TrnsMsg(), "");
  args.showVerifyDialog = -1;
  EXPECT_EQ(bench.Transfer(args), kResultSuccess);
  EXPECT_EQ(bench.dialogs.transfers.size(), 2u);
}

struct FailureCase {
  const char* name;
  std::function<void(FlowBench&, TransferArgs&)> arrange;
  ResultCode result;
  const char* message;  // nullptr: no message box
  const char* caption;
  MessageIcon icon = MessageIcon::Warning;

  friend void PrintTo(const FailureCase& c, std::ostream* out) { *out << c.name; }
};

class TransferFailures : public ::testing::TestWithParam<FailureCase> {};

TEST_P(TransferFailures, EndWithTheirCodeMessageAndNothingLeft) {
  const FailureCase& c = GetParam();
  FlowBench bench(Reinserted());
  ASSERT_EQ(bench.Transfer({}), kResultSuccess);  // a success before: the failure must empty TrnsMsg
  bench.boxes.shown.clear();
  TransferArgs args;
  c.arrange(bench, args);
  EXPECT_EQ(bench.Transfer(args), c.result);
  EXPECT_EQ(bench.core.TrnsMsg(), "");
  if (c.message == nullptr) {
    EXPECT_TRUE(bench.boxes.shown.empty()) << bench.boxes.shown.front().text;
  } else {
    ASSERT_EQ(bench.boxes.shown.size(), 1u);
    EXPECT_EQ(bench.boxes.shown[0].text, c.message);
    EXPECT_EQ(bench.boxes.shown[0].caption, c.caption);
    EXPECT_EQ(bench.boxes.shown[0].icon, c.icon);
  }
  EXPECT_TRUE(bench.NothingLeftOpen());
}

INSTANTIATE_TEST_SUITE_P(
    Steps, TransferFailures,
    ::testing::Values(
        FailureCase{"NoContext", [](FlowBench& b, TransferArgs&) { b.readers.establishFailure = kScardNoService; },
                    kResultCancelled, texts::kReaderMessage, kCaption},
        FailureCase{"NoCardInTheReader",
                    [](FlowBench& b, TransferArgs&) { b.readers.connectFailure = kScardNoSmartcard; },
                    kResultCancelled, texts::kNoCardInReaderMessage, kCaption},
        FailureCase{"CardDoesNotAnswer",
                    [](FlowBench& b, TransferArgs&) { b.readers.connectFailure = kScardUnresponsiveCard; },
                    kResultCancelled, texts::kCardConnectionMessage, kCaption},
        FailureCase{"NoSuchReader", [](FlowBench&, TransferArgs& a) { a.readerName = "Other reader"; },
                    kResultCancelled, texts::kReaderNotFoundMessage, kCaption},
        FailureCase{"NoReaderToSearch",
                    [](FlowBench& b, TransferArgs& a) {
                      a.readerName = "";
                      b.readers.RemoveReader(test::kReaderName);
                    },
                    kResultCancelled, texts::kReaderMessage, kCaption},
        FailureCase{"NoBankCardToFind",
                    [](FlowBench& b, TransferArgs& a) {
                      a.readerName = "";
                      const int next = b.card.CommandsSeen(card::kInsSelect) + 1;
                      b.card.Reconfigure([next](auto& p) {
                        p.statusAt[card::CommandAt{card::kInsSelect, next}] = 0x6A82;
                      });
                    },
                    kResultCancelled, texts::kNoBankCardMessage, kCaption},
        FailureCase{
            "CountFails",
            [](FlowBench& b, TransferArgs&) { b.card.Reconfigure([](auto& p) { p.recordStatus[10] = 0x6A83; }); },
            kResultCardUnreadable, texts::kCardReadMessage, kCaption},
        FailureCase{"NoAccounts",
                    [](FlowBench& b, TransferArgs&) {
                      b.card.Reconfigure([](auto& p) { p.accounts[0] = "0000000000000000"; });
                    },
                    kResultCardUnreadable, texts::kNoAccountsMessage, kCaption},
        FailureCase{
            "RecordReadFails",
            [](FlowBench& b, TransferArgs&) { b.card.Reconfigure([](auto& p) { p.recordStatus[2] = 0x6A83; }); },
            kResultCardUnreadable, nullptr, ""},
        FailureCase{"FileRefusedBeforeTheRecords",
                    [](FlowBench& b, TransferArgs&) {
                      // selection, then the counting's and the reading's file selections
                      const int next = b.card.CommandsSeen(card::kInsSelect);
                      b.card.Reconfigure([next](auto& p) {
                        p.statusAt[card::CommandAt{card::kInsSelect, next + 3}] = 0x6A82;
                      });
                    },
                    kResultCardUnreadable, nullptr, ""},
        FailureCase{"CardNotReinserted",
                    [](FlowBench& b, TransferArgs& a) {
                      a.pin = "123456";
                      b.card.Reconfigure([](auto& p) { p.removeAfterPolls = 0; });
                    },
                    kResultCancelled, nullptr, ""},
        FailureCase{"ConfirmationCancelled",
                    [](FlowBench& b, TransferArgs& a) {
                      a.showVerifyDialog = 1;
                      b.dialogs.transferAnswer = kTransferCancelled;
                    },
                    kResultCancelled, nullptr, ""},
        FailureCase{"SecondContextFails",
                    [](FlowBench& b, TransferArgs& a) {
                      a.showVerifyDialog = 1;
                      b.dialogs.onTransfer = [&b] { b.readers.establishFailure = kScardNoService; };
                    },
                    kResultCancelled, texts::kReaderMessage, kCaption},
        FailureCase{"SecondConnectionFails",
                    [](FlowBench& b, TransferArgs& a) {
                      a.showVerifyDialog = 1;
                      b.dialogs.onTransfer = [&b] { b.readers.connectFailure = kScardNoSmartcard; };
                    },
                    kResultCancelled, texts::kNoCardInReaderMessage, kCaption},
        FailureCase{"PinRejected", [](FlowBench&, TransferArgs& a) { a.pin = "999999"; }, test::StatusResult(0x6608),
                    nullptr, ""},
        FailureCase{"PinExchangeFails",
                    [](FlowBench& b, TransferArgs& a) {
                      a.pin = "123456";
                      const int next = b.card.CommandsSeen(card::kInsVerify);
                      b.card.Reconfigure([next](auto& p) {
                        p.transmitFailureAt = card::CommandAt{card::kInsVerify, next + 1};
                      });
                    },
                    FromPcsc(kScardCommError), nullptr, ""},
        FailureCase{"OtherAccount", [](FlowBench&, TransferArgs& a) { a.loginIssuerAccount = "1234567890123457"; },
                    kResultWrongCard, texts::kWrongCardMessage, ""},
        FailureCase{"OtherIssuer", [](FlowBench&, TransferArgs& a) { a.loginIssuerId = "81300000"; }, kResultWrongCard,
                    texts::kWrongCardMessage, ""},
        FailureCase{"TacRefused",
                    [](FlowBench& b, TransferArgs&) { b.card.Reconfigure([](auto& p) { p.tacStatus = 0x6985; }); },
                    kResultTacFailed, nullptr, ""},
        FailureCase{"TacWithoutCode",
                    [](FlowBench& b, TransferArgs&) { b.card.Reconfigure([](auto& p) { p.tacLength = 0; }); },
                    kResultTacFailed, nullptr, ""},
        FailureCase{"TacExchangeFails",
                    [](FlowBench& b, TransferArgs&) {
                      const int next = b.card.CommandsSeen(card::kInsComputeTac);
                      b.card.Reconfigure([next](auto& p) {
                        p.transmitFailureAt = card::CommandAt{card::kInsComputeTac, next + 1};
                      });
                    },
                    kResultTacFailed, nullptr, ""},
        FailureCase{"SealFails", [](FlowBench& b, TransferArgs&) { b.keys.serverPublicPem = "unreadable"; },
                    kResultSealFailed, "Error RSA", "", MessageIcon::Error}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TransferFlow, TheCardSignsOnlyAfterItAcceptedThePin) {
  FlowBench bench(Reinserted());
  TransferArgs args;
  args.pin = "123456";
  ASSERT_EQ(bench.Transfer(args), kResultSuccess);
  const auto& log = bench.card.log();
  const auto verify =
      std::find_if(log.begin(), log.end(), [](const std::string& c) { return c.rfind("0020", 0) == 0; });
  ASSERT_NE(verify, log.end());
  EXPECT_EQ(verify + 2, log.end());  // VERIFY, then the TAC
  EXPECT_EQ(log.back().rfind("00E2", 0), 0u);
}

TEST(TransferFlow, AnotherCardNeverSeesThePin) {
  FlowBench bench(Reinserted());
  TransferArgs args;
  args.pin = "123456";
  args.loginIssuerAccount = "1234567890123457";  // a page that does not know the card
  EXPECT_EQ(bench.Transfer(args), kResultWrongCard);
  for (const std::string& command : bench.card.log()) EXPECT_NE(command.rfind("0020", 0), 0u) << command;
  EXPECT_EQ(bench.card.pinTriesLeft(), 3);
}

TEST(TransferFlow, PageValuesTheMessageCannotCarryAreRefusedBeforeTheReader) {
  const std::vector<std::function<void(TransferArgs&)>> refusals = {
      [](TransferArgs& a) { a.pCode = "251"; },
      [](TransferArgs& a) { a.txCode = "1234567"; },
      [](TransferArgs& a) { a.ifdCheckCode = "123456789"; },
      [](TransferArgs& a) { a.transDateTime = "202307311234567"; },
      [](TransferArgs& a) { a.money = "1234567890123"; },  // 15 characters would not fit the TAC's 14
      [](TransferArgs& a) { a.importAccount = "12345678901234567"; },
      [](TransferArgs& a) { a.sessionId = "S<1>"; },
      [](TransferArgs& a) { a.ifdId = "A&B"; },
      // The cipher and the MAC stopped at a NUL: a message the server could not open.
      [](TransferArgs& a) { a.sessionId = std::string("SESSION\0TAIL", 12); },
      [](TransferArgs& a) { a.ifdId = "WEBATM\r\n01"; },
      [](TransferArgs& a) { a.readerName += '\x7F'; },
      // "1,000,000" was shown as 1 while the card signed "0001,000,00000".
      [](TransferArgs& a) { a.money = "1,000,000"; },
      [](TransferArgs& a) { a.money = ""; },
      [](TransferArgs& a) { a.money = "-100"; },
      // "1234FF" sent the same PIN block as "1234" and spent a try.
      [](TransferArgs& a) { a.pin = "1234FF"; },
      [](TransferArgs& a) { a.pin = std::string(37, '1'); },
      // Refused only after the card had verified the PIN and computed the TAC.
      [](TransferArgs& a) { a.sessionId = std::string(1 << 20, 'S'); },
  };
  for (std::size_t i = 0; i < refusals.size(); ++i) {
    FlowBench bench;
    TransferArgs args;
    refusals[i](args);
    EXPECT_EQ(bench.Transfer(args), kResultInvalidArgument) << i;
    EXPECT_EQ(bench.readers.establishCount, 0) << i;
    EXPECT_TRUE(bench.card.log().empty()) << i;
    EXPECT_TRUE(bench.boxes.shown.empty());
  }
  FlowBench bench;
  TransferArgs longest;
  longest.money = "123456789012";  // 14 characters with the cents: accepted
  EXPECT_EQ(bench.Transfer(longest), kResultSuccess);
  EXPECT_NE(bench.Unsealed().find("<trns_amount>12345678901200</trns_amount>"), std::string::npos);
}

TEST(TransferFlow, ShortDebitedAccountIsUnreadableCardData) {
  card::CardProfile profile;
  profile.accounts[0] = "123456789012345";
  FlowBench bench(profile);
  EXPECT_EQ(bench.Transfer({}), kResultCardUnreadable);
  EXPECT_EQ(bench.LastTacInput(), "");
}

}  // namespace
}  // namespace korvaden
