#include "control/control_core.h"

#include "base/text_checks.h"
#include "card/transaction_client.h"
#include "control/site_lock.h"
#include "control/version.h"
#include "flows/card_transaction.h"
#include "flows/fido_verification.h"
#include "flows/service_flows.h"

namespace korvaden {
namespace {

constexpr std::string_view kFidoProcessingCode = "2590";
constexpr std::string_view kFidoObProcessingCode = "2566";
constexpr std::string_view kFidoAmount = "0000000000000000";
constexpr std::string_view kFidoObAmountBase = "00000000000000";

}  // namespace

template <class Flow>
ResultCode ControlCore::RunMember(std::initializer_list<std::string_view> pageValues, const Flow& flow) {
  // Whatever the call ends in, no older message stays readable.
  m_trnsMsg.clear();
  if (pageRefused_) return kResultPageRefused;
  const MemberGate::Pass pass = gate_.Enter();
  if (!pass.entered()) return pass.refusal();
  // The cipher and the MAC would stop at a NUL, and no value has a use for
  // control characters: nothing goes to the card.
  if (HasControlCharacter(pageValues)) return kResultInvalidArgument;
  TransATMiVeskClient client(platform_);
  const ResultCode result = flow(client);
  if (result == kResultSuccess && client.card.statusWord == kStatusOk) m_trnsMsg = client.sealedMessage;
  return result;
}

ResultCode ControlCore::TransIVESK(std::string_view ReaderName, std::string_view TxCODE, std::string_view PCODE,
                                   std::string_view PIN, std::string_view LoginIssuerID,
                                   std::string_view LoginIssuerAccount, std::string_view IFD_CHK_Code,
                                   std::string_view IFD_Id, std::string_view AccountID_idx,
                                   std::string_view ImportAccount, std::string_view Money,
                                   std::string_view TransDateTime, int ShowVerifyDialog, std::string_view SessionID) {
  const std::string inBankCode = platform_.keys.bankCode + "00000";
  const TransferRequest request{ReaderName,         TxCODE,       PCODE,         PIN,           LoginIssuerID,
                                LoginIssuerAccount, IFD_CHK_Code, IFD_Id,        AccountID_idx, inBankCode,
                                ImportAccount,      Money,        TransDateTime, SessionID,     ShowVerifyDialog};
  return RunMember({ReaderName, TxCODE, PCODE, PIN, LoginIssuerID, LoginIssuerAccount, IFD_CHK_Code, IFD_Id,
                    AccountID_idx, ImportAccount, Money, TransDateTime, SessionID},
                   [&](TransATMiVeskClient& client) { return RunCardTransaction(client, request); });
}

ResultCode ControlCore::FidoVerify(std::string_view ReaderName, std::string_view SessionID,
                                   std::string_view LoginIssuerAccount, std::string_view TransDateTime,
                                   std::string_view IFD_CHK_Code, std::string_view IFD_Id, std::string_view TxCODE,
                                   std::string_view PIN) {
  const FidoRequest request{ReaderName,   TxCODE, kFidoProcessingCode, PIN,           LoginIssuerAccount,
                            IFD_CHK_Code, IFD_Id, kFidoAmount,         TransDateTime, SessionID};
  return RunMember({ReaderName, SessionID, LoginIssuerAccount, TransDateTime, IFD_CHK_Code, IFD_Id, TxCODE, PIN},
                   [&](TransATMiVeskClient& client) { return RunFidoVerify(client, request); });
}

ResultCode ControlCore::FidoVerifyOB(std::string_view ReaderName, std::string_view SessionID,
                                     std::string_view LoginIssuerAccount, std::string_view TransDateTime,
                                     std::string_view IFD_CHK_Code, std::string_view IFD_Id, std::string_view TxType,
                                     std::string_view CheckItem, std::string_view ID, std::string_view PIN) {
  const FidoObRequest request{
      ReaderName,        kFidoObProcessingCode, PIN,    LoginIssuerAccount, IFD_CHK_Code, IFD_Id,
      kFidoObAmountBase, TransDateTime,         TxType, CheckItem,          ID,           SessionID};
  return RunMember(
      {ReaderName, SessionID, LoginIssuerAccount, TransDateTime, IFD_CHK_Code, IFD_Id, TxType, CheckItem, ID, PIN},
      [&](TransATMiVeskClient& client) { return RunFidoVerifyOb(client, request); });
}

ResultCode ControlCore::RunService(ServiceKind kind, const ParameterBlocks& blocks, std::string_view title) {
  const ServiceRequest request{blocks, title};
  return RunMember({blocks.d5, blocks.d1, blocks.d2, blocks.d3, blocks.d4, blocks.d11, blocks.d12.value_or(""), title},
                   [&](TransATMiVeskClient& client) { return RunServiceFlow(client, kind, request); });
}

ResultCode ControlCore::Reissue_iVeskAppCert(std::string_view BHO_D5, std::string_view BHO_D1, std::string_view BHO_D2,
                                             std::string_view BHO_D3, std::string_view BHO_D4, std::string_view BHO_D11,
                                             std::string_view MSGTitle) {
  return RunService(ServiceKind::ReissueAppCert, {BHO_D5, BHO_D1, BHO_D2, BHO_D3, BHO_D4, BHO_D11, std::nullopt},
                    MSGTitle);
}

ResultCode ControlCore::CardLess_Apply(std::string_view BHO_D5, std::string_view BHO_D1, std::string_view BHO_D2,
                                       std::string_view BHO_D3, std::string_view BHO_D4, std::string_view BHO_D11,
                                       std::string_view MSGTitle) {
  return RunService(ServiceKind::CardlessApply, {BHO_D5, BHO_D1, BHO_D2, BHO_D3, BHO_D4, BHO_D11, std::nullopt},
                    MSGTitle);
}

ResultCode ControlCore::CardLess_Reset(std::string_view BHO_D5, std::string_view BHO_D1, std::string_view BHO_D2,
                                       std::string_view BHO_D3, std::string_view BHO_D4, std::string_view BHO_D11,
                                       std::string_view MSGTitle) {
  return RunService(ServiceKind::CardlessReset, {BHO_D5, BHO_D1, BHO_D2, BHO_D3, BHO_D4, BHO_D11, std::nullopt},
                    MSGTitle);
}

ResultCode ControlCore::BondingDevice_Apply(std::string_view BHO_D5, std::string_view BHO_D1, std::string_view BHO_D2,
                                            std::string_view BHO_D3, std::string_view BHO_D4, std::string_view BHO_D11,
                                            std::string_view BHO_D12, std::string_view MSGTitle) {
  return RunService(ServiceKind::BondingDevice, {BHO_D5, BHO_D1, BHO_D2, BHO_D3, BHO_D4, BHO_D11, BHO_D12}, MSGTitle);
}

void ControlCore::SetPage(std::optional<std::string_view> pageUrl) {
  pageRefused_ = pageUrl && !OriginAllowed(*pageUrl, platform_.keys.allowedOrigins);
}

// Needs no client: constructing one would, inside another call, drop that
// call's card connection.
std::string ControlCore::GetAPIVersion() const { return NormaliseVersion(ReadModuleFileVersion()); }

}  // namespace korvaden
