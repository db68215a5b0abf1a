#include "control/control_core.h"

#include <chrono>

#include "base/text_checks.h"
#include "control/site_lock.h"
#include "control/version.h"
#include "flows/card_transaction.h"
#include "flows/fido_verification.h"
#include "flows/service_flows.h"
#include "flows/transaction_client.h"

namespace korvaden {
namespace {

constexpr std::string_view kFidoProcessingCode = "2590";
constexpr std::string_view kFidoObProcessingCode = "2566";
constexpr std::string_view kFidoAmount = "0000000000000000";
constexpr std::string_view kFidoObAmountBase = "00000000000000";

// The cipher and the MAC would stop at a NUL, and no value has a use for
// control characters.
bool AnyTextHasControlCharacter(const MemberCall& member, std::span<const Argument> arguments) {
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    if (member.parameters[i].kind != ParameterKind::Integer && HasControlCharacter(arguments[i].text)) return true;
  }
  return false;
}

template <Member M>
ParameterBlocks BlocksOf(MemberArguments<M> a) {
  return {a["BHO_D5"], a["BHO_D1"], a["BHO_D2"], a["BHO_D3"], a["BHO_D4"], a["BHO_D11"], std::nullopt};
}

}  // namespace

ResultCode ControlCore::Call(const MemberCall& member, std::span<const Argument> arguments) {
  const auto start = std::chrono::steady_clock::now();
  const ResultCode result = CallUnlogged(member, arguments);
  LogMember(member, result,
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start));
  return result;
}

ResultCode ControlCore::RefuseValues(const MemberCall& member) {
  trnsMsg_.clear();
  const ResultCode result = pageRefused_ ? kResultPageRefused : kResultInvalidArgument;
  LogMember(member, result, {});
  return result;
}

void ControlCore::LogMember(const MemberCall& member, ResultCode result, std::chrono::milliseconds took) {
  if (!platform_.log.Enabled()) return;
  platform_.log.Write("member " + std::string(member.name) + " origin " + pageOrigin_ + " result " +
                      std::to_string(AsInteger(result)) + " in " + std::to_string(took.count()) + " ms");
}

ResultCode ControlCore::CallUnlogged(const MemberCall& member, std::span<const Argument> arguments) {
  // Whatever the call ends in, no older message stays readable.
  trnsMsg_.clear();
  if (pageRefused_) return kResultPageRefused;
  // A call that arrives while another is still inside (through a dialog's
  // message loop) is refused and changes nothing.
  const MemberGate::Pass pass = gate_.Enter();
  if (!pass.entered()) return pass.refusal();
  if (arguments.size() != member.parameters.size() || AnyTextHasControlCharacter(member, arguments)) {
    return kResultInvalidArgument;
  }
  TransATMiVeskClient client(platform_);
  const ResultCode result = RunFlow(client, member, arguments);
  if (result == kResultSuccess && client.card.statusWord() == kStatusOk) trnsMsg_ = client.sealedMessage;
  return result;
}

ResultCode ControlCore::RunFlow(TransATMiVeskClient& client, const MemberCall& member,
                                std::span<const Argument> arguments) {
  switch (member.member) {
    case Member::TransIVESK: {
      const MemberArguments<Member::TransIVESK> a(arguments);
      const std::string inBankCode = platform_.keys.bankCode + "00000";
      return RunCardTransaction(
          client, {a["ReaderName"], a["TxCODE"], a["PCODE"], a["PIN"], a["LoginIssuerID"], a["LoginIssuerAccount"],
                   a["IFD_CHK_Code"], a["IFD_Id"], a["AccountID_idx"], inBankCode, a["ImportAccount"], a["Money"],
                   a["TransDateTime"], a["SessionID"], a.Number("ShowVerifyDialog")});
    }
    case Member::FidoVerify: {
      const MemberArguments<Member::FidoVerify> a(arguments);
      return RunFidoVerify(client,
                           {a["ReaderName"], a["TxCODE"], kFidoProcessingCode, a["PIN"], a["LoginIssuerAccount"],
                            a["IFD_CHK_Code"], a["IFD_Id"], kFidoAmount, a["TransDateTime"], a["SessionID"]});
    }
    case Member::FidoVerifyOB: {
      const MemberArguments<Member::FidoVerifyOB> a(arguments);
      return RunFidoVerifyOb(client, {a["ReaderName"], kFidoObProcessingCode, a["PIN"], a["LoginIssuerAccount"],
                                      a["IFD_CHK_Code"], a["IFD_Id"], kFidoObAmountBase, a["TransDateTime"],
                                      a["TxType"], a["CheckItem"], a["ID"], a["SessionID"]});
    }
    case Member::Reissue_iVeskAppCert: {
      const MemberArguments<Member::Reissue_iVeskAppCert> a(arguments);
      return RunServiceFlow(client, ServiceKind::ReissueAppCert, {BlocksOf(a), a["MSGTitle"]});
    }
    case Member::CardLess_Apply: {
      const MemberArguments<Member::CardLess_Apply> a(arguments);
      return RunServiceFlow(client, ServiceKind::CardlessApply, {BlocksOf(a), a["MSGTitle"]});
    }
    case Member::CardLess_Reset: {
      const MemberArguments<Member::CardLess_Reset> a(arguments);
      return RunServiceFlow(client, ServiceKind::CardlessReset, {BlocksOf(a), a["MSGTitle"]});
    }
    case Member::BondingDevice_Apply: {
      const MemberArguments<Member::BondingDevice_Apply> a(arguments);
      ParameterBlocks blocks = BlocksOf(a);
      blocks.d12 = a["BHO_D12"];
      return RunServiceFlow(client, ServiceKind::BondingDevice, {blocks, a["MSGTitle"]});
    }
  }
  return kResultInvalidArgument;
}

void ControlCore::SetPage(std::optional<std::string_view> pageUrl) {
  pageRefused_ = pageUrl && !OriginAllowed(*pageUrl, platform_.keys.allowedOrigins);
  const std::optional<Origin> origin = pageUrl ? OriginOf(*pageUrl) : std::nullopt;
  pageOrigin_ = !pageUrl ? "(local program)"
                : origin ? origin->scheme + "://" + origin->host + ":" + std::to_string(origin->port)
                         : "(not a web origin)";
  platform_.desk.SetOrigin(origin ? ShownOrigin(*origin) : std::string());
}

// Needs no client: constructing one would, inside another call, drop that
// call's card connection.
std::string ControlCore::GetAPIVersion() const { return NormaliseVersion(ReadModuleFileVersion()); }

}  // namespace korvaden
