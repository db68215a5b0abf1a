#include <gtest/gtest.h>

#include "base/result_codes.h"
#include "card/card_commands.h"
#include "flows/transaction_client.h"
#include "support/card_bench.h"

namespace korvaden {
namespace {

using test::CardBench;
using test::kReaderName;

class CardClient : public ::testing::Test {
 protected:
  explicit CardClient(card::CardProfile profile = {}) : bench(std::move(profile)) {}
  void SetUp() override {
    ASSERT_EQ(client.reader.EstablishContext(), kScardSuccess);
    ASSERT_EQ(client.card.Connect(kReaderName), kResultSuccess);
  }
  // The record numbers (P1) of the READ RECORD commands sent since `first`.
  std::vector<int> RecordsRead(std::size_t first) const {
    std::vector<int> records;
    for (const auto& command : bench.CommandsFrom(first)) {
      if (command.rfind("00B2", 0) == 0) records.push_back(std::stoi(command.substr(4, 2), nullptr, 16));
    }
    return records;
  }
  CardBench bench;
  TransATMiVeskClient client{bench.platform};
};

std::string Repeat(const std::string& text, int times) {
  std::string repeated;
  for (int i = 0; i < times; ++i) repeated += text;
  return repeated;
}

card::CardProfile WithAccounts(std::array<std::string, 8> accounts) {
  card::CardProfile profile;
  profile.accounts = std::move(accounts);
  return profile;
}

TEST_F(CardClient, ConnectingSelectsTheApplication) {
  EXPECT_EQ(bench.card.log().front(), "00A4040008A00000017295000100");
  EXPECT_EQ(client.reader.readerName(), kReaderName);
  EXPECT_EQ(client.reader.status().atrLength, 4u);
}

TEST(CardSelection, NoAnswerIs7900AndAnErrorStatusStillSelects) {
  card::CardProfile silent;
  silent.noSelectAnswer = true;
  CardBench bench(silent);
  TransATMiVeskClient client(bench.platform);
  ASSERT_EQ(client.reader.EstablishContext(), kScardSuccess);
  EXPECT_EQ(client.card.Connect(kReaderName), kResultNoSelectionAnswer);
  EXPECT_EQ(client.card.lastResult(), kResultNoSelectionAnswer);

  card::CardProfile refusing;
  refusing.statusAt[{kInsSelect, 1}] = 0x6A82;
  CardBench other(refusing);
  TransATMiVeskClient second(other.platform);
  ASSERT_EQ(second.reader.EstablishContext(), kScardSuccess);
  EXPECT_EQ(second.card.Connect(kReaderName), kResultSuccess);
  EXPECT_EQ(second.card.statusWord(), kNoStatusWord);  // the selection's status word is not examined

  card::CardProfile broken;
  broken.transmitFailureAt = {kInsSelect, 1};
  CardBench third(broken);
  TransATMiVeskClient failing(third.platform);
  ASSERT_EQ(failing.reader.EstablishContext(), kScardSuccess);
  EXPECT_EQ(failing.card.Connect(kReaderName), kResultNoSelectionAnswer);
}

class OneRealAccount : public CardClient {
 protected:
  OneRealAccount()
      : CardClient(WithAccounts({"  1234567890123456", "0000000000000000", "                ", "0000000000000000",
                                 "0000000000000000", "0000000000000000", "0000000000000000", "0000000000000000"})) {}
};

TEST_F(OneRealAccount, BlankAndZeroAccountsAreEmpty) {
  EXPECT_EQ(client.card.CountAccounts(), kResultSuccess);
  EXPECT_EQ(client.card.accountCount(), 1);
  EXPECT_EQ(RecordsRead(0), (std::vector<int>{3, 4, 5, 6, 7, 8, 9, 10}));
  // Counted again on the same client: the same card, the same count.
  EXPECT_EQ(client.card.CountAccounts(), kResultSuccess);
  EXPECT_EQ(client.card.accountCount(), 1);
}

TEST(CardAccounts, FailedMiddleRecordIsSkippedAndOnlyTheLastCounts) {
  card::CardProfile profile =
      WithAccounts({"1111111111111111", "2222222222222222", "0000000000000000", "0000000000000000", "3333333333333333",
                    "0000000000000000", "0000000000000000", "4444444444444444"});
  profile.recordStatus[7] = 0x6A83;
  CardBench bench(profile);
  TransATMiVeskClient client(bench.platform);
  ASSERT_EQ(client.reader.EstablishContext(), kScardSuccess);
  ASSERT_EQ(client.card.Connect(kReaderName), kResultSuccess);
  EXPECT_EQ(client.card.CountAccounts(), kResultSuccess);
  EXPECT_EQ(client.card.accountCount(), 3);

  profile.recordStatus = {{10, 0x6A83}};
  CardBench last(profile);
  TransATMiVeskClient other(last.platform);
  ASSERT_EQ(other.reader.EstablishContext(), kScardSuccess);
  ASSERT_EQ(other.card.Connect(kReaderName), kResultSuccess);
  EXPECT_EQ(other.card.CountAccounts(), kResultCardUnreadable);
  EXPECT_EQ(other.card.accountCount(), 3);
}

TEST(CardAccounts, RefusedFileSelectionReadsNothing) {
  card::CardProfile profile;
  profile.selectFileStatus = 0x6A82;
  CardBench bench(profile);
  TransATMiVeskClient client(bench.platform);
  ASSERT_EQ(client.reader.EstablishContext(), kScardSuccess);
  ASSERT_EQ(client.card.Connect(kReaderName), kResultSuccess);
  EXPECT_EQ(client.card.CountAccounts(), kResultSuccess);  // the exchange itself succeeded
  EXPECT_EQ(client.card.statusWord(), StatusWord{0x6A82});
  EXPECT_EQ(client.card.accountCount(), 0);
  CardRecords records;
  EXPECT_EQ(client.card.ReadCardData("1", records), kResultSuccess);
  EXPECT_NE(client.card.statusWord(), kStatusOk);
  EXPECT_EQ(client.card.ReadIssuerId(), "");
  EXPECT_EQ(bench.card.log().size(), 4u);  // the selection and three file selections
}

TEST_F(CardClient, AccountIndexChoosesTheRecord) {
  const std::pair<const char*, int> cases[] = {{"1", 3}, {"01", 3}, {"3", 5}, {"8", 10}, {"9", 3},
                                               {"0", 3}, {"-5", 3}, {"x", 3}, {"", 3},   {"99999999999999999999", 3}};
  for (const auto& [index, record] : cases) {
    const std::size_t first = bench.card.log().size();
    CardRecords records;
    ASSERT_EQ(client.card.ReadCardData(index, records), kResultSuccess) << index;
    EXPECT_EQ(RecordsRead(first), (std::vector<int>{1, 2, 3, record})) << index;
  }
}

TEST_F(CardClient, CardDataFields) {
  CardRecords records;
  ASSERT_EQ(client.card.ReadCardData("1", records), kResultSuccess);
  EXPECT_EQ(records.issuerId, "81200000");
  EXPECT_EQ(records.issuerRemark, Repeat("20", 30));  // blanks kept as their hex digits
  EXPECT_EQ(records.issuerAccount, "1234567890123456");
  EXPECT_EQ(records.outAccount, "1234567890123456");
  EXPECT_EQ(client.card.ReadIssuerId(), "81200000");
  EXPECT_EQ(client.card.ReadMainAccount(), "1234567890123456");
}

TEST(CardData, FailedReadStopsWith8800KeepingWhatWasRead) {
  card::CardProfile profile;
  profile.recordStatus[2] = 0x6A83;
  CardBench bench(profile);
  TransATMiVeskClient client(bench.platform);
  ASSERT_EQ(client.reader.EstablishContext(), kScardSuccess);
  ASSERT_EQ(client.card.Connect(kReaderName), kResultSuccess);
  CardRecords records;
  EXPECT_EQ(client.card.ReadCardData("1", records), kResultCardUnreadable);
  EXPECT_EQ(client.card.lastResult(), kResultCardUnreadable);
  EXPECT_EQ(records.issuerId, "81200000");
  EXPECT_EQ(records.issuerAccount, "");
  EXPECT_EQ(client.card.ReadMainAccount(), "1234567890123456");
}

TEST_F(CardClient, PinVerification) {
  const std::size_t first = bench.card.log().size();
  EXPECT_EQ(client.card.VerifyPin("123456"), kResultSuccess);
  EXPECT_EQ(bench.card.log()[first],
            "002000100812"
            "3456FFFFFFFFFF");
  EXPECT_EQ(client.card.VerifyPin("654321"), test::StatusResult(0x6608));
  EXPECT_EQ(client.card.statusWord(), StatusWord{0x6608});
  EXPECT_EQ(bench.card.pinTriesLeft(), 2);
  EXPECT_EQ(client.card.VerifyPin("123456789012"), test::StatusResult(0x6608));
  EXPECT_EQ(bench.card.log().back(), "0020001008123456789012FFFF");
  EXPECT_EQ(client.card.VerifyPin("12345678901234567890"),
            test::StatusResult(0x6983));  // the third wrong PIN blocks the card
  EXPECT_EQ(bench.card.log().back(), "00200010081234567890123456");
  EXPECT_EQ(client.card.VerifyPin("123456"), test::StatusResult(0x6983));
}

TEST_F(CardClient, OverlongPinIsRefusedBeforeTheCard) {
  const std::size_t sent = bench.card.log().size();
  EXPECT_EQ(client.card.VerifyPin(std::string(37, '1')), kResultInvalidArgument);
  EXPECT_EQ(client.card.statusWord(), kNoStatusWord);
  EXPECT_EQ(bench.card.log().size(), sent);
  EXPECT_EQ(client.card.VerifyPin(std::string(36, '1')), test::StatusResult(0x6608));
}

TEST(CardPin, StatusWordsAndTransportFailures) {
  card::CardProfile profile;
  profile.verifyStatus = 0x6620;
  CardBench bench(profile);
  TransATMiVeskClient client(bench.platform);
  ASSERT_EQ(client.reader.EstablishContext(), kScardSuccess);
  ASSERT_EQ(client.card.Connect(kReaderName), kResultSuccess);
  EXPECT_EQ(client.card.VerifyPin("123456"), test::StatusResult(0x6620));

  card::CardProfile failing;
  failing.transmitFailureAt = {kInsVerifyPin, 1};
  CardBench other(failing);
  TransATMiVeskClient second(other.platform);
  ASSERT_EQ(second.reader.EstablishContext(), kScardSuccess);
  ASSERT_EQ(second.card.Connect(kReaderName), kResultSuccess);
  EXPECT_EQ(second.card.VerifyPin("123456"), kResultSuccess);  // no status word came
  EXPECT_EQ(second.card.statusWord(), kNoStatusWord);
  EXPECT_EQ(second.card.lastResult(), FromPcsc(kScardCommError));
}

TEST_F(CardClient, ComputeTacSendsTheBlockAndTheCardAnswers) {
  const Bytes input(64, 0x31);
  Bytes data;
  const CardAnswer sent = CardComputeTac(bench.module, bench.module.cardHandle, {0x10, 0x80}, input, data);
  ASSERT_EQ(sent.result, kScardSuccess);
  EXPECT_EQ(sent.statusWord, kStatusOk);
  EXPECT_EQ(bench.card.log().back(), "00E2108040" + Repeat("31", 64) + "00");
  const auto answer = ParseTacAnswer(data);
  ASSERT_TRUE(answer);
  EXPECT_EQ(answer->iccNo, "SN000001");
  EXPECT_EQ(answer->tsac, card::Hex(card::ComputeCardTac(card::CardProfile{}.tacKey, input)));
}

TEST(TacAnswer, DeclaredLengthMustFitAndBeOneToSixteen) {
  Bytes answer = {0x00, 'S', 'N', '1', 0, 0, 0, 0, 0, 0x00, 0x02, 0xAB, 0xCD};
  auto parsed = ParseTacAnswer(answer);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->iccNo, "SN1");
  EXPECT_EQ(parsed->tsac, "ABCD");
  answer[10] = 0x03;  // declares more than it carries
  EXPECT_FALSE(ParseTacAnswer(answer));
  Bytes longCode(11 + 17, 0x55);
  longCode[9] = 0x00;
  longCode[10] = 17;
  EXPECT_FALSE(ParseTacAnswer(longCode));
  longCode[10] = 16;
  ASSERT_TRUE(ParseTacAnswer(longCode));
  EXPECT_EQ(ParseTacAnswer(longCode)->tsac.size(), 32u);
  EXPECT_FALSE(ParseTacAnswer(Bytes(10, 0)));
  EXPECT_FALSE(ParseTacAnswer(Bytes(11, 0))) << "a code of no bytes is no code";
}

TEST(AmountToWhole, DropsDecimalsAndLeadingZeros) {
  EXPECT_EQ(AmountToWhole("00000000012300", 2), "123");
  EXPECT_EQ(AmountToWhole("00000000010000", 2), "100");
  EXPECT_EQ(AmountToWhole("00", 2), "0");
  EXPECT_EQ(AmountToWhole("1234567890123400", 2), "12345678901234");
  EXPECT_EQ(AmountToWhole("12a400", 2), "12");
}

}  // namespace
}  // namespace korvaden
