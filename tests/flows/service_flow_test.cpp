#include <gtest/gtest.h>

#include "base/result_codes.h"
#include "flows/service_flows.h"
#include "support/flow_bench.h"
#include "ui/texts.h"

namespace korvaden {
namespace {

using test::Blocks;
using test::FlowBench;
using test::TestBankKeys;

constexpr char kTitle[] = "\xB8\xC9\xB5o";  // a Big5 title
const std::string kPad = "type 246810; field 2; type 246810; field 4; type 123456; code; confirm";
const std::string kCardlessPad = "type 97531086; field 2; type 97531086; field 4; type 123456; code; confirm";

ResultCode RunService(FlowBench& bench, ServiceKind kind, const Blocks& b) {
  switch (kind) {
    case ServiceKind::ReissueAppCert:
      return bench.core.Call(Member::Reissue_iVeskAppCert,
                             {b["BHO_D5"], b["BHO_D1"], b["BHO_D2"], b["BHO_D3"], b["BHO_D4"], b["BHO_D11"], kTitle});
    case ServiceKind::CardlessApply:
      return bench.core.Call(Member::CardLess_Apply,
                             {b["BHO_D5"], b["BHO_D1"], b["BHO_D2"], b["BHO_D3"], b["BHO_D4"], b["BHO_D11"], kTitle});
    case ServiceKind::CardlessReset:
      return bench.core.Call(Member::CardLess_Reset,
                             {b["BHO_D5"], b["BHO_D1"], b["BHO_D2"], b["BHO_D3"], b["BHO_D4"], b["BHO_D11"], kTitle});
    case ServiceKind::BondingDevice:
      break;
  }
  return bench.core.Call(Member::BondingDevice_Apply, {b["BHO_D5"], b["BHO_D1"], b["BHO_D2"], b["BHO_D3"], b["BHO_D4"],
                                                       b["BHO_D11"], b["BHO_D12"], kTitle});
}

std::string ReasonOf(const std::string& document) {
  const auto start = document.find("<reason>") + 8;
  return document.substr(start, document.find("</reason>") - start);
}

TEST(ServiceFlows, ReissueCarriesThePasswordAndTheTacInput) {
  FlowBench bench;
  bench.dialogs.pinPadScripts = {kPad};
  bench.dialogs.appConfirmScripts = {"confirm"};
  ASSERT_EQ(RunService(bench, ServiceKind::ReissueAppCert, Blocks()), kResultSuccess);
  const std::string document = bench.Unsealed();
  const std::string input = bench.LastTacInput();
  EXPECT_EQ(input,
            "32353731"                          // "2571"
            "3030303030303030303030303030"      // no amount
            "31323334353637383930313233343536"  // the card's main account
            "654321"
            "87654321"
            "20231201093000"
            "31323334353637383930313233343536");
  EXPECT_TRUE(document.starts_with("<Korvaden><tx_code>2571</tx_code><session_id>SERVICE-SESSION-01</session_id>"));
  EXPECT_NE(document.find("<client_dttm>20231201093000</client_dttm><atm><atm_no>ATM00001</atm_no>"
                          "<atm_checkcode>87654321</atm_checkcode></atm><trns><tac_id>654321</tac_id>"),
            std::string::npos);
  EXPECT_TRUE(document.ends_with("<trns_amount>00000000000000</trns_amount><icc_no>SN000001</icc_no><tsac>" +
                                 card::Hex(card::ComputeCardTac(card::CardProfile{}.tacKey, card::FromHex(input))) +
                                 "</tsac><reason>246810</reason></trns></Korvaden>"));
  EXPECT_EQ(bench.dialogs.accountLines, (std::vector<std::string>{"812/1234567890123456"}));
  EXPECT_TRUE(bench.NothingLeftOpen());
}

TEST(ServiceFlows, CardlessReasonIsAPinBlockOverTheAccountDigits) {
  for (const ServiceKind kind : {ServiceKind::CardlessApply, ServiceKind::CardlessReset}) {
    FlowBench bench;
    bench.dialogs.pinPadScripts = {kCardlessPad};
    bench.dialogs.appConfirmScripts = {"confirm"};
    ASSERT_EQ(RunService(bench, kind, Blocks("2", "0012345678901234")), kResultSuccess);
    const std::string document = bench.Unsealed();
    EXPECT_EQ(bench.LastTacInput().substr(36, 32), "30303132333435363738393031323334");  // the service account
    EXPECT_EQ(bench.dialogs.accountLines.back(), "812/0012345678901234");
    const auto recovered =
        bank::RecoverPassword(ReasonOf(document), bank::PinBlockKind::Cardless, "123456890123", TestBankKeys());
    ASSERT_TRUE(recovered.ok) << recovered.error;
    EXPECT_EQ(recovered.value, "97531086");
  }
  EXPECT_EQ(CardlessAccountDigits("0012345678901234"), "123456890123");
}

// PIN mode 1: confirming is taking the card out and putting it back.
card::CardProfile ReinsertedAtTheConfirmation() {
  card::CardProfile profile;
  profile.removeAfterPolls = 1;
  profile.reinsertAfterPolls = 2;
  return profile;
}

TEST(ServiceFlows, BondingReasonIsAPinBlockOverTheIdentityNumber) {
  FlowBench bench(ReinsertedAtTheConfirmation());
  bench.dialogs.pinPadScripts = {kPad};
  bench.dialogs.appConfirmScripts = {"confirm"};
  ASSERT_EQ(RunService(bench, ServiceKind::BondingDevice, Blocks("1")), kResultSuccess);
  const auto recovered =
      bank::RecoverPassword(ReasonOf(bench.Unsealed()), bank::PinBlockKind::Bonding, "A123456789", TestBankKeys());
  ASSERT_TRUE(recovered.ok) << recovered.error;
  EXPECT_EQ(recovered.value, "246810");
  // PIN mode 1: the pad verified the PIN, and the flow again after the confirmation.
  int verifications = 0;
  for (const auto& command : bench.card.log()) verifications += command.rfind("00200010", 0) == 0;
  EXPECT_EQ(verifications, 2);
}

// The VERIFY commands the card saw with the PIN block of `pin`.
int VerifiesOf(const FlowBench& bench, const std::string& pin) {
  int count = 0;
  for (const auto& command : bench.card.log())
    count += command == "0020001008" + pin + std::string(16 - pin.size(), 'F');
  return count;
}

TEST(ServiceFlows, AWrongPinCostsOneTryWhateverTheCardAnswers) {
  // A card that counts tries answers 63Cx: the pad used to go on, and the flow
  // verified the same wrong PIN again after the confirmation.
  const std::string wrongThenRight =
      "type 246810; field 2; type 246810; field 4; type 999999; code; confirm; field 4; type 123456; confirm";
  card::CardProfile counting = ReinsertedAtTheConfirmation();
  counting.wrongPinCountsTries = true;
  FlowBench bench(counting);
  bench.dialogs.pinPadScripts = {wrongThenRight};
  bench.dialogs.appConfirmScripts = {"confirm"};
  EXPECT_EQ(RunService(bench, ServiceKind::ReissueAppCert, Blocks("1")), kResultSuccess);
  EXPECT_EQ(bench.dialogs.messages, (std::vector<std::string>{texts::kCardPinWrong}));
  EXPECT_EQ(VerifiesOf(bench, "999999"), 1);
  EXPECT_EQ(bench.card.pinTriesLeft(), 3);

  // A blocked card (6983) ends the pad with its status word, and nothing more is verified.
  card::CardProfile blocked = ReinsertedAtTheConfirmation();
  blocked.verifyStatus = 0x6983;
  FlowBench blockedBench(blocked);
  blockedBench.dialogs.pinPadScripts = {kPad};
  blockedBench.dialogs.appConfirmScripts = {"confirm"};
  EXPECT_EQ(RunService(blockedBench, ServiceKind::ReissueAppCert, Blocks("1")), test::StatusResult(0x6983));
  EXPECT_EQ(blockedBench.card.CommandsSeen(card::kInsVerify), 1);
  EXPECT_EQ(blockedBench.dialogs.appConfirmScripts.size(), 1u) << "the confirmation never came";
  EXPECT_EQ(blockedBench.core.TrnsMsg(), "");
  EXPECT_TRUE(blockedBench.NothingLeftOpen());
}

TEST(ServiceFlows, RefusedBlocksEndBeforeAnyReaderAccess) {
  const std::pair<const char*, ResultCode> cases[] = {{"BHO_D5", ResultCode{9810}}, {"BHO_D1", ResultCode{9811}},
                                                      {"BHO_D2", ResultCode{9812}}, {"BHO_D3", ResultCode{9813}},
                                                      {"BHO_D4", ResultCode{9814}}, {"BHO_D11", ResultCode{9821}},
                                                      {"BHO_D12", ResultCode{9822}}};
  for (const auto& [name, code] : cases) {
    FlowBench bench;
    Blocks blocks;
    blocks.hex[name] = blocks.hex[name].substr(0, 15);
    EXPECT_EQ(RunService(bench, ServiceKind::BondingDevice, blocks), code) << name;
    EXPECT_EQ(bench.readers.establishCount, 0) << name;
    EXPECT_TRUE(bench.boxes.shown.empty());
  }
}

TEST(ServiceFlows, WrongCardBeforeAnyPad) {
  FlowBench bench;
  EXPECT_EQ(RunService(bench, ServiceKind::CardlessApply, Blocks("2", "", "1234567890123450")), kResultWrongCard);
  EXPECT_TRUE(bench.dialogs.keyCaptions.empty());
  ASSERT_EQ(bench.boxes.shown.size(), 1u);
  EXPECT_EQ(bench.boxes.shown[0].text, texts::kWrongCardMessage);
  EXPECT_EQ(bench.boxes.shown[0].caption, texts::kCardlessApplyCaption);
  EXPECT_TRUE(bench.NothingLeftOpen());
}

TEST(ServiceFlows, PadAndConfirmationResults) {
  const std::pair<std::pair<std::string, std::string>, ResultCode> cases[] = {
      {{"cancel", "confirm"}, kResultCancelled},  {{"ok", "confirm"}, kResultDialogOk},
      {{"wait 541", "confirm"}, kResultTimedOut}, {{kPad, "cancel"}, kResultCancelled},
      {{kPad, "escape"}, kResultCancelled},       {{kPad, "ok"}, kResultDialogOk},
      {{kPad, "wait 541"}, kResultTimedOut},
  };
  for (const auto& [scripts, code] : cases) {
    FlowBench bench;
    bench.dialogs.pinPadScripts = {scripts.first};
    bench.dialogs.appConfirmScripts = {scripts.second};
    EXPECT_EQ(RunService(bench, ServiceKind::ReissueAppCert, Blocks()), code)
        << scripts.first << " / " << scripts.second;
    EXPECT_EQ(bench.core.TrnsMsg(), "");
    EXPECT_TRUE(bench.NothingLeftOpen());
  }
  card::CardProfile refusing;
  refusing.verifyStatus = 0x6620;
  FlowBench bench(refusing);
  bench.dialogs.pinPadScripts = {kPad};
  EXPECT_EQ(RunService(bench, ServiceKind::ReissueAppCert, Blocks("1")), kResultPinPadCard6620);
}

TEST(ServiceFlows, AnIdentityNumberThePinBlockCannotTakeIsRefusedBeforeTheReader) {
  // It used to end with 0 and an empty <reason>: the new password was lost.
  FlowBench bench;
  bench.dialogs.pinPadScripts = {kPad};
  EXPECT_EQ(RunService(bench, ServiceKind::BondingDevice, Blocks("2", "", "1234567890123456", "A1234567890")),
            kResultInvalidArgument);
  EXPECT_EQ(bench.readers.establishCount, 0);
  EXPECT_EQ(bench.dialogs.pinPadScripts.size(), 1u);  // the pad never opened
}

TEST(ServiceFlows, AnUnreadableHsmKeyEndsLikeAnUnreadableServerKey) {
  // It used to end with 0 and an empty <reason>.
  for (const ServiceKind kind : {ServiceKind::CardlessApply, ServiceKind::BondingDevice}) {
    FlowBench bench;
    bench.keys.hsmPublicPem = "unreadable";
    bench.dialogs.pinPadScripts = {kind == ServiceKind::CardlessApply ? kCardlessPad : kPad};
    bench.dialogs.appConfirmScripts = {"confirm"};
    EXPECT_EQ(RunService(bench, kind, Blocks()), kResultSealFailed);
    EXPECT_EQ(bench.core.TrnsMsg(), "");
    EXPECT_TRUE(bench.NothingLeftOpen());
    // The customer is told, as the bank's own tools word it.
    ASSERT_EQ(bench.boxes.shown.size(), 2u);
    EXPECT_EQ(bench.boxes.shown[1].text, "HSM RSA readHSMRSAPuK error");
    EXPECT_EQ(bench.boxes.shown[1].icon, MessageIcon::Warning);
  }
}

TEST(ServiceFlows, AFailingRandomGeneratorKeepsThePadShut) {
  // The keypad came up unshuffled and the code was always 012345.
  FlowBench bench;
  bench.random.failing = true;
  bench.dialogs.pinPadScripts = {kPad};
  bench.dialogs.appConfirmScripts = {"confirm"};
  EXPECT_EQ(RunService(bench, ServiceKind::ReissueAppCert, Blocks()), kResultCancelled);
  EXPECT_EQ(bench.core.TrnsMsg(), "");
  EXPECT_TRUE(bench.dialogs.appConfirmScripts.size() == 1u);  // the confirmation never came
  EXPECT_TRUE(bench.NothingLeftOpen());
}

TEST(ServiceFlows, ThePinGoesOnlyToTheLoginCardAfterTheConfirmation) {
  FlowBench bench(ReinsertedAtTheConfirmation());
  bench.dialogs.pinPadScripts = {kPad};
  bench.dialogs.appConfirmScripts = {"confirm"};
  std::size_t verifiesBefore = 0;
  bench.dialogs.onAppConfirm = [&] {  // the card that comes back is another customer's
    verifiesBefore = bench.card.CommandsSeen(card::kInsVerify);
    bench.card.Reconfigure([](card::CardProfile& p) { p.accounts[0] = "9999999999999999"; });
  };
  EXPECT_EQ(RunService(bench, ServiceKind::ReissueAppCert, Blocks("1")), kResultWrongCard);
  EXPECT_EQ(verifiesBefore, 1u);  // the pad's, on the login card
  EXPECT_EQ(bench.card.CommandsSeen(card::kInsVerify), 1);
  EXPECT_EQ(bench.core.TrnsMsg(), "");
}

TEST(ServiceFlows, NoAccountsUnderTheFlowsCaption) {
  card::CardProfile empty;
  empty.accounts[0] = "0000000000000000";
  FlowBench bench(empty);
  EXPECT_EQ(RunService(bench, ServiceKind::CardlessReset, Blocks()), kResultCardUnreadable);
  ASSERT_EQ(bench.boxes.shown.size(), 1u);
  EXPECT_EQ(bench.boxes.shown[0].text, texts::kNoAccountsMessage);
  EXPECT_EQ(bench.boxes.shown[0].caption, texts::kCardlessResetCaption);
}

}  // namespace
}  // namespace korvaden
