// The reader layer and the card commands through the real PC/SC stack: our
// own pcscd, the virtual reader driver and korvaden-card.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "bank.h"
#include "card/card_commands.h"
#include "card/ebcdic.h"
#include "control/control_core.h"
#include "flows/transaction_client.h"
#include "reader/pcsc_system.h"
#include "support/flow_bench.h"
#include "support/memory_scan.h"
#include "support/pcsc_stack.h"
#include "ui/texts.h"

namespace korvaden {
namespace {

using namespace std::chrono_literals;
using test::PcscStack;

class PcscStackTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(stack.ok()) << stack.error(); }

  void Insert(const std::vector<std::string>& settings = {}) {
    ASSERT_TRUE(stack.InsertCard(settings)) << "the virtual card did not arrive";
  }

  PcscStack stack;
  ReaderModule module{SystemPcsc()};
  test::RecordingPrompts prompts;
  SystemRandom random;
  test::RecordingMessageBoxes boxes;
  test::ScriptedDialogs dialogs;
  DeploymentKeys keys = BuiltInDeployment();
  Platform platform{module, SystemSleeper(), prompts, random, boxes, dialogs, keys};
};

TEST_F(PcscStackTest, ListsTheVirtualReader) {
  Insert();
  TransATMiVeskClient client(platform);
  client.reader.UseReader(std::string(PcscStack::kReaderName) + " (slot 1)");
  EXPECT_TRUE(client.reader.IsReaderAttached());
  ReaderTable listed;
  ASSERT_EQ(module.ReaderListReaders(listed), kScardSuccess);
  ASSERT_GE(listed.count, 1);
  EXPECT_EQ(listed.Name(0), PcscStack::kReaderName);
  client.reader.UseReader("Virtual PCD 01 00");
  EXPECT_FALSE(client.reader.IsReaderAttached());
}

TEST_F(PcscStackTest, ConnectionIsExclusive) {
  Insert();
  TransATMiVeskClient client(platform);
  ASSERT_EQ(client.reader.EstablishContext(), kScardSuccess);
  ASSERT_EQ(client.card.Connect(PcscStack::kReaderName), kResultSuccess);
  EXPECT_EQ(client.reader.status().protocol, 2u);  // T=1

  ReaderModule other(SystemPcsc());
  ASSERT_EQ(other.ReaderEstablishContext(), kScardSuccess);
  PcscCard card = 0;
  ReaderStatus status;
  EXPECT_EQ(static_cast<std::uint32_t>(AsInteger(other.ReaderConnect(card, PcscStack::kReaderName, status))),
            0x8010000Bu);  // sharing violation
  EXPECT_EQ(other.ReaderReleaseContext(), kScardSuccess);
}

TEST_F(PcscStackTest, RecordsPinAndTac) {
  Insert({"account2=2222222222222222", "pin=246801"});
  {
    TransATMiVeskClient client(platform);
    ASSERT_EQ(client.reader.EstablishContext(), kScardSuccess);
    ASSERT_EQ(client.card.Connect(PcscStack::kReaderName), kResultSuccess);
    EXPECT_EQ(client.card.CountAccounts(), kResultSuccess);
    EXPECT_EQ(client.card.accountCount(), 2);
    CardRecords records;
    ASSERT_EQ(client.card.ReadCardData("2", records), kResultSuccess);
    EXPECT_EQ(records.issuerId, "81200000");
    EXPECT_EQ(records.outAccount, "2222222222222222");
    EXPECT_EQ(client.card.VerifyPin("111111"), test::StatusResult(0x6608));
    EXPECT_EQ(client.card.VerifyPin("246801"), kResultSuccess);

    Bytes input = PackDigitsField("20230731123456", 14);
    input.resize(64, 0x30);
    Bytes data;
    const CardAnswer sent = CardComputeTac(module, module.cardHandle, {0x10, 0x80}, input, data);
    ASSERT_EQ(sent.result, kScardSuccess);
    ASSERT_EQ(sent.statusWord, kStatusOk);
    const auto answer = ParseTacAnswer(data);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->iccNo, "SN000001");
    const auto checked = bank::VerifyTac(card::Hex(card::CardProfile{}.tacKey), card::Hex(input), answer->tsac);
    EXPECT_TRUE(checked.ok) << checked.error;
  }
  const auto log = stack.CardLog();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.front(), "00A4040008A00000017295000100");
  EXPECT_EQ(log[1], "00A40200021001");
  EXPECT_EQ(log[2], "00B2030400");
  EXPECT_EQ(log.back().substr(0, 24),
            "00E2108040"
            "20230731123456");
}

TEST_F(PcscStackTest, PresenceWhileTheCardIsInOutAndBack) {
  // The card leaves after the selection and comes back 1.5 s later.
  Insert({"remove_after=A4#1", "reinsert_after_ms=1500"});
  TransATMiVeskClient client(platform);
  ASSERT_EQ(client.reader.EstablishContext(), kScardSuccess);
  ASSERT_EQ(client.card.Connect(PcscStack::kReaderName), kResultSuccess);
  std::vector<std::int32_t> seen;
  for (int i = 0; i < 80 && (seen.size() < 3); ++i) {
    std::int32_t presence = -1;
    ASSERT_EQ(client.reader.GetCardPresence(presence), kScardSuccess);
    if (seen.empty() || seen.back() != presence) seen.push_back(presence);
    std::this_thread::sleep_for(50ms);
  }
  EXPECT_EQ(seen, (std::vector<std::int32_t>{kCardPresent, kCardAbsent, kCardPresent}));
}

TEST_F(PcscStackTest, ReinsertionThroughTheReader) {
  Insert({"remove_after=A4#1", "reinsert_after_ms=1200"});
  TransATMiVeskClient client(platform);
  ASSERT_EQ(client.reader.EstablishContext(), kScardSuccess);
  ASSERT_EQ(client.card.Connect(PcscStack::kReaderName), kResultSuccess);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(client.reader.WaitCardReinsert());
  EXPECT_EQ(prompts.stages, (std::vector<int>{1, 2}));
  EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
  ASSERT_EQ(client.reader.EstablishContext(), kScardSuccess);
  EXPECT_EQ(client.card.Connect(PcscStack::kReaderName), kResultSuccess);  // the card answers again
}

// The three card members through the real stack: the document the bank opens,
// the code it accepts and the TAC input the card received.
class CardMembersThroughPcscd : public PcscStackTest {
 protected:
  std::string Opened() {
    const auto opened = bank::Unseal(core.TrnsMsg(), test::TestBankKeys());
    EXPECT_TRUE(opened.ok) << opened.error;
    return opened.value;
  }
  std::string TacInput() {
    const auto log = stack.CardLog();
    return log.empty() ? std::string() : log.back().substr(10, log.back().size() - 12);
  }
  std::string TsacOf(const std::string& document) {
    const auto start = document.find("<tsac>") + 6;
    return document.substr(start, document.find("</tsac>") - start);
  }
  void ExpectTacAccepted(const std::string& document) {
    const auto checked = bank::VerifyTac(card::Hex(card::CardProfile{}.tacKey), TacInput(), TsacOf(document));
    EXPECT_TRUE(checked.ok) << checked.error;
  }
  MemberGate gate;
  ControlCore core{platform, gate};
  static constexpr const char* kReader = PcscStack::kReaderName;
};

TEST_F(CardMembersThroughPcscd, TransIVESK) {
  Insert();
  ASSERT_EQ(core.Call(Member::TransIVESK,
                      {kReader, "123456", "2510", "", "81200000", "1234567890123456", "12345678", "WEBATM01", "1",
                       "123456789", "100", "20230731123456", 0, "SESSION0123456789ABCDEF"}),
            kResultSuccess);
  const std::string document = Opened();
  EXPECT_EQ(document,
            test::ExpectedDocument("2510", "SESSION0123456789ABCDEF", "20230731123456", "WEBATM01", "12345678",
                                   "123456", "1234567890123456", "00000000010000", TsacOf(document)));
  EXPECT_EQ(TacInput().substr(8, 28), "3030303030303030303130303030");  // Money 100 at offset 4
  ExpectTacAccepted(document);
}

TEST_F(CardMembersThroughPcscd, NoPinLeftInMemory) {
  // The card sits in another process here, so the PIN's copies in this one
  // could only be the control's own: its PIN field and the block it sends.
  // Looked for after the card took the PIN and after each way it refuses it.
  const std::vector<std::pair<std::vector<std::string>, ResultCode>> cards = {
      {{"pin=975310"}, kResultSuccess},
      {{}, test::StatusResult(0x6608)},
      {{"wrong_pin_counts_tries=1"}, test::StatusResult(0x63C2)},
      {{"verify_status=6620"}, test::StatusResult(0x6620)},
      // Through the virtual reader the failed exchange comes back as an answer
      // without a status word: it used to count as an accepted PIN.
      {{"transmit_failure_at=20#1"}, kResultCancelled},
  };
  for (const auto& [settings, expected] : cards) {
    stack.StopCard();
    Insert(settings);
    const std::string what = settings.empty() ? "a wrong PIN" : settings[0];
    EXPECT_EQ(core.Call(Member::FidoVerify, {kReader, "SESSION0123456789ABCDEF", "1234567890123456", "20230731123456",
                                             "12345678", "WEBATM01", "P611XX", "975310"}),
              expected)
        << what;
    EXPECT_EQ(test::HitsInWritableMemory("975310FFFF").size(), 0u) << what;
    const char block[] = {'\x97', '\x53', '\x10', '\xFF', '\xFF', '\xFF', '\xFF', '\xFF'};
    EXPECT_EQ(test::HitsInWritableMemory({block, sizeof(block)}).size(), 0u) << what;
  }
}

TEST_F(CardMembersThroughPcscd, FidoVerifyWithReinsertion) {
  Insert({"remove_after=B2#12", "reinsert_after_ms=1200"});  // out after the first session's reads
  ASSERT_EQ(core.Call(Member::FidoVerify, {kReader, "SESSION0123456789ABCDEF", "1234567890123456", "20230731123456",
                                           "12345678", "WEBATM01", "P611AD", "123456"}),
            kResultSuccess);
  EXPECT_EQ(prompts.stages, (std::vector<int>{1, 2}));
  const std::string document = Opened();
  EXPECT_EQ(document,
            test::ExpectedDocument("2590", "SESSION0123456789ABCDEF", "20230731123456", "WEBATM01", "12345678", "2590",
                                   "1234567890123456", "0000000000000000", TsacOf(document)));
  EXPECT_EQ(TacInput().substr(40, 12), "D7F6F1F1C1C4");  // P611AD at offset 20
  ExpectTacAccepted(document);
}

TEST_F(CardMembersThroughPcscd, FidoVerifyOB) {
  Insert();
  ASSERT_EQ(core.Call(Member::FidoVerifyOB, {kReader, "SESSION0123456789ABCDEF", "1234567890123456", "20230731123456",
                                             "12345678", "WEBATM01", "01", "02", "A123456789", ""}),
            kResultSuccess);
  const std::string document = Opened();
  EXPECT_EQ(document,
            test::ExpectedDocument("2566", "SESSION0123456789ABCDEF", "20230731123456", "WEBATM01", "12345678", "2566",
                                   "1234567890123456", "0000000000000000", TsacOf(document)));
  EXPECT_EQ(stack.CardLog().back().substr(0, 10), "00E210805A");
  EXPECT_EQ(TacInput().size(), 180u);
  ExpectTacAccepted(document);
}

// The account services through the real stack: blocks from the bank, a
// scripted customer at the PIN pad and the confirmation.
TEST_F(CardMembersThroughPcscd, AccountServices) {
  Insert();
  const auto blocks = test::BankBlocks({{"BHO_D1", std::string("0812000001234567890123456") + kReader},
                                        {"BHO_D2", "PCSC-SERVICE-01"},
                                        {"BHO_D3",
                                         "ATM00001"
                                         "87654321"
                                         "XXXXXXXX"
                                         "20231201093000"},
                                        {"BHO_D4", "654321"},
                                        {"BHO_D11", "2571"},
                                        {"BHO_D12", "A123456789"}});
  const auto b = [&](const char* name) -> const std::string& { return blocks.at(name); };
  const std::string pad = "type 97531086; field 2; type 97531086; field 4; type 123456; code; confirm";
  const std::string sixDigitPad = "type 246810; field 2; type 246810; field 4; type 123456; code; confirm";
  const auto reasonOf = [](const std::string& document) {
    const auto start = document.find("<reason>") + 8;
    return document.substr(start, document.find("</reason>") - start);
  };

  dialogs.pinPadScripts = {sixDigitPad, pad, pad, sixDigitPad};
  dialogs.appConfirmScripts = {"confirm", "confirm", "confirm", "confirm"};
  ASSERT_EQ(core.Call(Member::Reissue_iVeskAppCert,
                      {b("BHO_D5"), b("BHO_D1"), b("BHO_D2"), b("BHO_D3"), b("BHO_D4"), b("BHO_D11"), "t"}),
            kResultSuccess);
  std::string document = Opened();
  EXPECT_EQ(reasonOf(document), "246810");
  ExpectTacAccepted(document);
  EXPECT_EQ(TacInput().substr(0, 8), "32353731");

  for (int apply = 0; apply < 2; ++apply) {
    const ResultCode result =
        apply == 0 ? core.Call(Member::CardLess_Apply,
                               {b("BHO_D5"), b("BHO_D1"), b("BHO_D2"), b("BHO_D3"), b("BHO_D4"), b("BHO_D11"), "t"})
                   : core.Call(Member::CardLess_Reset,
                               {b("BHO_D5"), b("BHO_D1"), b("BHO_D2"), b("BHO_D3"), b("BHO_D4"), b("BHO_D11"), "t"});
    ASSERT_EQ(result, kResultSuccess);
    document = Opened();
    const auto password =
        bank::RecoverPassword(reasonOf(document), bank::PinBlockKind::Cardless, "345678012345", test::TestBankKeys());
    EXPECT_EQ(password.value, "97531086") << password.error;
    ExpectTacAccepted(document);
  }

  ASSERT_EQ(core.Call(Member::BondingDevice_Apply, {b("BHO_D5"), b("BHO_D1"), b("BHO_D2"), b("BHO_D3"), b("BHO_D4"),
                                                    b("BHO_D11"), b("BHO_D12"), "t"}),
            kResultSuccess);
  document = Opened();
  const auto password =
      bank::RecoverPassword(reasonOf(document), bank::PinBlockKind::Bonding, "A123456789", test::TestBankKeys());
  EXPECT_EQ(password.value, "246810") << password.error;
  ExpectTacAccepted(document);
}

// A page that names no reader, with two readers: a card that refuses the
// financial application (a security key) in the first, the bank card in the
// second.
class TwoReadersThroughPcscd : public CardMembersThroughPcscd {
 protected:
  void SetUp() override {
    CardMembersThroughPcscd::SetUp();
    ASSERT_TRUE(stack.InsertCard({"status_at=A4#1:6A82"}, 0)) << "the first card did not arrive";
    ASSERT_TRUE(stack.InsertCard({}, 1)) << "the second card did not arrive";
  }
  ResultCode Fido(const std::string& reader) {
    return core.Call(Member::FidoVerify, {reader, "SESSION0123456789ABCDEF", "1234567890123456", "20230731123456",
                                          "12345678", "WEBATM01", "P611XX", "123456"});
  }
};

TEST_F(TwoReadersThroughPcscd, AnEmptyNameFindsTheBankCardAndLeavesTheOtherAsItWas) {
  ASSERT_EQ(Fido(""), kResultSuccess);
  EXPECT_EQ(stack.CardLog(0), std::vector<std::string>{"00A4040008A00000017295000100"});
  const auto used = stack.CardLog(1);
  ASSERT_FALSE(used.empty());
  EXPECT_EQ(used.back().substr(0, 10), "00E2108040");
  EXPECT_TRUE(boxes.shown.empty());
  // The same card answers the same call made with its reader's exact name.
  ASSERT_EQ(Fido(stack.ReaderName(1)), kResultSuccess);
  EXPECT_EQ(stack.CardLog(0).size(), 1u);
}

TEST_F(TwoReadersThroughPcscd, ANameNoReaderHasIsSaidSo) {
  EXPECT_EQ(Fido("Virtual PCD 07 00"), kResultCancelled);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, texts::kReaderNotFoundMessage);
  stack.StopCard(1);
  boxes.shown.clear();
  EXPECT_EQ(Fido(stack.ReaderName(1)), kResultCancelled);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, texts::kNoCardInReaderMessage);
}

}  // namespace
}  // namespace korvaden
