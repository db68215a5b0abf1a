#include <gtest/gtest.h>

#include "base/result_codes.h"
#include "support/card_bench.h"
#include "ui/app_confirm.h"
#include "ui/pin_pad.h"
#include "ui/texts.h"

namespace korvaden {
namespace {

using namespace std::chrono_literals;
using test::CardBench;
using test::kReaderName;

struct PadRun {
  int result;
  std::string password, cardPin;
  std::vector<std::string> messages;
  int activeField;
};

PadRun RunPad(CardBench& bench, PinPadKind kind, const std::string& pinMode, const std::string& script) {
  PinPad pad(kind, bench.cardAccess.Seams());
  pad.readerName = kReaderName;
  pad.pinMode = pinMode;
  bench.dialogs.pinPadScripts = {script};
  bench.dialogs.messages.clear();
  const int result = bench.dialogs.RunPinPad(pad);
  return {result, std::string(pad.GetPassword().view()), std::string(pad.GetCardPin().view()), bench.dialogs.messages,
          pad.activeField()};
}

constexpr char kFilled[] = "type 246810; field 2; type 246810; field 4; type 123456; code; ";

TEST(PinPad, ConfirmedEntriesAreReadBackAsDigits) {
  CardBench bench;
  const PadRun run = RunPad(bench, PinPadKind::CIVESKAppCert, "1", std::string(kFilled) + "confirm");
  EXPECT_EQ(run.result, kPinPadConfirmed);
  EXPECT_EQ(run.password, "246810");
  EXPECT_EQ(run.cardPin, "123456");
  EXPECT_TRUE(run.messages.empty());
  EXPECT_EQ(bench.card.pinTriesLeft(), 3);      // verified by the pad, and right
  EXPECT_EQ(bench.readers.openContexts(), 0u);  // the pad's own connection is closed
}

TEST(PinPad, FullFieldsRefuseAnotherDigit) {
  CardBench bench;
  PadRun run = RunPad(bench, PinPadKind::CIVESKAppCert, "1",
                      "type 1234567; field 2; type 9876543; field 4; type 1234567890123; cancel");
  EXPECT_EQ(run.result, kPinPadCancelled);
  EXPECT_EQ(run.messages,
            (std::vector<std::string>{texts::kAppCertPasswordFull, texts::kAppCertConfirmFull, texts::kCardPinFull}));
  EXPECT_EQ(run.password, "123456");
  EXPECT_EQ(run.cardPin, "123456789012");
  run = RunPad(bench, PinPadKind::CardLessApply, "2", "type 1234567890123; cancel");
  EXPECT_EQ(run.messages, (std::vector<std::string>{texts::kCardlessFull}));
  EXPECT_EQ(run.password, "123456789012");
  run = RunPad(bench, PinPadKind::BondingMobileDevice, "2", "type 1234567; cancel");
  EXPECT_EQ(run.messages, (std::vector<std::string>{texts::kBondingPasswordFull}));
}

TEST(PinPad, BackspaceAndClearActOnTheActiveFieldOnly) {
  CardBench bench;
  PadRun run = RunPad(
      bench, PinPadKind::CIVESKAppCert, "0",
      "back; type 1234567; back; back; type 90; field 4; back; type 1111; back; field 2; type 55; clear; cancel");
  EXPECT_TRUE(run.messages.size() == 1 && run.messages[0] == texts::kAppCertPasswordFull);
  EXPECT_EQ(run.password, "123490");
  EXPECT_EQ(run.cardPin, "111");
  run = RunPad(bench, PinPadKind::CIVESKAppCert, "0", "type 123456; field 4; type 9; field 3; type 12; clear; cancel");
  EXPECT_EQ(run.password, "123456");
  EXPECT_EQ(run.cardPin, "9");
}

TEST(PinPad, CardlessRunRule) {
  const char* refused[] = {"111111", "123456", "12345678", "890123", "654321", "210987", "789012345678"};
  const char* accepted[] = {"123457", "567012", "135790", "112233"};
  for (const char* password : refused) {
    CardBench bench;
    const std::string script = std::string("type ") + password + "; field 2; type " + password + "; code; confirm";
    const PadRun run = RunPad(bench, PinPadKind::CardLessApply, "2", script);
    EXPECT_EQ(run.result, kPinPadCancelled) << password;  // still open: the script ends with a cancel
    EXPECT_EQ(run.messages, (std::vector<std::string>{texts::kCardlessRunRefused})) << password;
  }
  for (const char* password : accepted) {
    CardBench bench;
    const std::string script = std::string("type ") + password + "; field 2; type " + password + "; code; confirm";
    EXPECT_EQ(RunPad(bench, PinPadKind::CardLessApply, "2", script).result, kPinPadConfirmed) << password;
  }
  CardBench bench;
  EXPECT_EQ(RunPad(bench, PinPadKind::CardLessApply, "2", "type 13579; field 2; type 13579; confirm").messages,
            (std::vector<std::string>{texts::kCardlessLengthWrong}));
}

TEST(PinPad, MismatchClearsWhateverFieldIsActive) {
  CardBench bench;
  PadRun run = RunPad(bench, PinPadKind::BondingMobileDevice, "0",
                      "type 246810; field 2; type 246811; field 4; type 123456; confirm; cancel");
  EXPECT_EQ(run.messages, (std::vector<std::string>{texts::kBondingMismatch}));
  EXPECT_EQ(run.cardPin, "");  // the card PIN field was active
  run = RunPad(bench, PinPadKind::BondingMobileDevice, "0", "type 246810; field 2; type 246811; confirm; cancel");
  EXPECT_EQ(run.password, "246810");
  run = RunPad(bench, PinPadKind::BondingMobileDevice, "0", "type 24681; field 2; type 24681; confirm; cancel");
  EXPECT_EQ(run.messages, (std::vector<std::string>{texts::kBondingLengthWrong}));
}

TEST(PinPad, CardPinRulesByMode) {
  {
    CardBench bench;
    const PadRun run = RunPad(bench, PinPadKind::CIVESKAppCert, "1",
                              "type 246810; field 2; type 246810; code; confirm; field 4; type 12345; confirm; "
                              "type 999999; confirm; type 123456; confirm");
    EXPECT_EQ(run.messages,
              (std::vector<std::string>{texts::kCardPinMissing, texts::kCardPinTooShort, texts::kCardPinWrong}));
    EXPECT_EQ(run.result, kPinPadConfirmed);
    EXPECT_EQ(run.cardPin, "123456");
    EXPECT_EQ(bench.card.pinTriesLeft(), 3);
  }
  {
    card::CardProfile refusing;
    refusing.verifyStatus = 0x6620;
    CardBench bench(refusing);
    EXPECT_EQ(RunPad(bench, PinPadKind::CIVESKAppCert, "1", std::string(kFilled) + "confirm").result,
              kPinPadCardRefused);
  }
  {
    CardBench bench;  // mode 2: no PIN asked, none verified, the card still connected
    const PadRun run =
        RunPad(bench, PinPadKind::CIVESKAppCert, "2", "type 246810; field 2; type 246810; code; confirm");
    EXPECT_EQ(run.result, kPinPadConfirmed);
    EXPECT_EQ(run.cardPin, "");
    EXPECT_EQ(bench.readers.connectCount, 1);
  }
  {
    CardBench bench;  // another mode: asked, not verified
    const PadRun run = RunPad(bench, PinPadKind::CIVESKAppCert, "0", std::string(kFilled) + "confirm");
    EXPECT_EQ(run.result, kPinPadConfirmed);
    EXPECT_EQ(run.cardPin, "123456");
    for (const auto& command : bench.card.log()) EXPECT_NE(command.substr(0, 4), "0020");
  }
}

TEST(PinPad, VerificationCodeWrongThenRight) {
  CardBench bench;
  const PadRun run = RunPad(bench, PinPadKind::CIVESKAppCert, "2",
                            "type 246810; field 2; type 246810; confirm; code 999999; confirm; code; confirm");
  EXPECT_EQ(run.messages, (std::vector<std::string>{texts::kCodeMissing, texts::kCodeWrong}));
  EXPECT_EQ(run.result, kPinPadConfirmed);
  EXPECT_EQ(bench.dialogs.shownCodes.size(), 1u);  // the code is not redrawn
}

TEST(PinPad, ReaderFailureCountdownAndHiddenOk) {
  {
    CardBench bench;
    bench.readers.connectFailure = kScardNoSmartcard;
    EXPECT_EQ(RunPad(bench, PinPadKind::CIVESKAppCert, "1", std::string(kFilled) + "confirm").result, kPinPadCancelled);
  }
  {
    CardBench bench;
    EXPECT_EQ(RunPad(bench, PinPadKind::CardLessApply, "1", std::string(kFilled) + "wait 540").result,
              kPinPadCancelled);  // 540 ticks show 540 ... 001: still open
    EXPECT_EQ(RunPad(bench, PinPadKind::CardLessApply, "1", std::string(kFilled) + "wait 541").result, kPinPadTimedOut);
    EXPECT_EQ(bench.sleeper.total, 1000ms);
  }
  {
    CardBench bench;
    EXPECT_EQ(RunPad(bench, PinPadKind::BondingMobileDevice, "1", "ok").result, kPinPadHiddenOk);
  }
}

TEST(PinPad, CaptionsAreTheDigitsTheTokensDecodeTo) {
  CardBench bench;
  const PadRun run = RunPad(bench, PinPadKind::CardLessApply, "2", "type 9081726354; cancel");
  EXPECT_EQ(run.password, "9081726354");  // each button gives the digit it shows
  const std::string captions = bench.dialogs.keyCaptions.at(0);
  EXPECT_EQ(std::set<char>(captions.begin(), captions.end()).size(), 10u);
}

int Confirm(CardBench& bench, const std::string& pinMode, const std::string& script) {
  CIVESKAppConfirm dialog(bench.cardAccess.Seams());
  dialog.accountLabel = texts::kReissueAccountLabel;
  dialog.accountLine = "812/1234567890123456";
  dialog.readerName = kReaderName;
  dialog.pinMode = pinMode;
  bench.dialogs.appConfirmScripts = {script};
  return bench.dialogs.RunAppConfirmation(dialog);
}

TEST(AppConfirm, ResultsAndTheReinsertionMode) {
  CardBench bench;
  EXPECT_EQ(Confirm(bench, "2", "confirm"), kAppConfirmed);
  EXPECT_EQ(bench.dialogs.hintsShown.back(), true);
  EXPECT_EQ(Confirm(bench, "2", "cancel"), kAppConfirmCancelled);
  EXPECT_EQ(Confirm(bench, "2", "escape"), kAppConfirmUnreachable);
  EXPECT_EQ(Confirm(bench, "2", "ok"), kAppConfirmHiddenOk);
  EXPECT_EQ(Confirm(bench, "2", "wait 541"), kAppConfirmTimedOut);
  EXPECT_EQ(bench.dialogs.accountLines.back(), "812/1234567890123456");
  // Mode 1: the card left in makes the customer try again; out and in confirms.
  EXPECT_EQ(Confirm(bench, "1", "confirm; cancel"), kAppConfirmCancelled);
  EXPECT_EQ(bench.dialogs.hintsShown.back(), false);
  EXPECT_EQ(bench.dialogs.messages.back(), texts::kReinsertFailedMessage);
  card::CardProfile reinserted;
  reinserted.removeAfterPolls = 1;
  reinserted.reinsertAfterPolls = 2;
  CardBench customerActs(reinserted);
  EXPECT_EQ(Confirm(customerActs, "1", "confirm"), kAppConfirmed);
  bench.readers.RemoveReader(kReaderName);
  EXPECT_EQ(Confirm(bench, "2", "confirm"), kAppConfirmUnreachable);
  EXPECT_EQ(bench.readers.openContexts(), 0u);
}

// A card reached only through the presenters' interface: its answers to
// VERIFY scripted, no reader and no card behind it.
struct FakeCard final : CardAccess {
  struct Connection final : CardConnection {
    explicit Connection(FakeCard& card) : card(card) {}
    PinCheck VerifyPin(const SecureString& pin) override {
      card.pinsSeen.emplace_back(pin.view());
      const PinCheck answer = card.answers.at(card.pinsSeen.size() - 1);
      return answer;
    }
    bool WaitCardReinsert() override { return card.reinserted; }
    FakeCard& card;
  };
  std::unique_ptr<CardConnection> Connect(std::string_view readerName) override {
    readersAsked.emplace_back(readerName);
    return reachable ? std::make_unique<Connection>(*this) : nullptr;
  }
  std::vector<PinCheck> answers;
  std::vector<std::string> pinsSeen, readersAsked;
  bool reachable = true;
  bool reinserted = true;
};

PadRun RunPadOn(FakeCard& card, CardBench& bench, const std::string& script) {
  PinPad pad(PinPadKind::CIVESKAppCert, {bench.random, bench.sleeper, card});
  pad.readerName = "Reader of the flow";
  pad.pinMode = "1";
  bench.dialogs.pinPadScripts = {script};
  const int result = bench.dialogs.RunPinPad(pad);
  return {result, std::string(pad.GetPassword().view()), std::string(pad.GetCardPin().view()), bench.dialogs.messages,
          pad.activeField()};
}

TEST(PinPadWithoutACard, EndsAsTheCardAnswersThePin) {
  using enum PinCheck::Verdict;
  {
    CardBench bench;
    FakeCard card;
    card.answers = {{Accepted}};
    EXPECT_EQ(RunPadOn(card, bench, std::string(kFilled) + "confirm").result, kPinPadConfirmed);
    EXPECT_EQ(card.pinsSeen, std::vector<std::string>{"123456"});
    EXPECT_EQ(card.readersAsked, std::vector<std::string>{"Reader of the flow"});
    EXPECT_TRUE(bench.card.log().empty());  // the bench's own card is never reached
  }
  {
    // 63C2: two tries left; the customer types the PIN again, and it is taken.
    CardBench bench;
    FakeCard card;
    card.answers = {{TypeAgain, StatusWord{0x63C2}}, {Accepted}};
    const PadRun run = RunPadOn(card, bench, std::string(kFilled) + "confirm; type 654321; confirm");
    EXPECT_EQ(run.result, kPinPadConfirmed);
    EXPECT_EQ(run.messages, std::vector<std::string>{texts::kCardPinWrong});
    EXPECT_EQ(card.pinsSeen, (std::vector<std::string>{"123456", "654321"}));
  }
  {
    CardBench bench;  // 6983: blocked; the pad ends with the status word
    FakeCard card;
    card.answers = {{Refused, StatusWord{0x6983}}};
    EXPECT_EQ(RunPadOn(card, bench, std::string(kFilled) + "confirm").result, 0x6983);
  }
  {
    CardBench bench;  // no answer at all: a reader failure, not an accepted PIN
    FakeCard card;
    card.answers = {{NoAnswer}};
    EXPECT_EQ(RunPadOn(card, bench, std::string(kFilled) + "confirm").result, kPinPadCancelled);
  }
  {
    CardBench bench;  // not reachable: nothing is verified
    FakeCard card;
    card.reachable = false;
    EXPECT_EQ(RunPadOn(card, bench, std::string(kFilled) + "confirm").result, kPinPadCancelled);
    EXPECT_TRUE(card.pinsSeen.empty());
  }
}

TEST(AppConfirmWithoutACard, ReachableAndReinserted) {
  const auto confirm = [](FakeCard& card, const std::string& script) {
    CardBench bench;
    CIVESKAppConfirm dialog({bench.random, bench.sleeper, card});
    dialog.readerName = "Reader of the flow";
    dialog.pinMode = "1";
    bench.dialogs.appConfirmScripts = {script};
    const int result = bench.dialogs.RunAppConfirmation(dialog);
    EXPECT_TRUE(bench.card.log().empty());
    return std::pair(result, bench.dialogs.messages);
  };
  FakeCard card;
  EXPECT_EQ(confirm(card, "confirm").first, kAppConfirmed);
  card.reinserted = false;
  const auto [result, messages] = confirm(card, "confirm; cancel");
  EXPECT_EQ(result, kAppConfirmCancelled);
  EXPECT_EQ(messages, std::vector<std::string>{texts::kReinsertFailedMessage});
  card.reachable = false;
  EXPECT_EQ(confirm(card, "confirm").first, kAppConfirmUnreachable);
}

// The flows' way to the card reads the card's status words into the pad's verdicts.
TEST(ClientCardAccess, ReadsTheStatusWordsAsVerdicts) {
  using enum PinCheck::Verdict;
  for (const auto& [word, verdict] : std::vector<std::pair<std::uint16_t, PinCheck::Verdict>>{
           {0x9000, Accepted}, {0x6608, TypeAgain}, {0x63C2, TypeAgain}, {0x6983, Refused}, {0x6620, Refused}}) {
    card::CardProfile profile;
    profile.verifyStatus = word;
    CardBench bench(profile);
    const auto connection = bench.cardAccess.Connect(kReaderName);
    ASSERT_NE(connection, nullptr);
    const PinCheck check = connection->VerifyPin("123456");
    EXPECT_EQ(check.verdict, verdict) << std::hex << word;
    if (verdict != Accepted) {
      EXPECT_EQ(AsInteger(check.word), word);
    }
  }
  card::CardProfile silentOnVerify;
  silentOnVerify.transmitFailureAt = card::CommandAt{card::kInsVerify, 1};
  CardBench silent(silentOnVerify);
  const auto connection = silent.cardAccess.Connect(kReaderName);
  ASSERT_NE(connection, nullptr);
  EXPECT_EQ(connection->VerifyPin("123456").verdict, NoAnswer);
  silent.readers.connectFailure = kScardNoSmartcard;
  EXPECT_EQ(silent.cardAccess.Connect(kReaderName), nullptr);
}

}  // namespace
}  // namespace korvaden
