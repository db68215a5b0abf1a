#include "flows/service_flows.h"

#include "base/result_codes.h"
#include "base/text_checks.h"
#include "card/ebcdic.h"
#include "crypto/pin_block.h"
#include "flows/card_access.h"
#include "flows/card_flow_steps.h"
#include "ui/app_confirm.h"
#include "ui/pin_pad.h"
#include "ui/texts.h"

namespace korvaden {
namespace {

constexpr std::string_view kNoAmount = "00000000000000";
constexpr std::string_view kMainAccountIndex = "01";

// The enciphered PIN block as the message's reason; an HSM key that cannot be
// read is told as the bank's own tools name it.
SecureString ReasonOf(const HsmCipher& block, MessageBoxes& boxes) {
  if (block.keyUnreadable) {
    boxes.Show("PEM_read_bio_RSA_PUBKEY failed!!\n", "", MessageIcon::Warning);
    boxes.Show("HSM RSA readHSMRSAPuK error", "", MessageIcon::Warning);
  }
  return SecureString(block.text);
}

struct ServiceProfile {
  const char* caption;
  PinPadKind pad;
  const char* accountLabel;
};

ServiceProfile ProfileOf(ServiceKind kind) {
  switch (kind) {
    case ServiceKind::CardlessApply:
      return {texts::kCardlessApplyCaption, PinPadKind::CardLessApply, texts::kCardlessAccountLabel};
    case ServiceKind::CardlessReset:
      return {texts::kCardlessResetCaption, PinPadKind::CardLessApply, texts::kCardlessAccountLabel};
    case ServiceKind::BondingDevice:
      return {texts::kBondingCaption, PinPadKind::BondingMobileDevice, texts::kBondingAccountLabel};
    case ServiceKind::ReissueAppCert:
      break;
  }
  return {texts::kReissueCaption, PinPadKind::CIVESKAppCert, texts::kReissueAccountLabel};
}

// What the TAC input, the PIN block and the message can carry.
bool Acceptable(const CParseEncParam& p, ServiceKind kind) {
  constexpr std::size_t kMaxIdentityNumber = 10;
  return p.TxCode.size() >= 4 && p.TxCode.size() <= 8 && p.TacId.size() <= 7 &&
         (p.ServiceAccount.empty() || p.ServiceAccount.size() == 16) &&
         (kind != ServiceKind::BondingDevice || p.IdentityNumber.size() <= kMaxIdentityNumber) &&
         !HasControlCharacter({p.PinMode, p.LoginIssuerId, p.LoginIssuerAccount, p.ReaderName, p.SessionId, p.AtmNo,
                               p.AtmCheckCode, p.ClientDateTime, p.ServiceAccount, p.TacId, p.TxCode,
                               p.IdentityNumber}) &&
         !HasMarkup({p.TxCode, p.SessionId, p.ClientDateTime, p.AtmNo, p.AtmCheckCode, p.TacId}) &&
         FitsTheDocument({p.TxCode, p.SessionId, p.ClientDateTime, p.AtmNo, p.AtmCheckCode, p.TacId});
}

// A dialog's end code: 2 (a reader failure or Esc) is the flow's 8990; any
// other (1 hidden OK, 9950 time-out, 26144) is the flow's result as it stands.
ResultCode DialogResult(int result) { return result == kPinPadCancelled ? kResultCancelled : ResultCode{result}; }

}  // namespace

Bytes ServiceTacInput(std::string_view txCode, std::string_view tacAccount, std::string_view tacId,
                      std::string_view atmCheckCode, std::string_view clientDateTime, std::string_view mainAccount) {
  Bytes block;
  block.reserve(64);
  AppendField(block, txCode, 4);
  AppendField(block, kNoAmount, 14);
  AppendField(block, tacAccount, 16);
  AppendBytes(block, PackDigitsField(tacId, 6));
  AppendBytes(block, PackDigitsField(atmCheckCode, 8));
  AppendBytes(block, PackDigitsField(clientDateTime, 14));
  AppendField(block, mainAccount, 16);
  return block;
}

std::string CardlessAccountDigits(std::string_view account) {
  const auto part = [&](std::size_t start, std::size_t count) {
    return start < account.size() ? std::string(account.substr(start, count)) : std::string();
  };
  return part(2, 6) + part(9, 6);
}

ResultCode RunServiceFlow(TransATMiVeskClient& client, ServiceKind kind, const ServiceRequest& request) {
  Platform& platform = client.platform();
  const ServiceProfile profile = ProfileOf(kind);
  CParseEncParam params(platform.keys);
  if (const ResultCode result = params.DecryptAndSplit(request.blocks); Failed(result)) return result;
  client.sessionId = params.SessionId;
  client.txCode = params.TxCode;
  if (!Acceptable(params, kind)) return kResultInvalidArgument;

  CardFlowSteps steps(client, profile.caption, profile.caption);
  if (const ResultCode result = steps.FindReader(params.ReaderName); Failed(result)) return result;
  if (const ResultCode result = steps.OpenSession(); Failed(result)) return result;
  if (const ResultCode result = steps.CheckAccounts(); Failed(result)) return result;
  std::string mainAccount;
  if (const ResultCode result = steps.CheckLoginCard(params.LoginIssuerId, params.LoginIssuerAccount, &mainAccount);
      Failed(result)) {
    client.reader.ReleaseReader();
    return result;
  }

  ClientCardAccess card(platform);
  PinPad pad(profile.pad, card.Seams());
  pad.readerName = client.reader.readerName();
  pad.pinMode = params.PinMode;
  if (const int result = platform.dialogs.RunPinPad(pad); result != kPinPadConfirmed) {
    client.reader.ReleaseReader();
    return DialogResult(result);
  }
  const SecureString pin = pad.GetCardPin();
  const SecureString password = pad.GetPassword();

  CIVESKAppConfirm confirm(card.Seams());
  confirm.accountLabel = profile.accountLabel;
  confirm.accountLine =
      platform.keys.bankCode + "/" + (params.ServiceAccount.empty() ? mainAccount : params.ServiceAccount);
  confirm.readerName = client.reader.readerName();
  confirm.pinMode = params.PinMode;
  confirm.activityTitle = request.msgTitle;
  if (const int result = platform.dialogs.RunAppConfirmation(confirm); result != kAppConfirmed) {
    client.reader.ReleaseReader();
    return DialogResult(result);
  }

  CardTransactionRecord record;
  if (const ResultCode result = steps.OpenSession(); Failed(result)) return result;
  if (const ResultCode result = steps.ReadRecords(kMainAccountIndex, record); Failed(result)) return result;
  record.txCode = params.TxCode;
  // The card may have been changed at the confirmation: the PIN goes only to the login card.
  if (const ResultCode result = steps.CheckLoginCard(params.LoginIssuerId, params.LoginIssuerAccount); Failed(result)) {
    return result;
  }
  if (const ResultCode result = steps.VerifyPinIfGiven(pin); Failed(result)) return result;
  const std::string& tacAccount = params.ServiceAccount.empty() ? record.issuerAccount : params.ServiceAccount;
  const Bytes input = ServiceTacInput(params.TxCode, tacAccount, params.TacId, params.AtmCheckCode,
                                      params.ClientDateTime, record.issuerAccount);
  if (const ResultCode result = steps.ComputeTac(input, record); Failed(result)) return result;

  SecureString reason;
  switch (kind) {
    case ServiceKind::ReissueAppCert:
      reason = password;
      break;
    case ServiceKind::CardlessApply:
    case ServiceKind::CardlessReset:
      reason = ReasonOf(MakeCardlessPinBlock(password, CardlessAccountDigits(tacAccount), platform.keys.hsmPublicPem),
                        platform.messageBoxes);
      break;
    case ServiceKind::BondingDevice:
      reason = ReasonOf(MakeBondingPinBlock(password, params.IdentityNumber, platform.keys.hsmPublicPem),
                        platform.messageBoxes);
      break;
  }
  // An unreadable HSM key leaves no PIN block: the password would be lost.
  if (kind != ServiceKind::ReissueAppCert && reason.empty()) return kResultSealFailed;
  return steps.SealMessage({params.TxCode, params.SessionId, params.ClientDateTime, params.AtmNo, params.AtmCheckCode,
                            params.TacId, kNoAmount, record, reason.view()});
}

}  // namespace korvaden
