#include "control/members.h"

#include <algorithm>
#include <array>

namespace korvaden {
namespace {

using enum ParameterKind;

constexpr std::array<Parameter, 14> kTransferParameters{{{"ReaderName", Text},
                                                         {"TxCODE", Text},
                                                         {"PCODE", Text},
                                                         {"PIN", SecretText},
                                                         {"LoginIssuerID", Text},
                                                         {"LoginIssuerAccount", Text},
                                                         {"IFD_CHK_Code", Text},
                                                         {"IFD_Id", Text},
                                                         {"AccountID_idx", Text},
                                                         {"ImportAccount", Text},
                                                         {"Money", Text},
                                                         {"TransDateTime", Text},
                                                         {"ShowVerifyDialog", Integer},
                                                         {"SessionID", Text}}};
constexpr std::array<Parameter, 8> kFidoParameters{{{"ReaderName", Text},
                                                    {"SessionID", Text},
                                                    {"LoginIssuerAccount", Text},
                                                    {"TransDateTime", Text},
                                                    {"IFD_CHK_Code", Text},
                                                    {"IFD_Id", Text},
                                                    {"TxCODE", Text},
                                                    {"PIN", SecretText}}};
constexpr std::array<Parameter, 10> kFidoObParameters{{{"ReaderName", Text},
                                                       {"SessionID", Text},
                                                       {"LoginIssuerAccount", Text},
                                                       {"TransDateTime", Text},
                                                       {"IFD_CHK_Code", Text},
                                                       {"IFD_Id", Text},
                                                       {"TxType", Text},
                                                       {"CheckItem", Text},
                                                       {"ID", Text},
                                                       {"PIN", SecretText}}};
constexpr std::array<Parameter, 7> kServiceParameters{{{"BHO_D5", Text},
                                                       {"BHO_D1", Text},
                                                       {"BHO_D2", Text},
                                                       {"BHO_D3", Text},
                                                       {"BHO_D4", Text},
                                                       {"BHO_D11", Text},
                                                       {"MSGTitle", Text}}};
constexpr std::array<Parameter, 8> kBondingParameters{{{"BHO_D5", Text},
                                                       {"BHO_D1", Text},
                                                       {"BHO_D2", Text},
                                                       {"BHO_D3", Text},
                                                       {"BHO_D4", Text},
                                                       {"BHO_D11", Text},
                                                       {"BHO_D12", Text},
                                                       {"MSGTitle", Text}}};

// The core's members take their texts one by one; `Call` spreads the
// arguments over them in order.
template <class... Views, std::size_t... I>
ResultCode Spread(ControlCore& control, ResultCode (ControlCore::*member)(Views...), std::span<const Argument> a,
                  std::index_sequence<I...>) {
  return (control.*member)(a[I].text...);
}
template <auto Member, class... Views>
ResultCode CallTexts(ControlCore& control, std::span<const Argument> a, ResultCode (ControlCore::*)(Views...)) {
  return Spread(control, Member, a, std::index_sequence_for<Views...>{});
}
template <auto Member>
ResultCode Call(ControlCore& control, std::span<const Argument> a) {
  return CallTexts<Member>(control, a, Member);
}

ResultCode CallTransfer(ControlCore& control, std::span<const Argument> a) {
  return control.TransIVESK(a[0].text, a[1].text, a[2].text, a[3].text, a[4].text, a[5].text, a[6].text, a[7].text,
                            a[8].text, a[9].text, a[10].text, a[11].text, a[12].number, a[13].text);
}

const std::array<MemberCall, 7> kMembers{{
    {"TransIVESK", kTransferParameters, &CallTransfer},
    {"Reissue_iVeskAppCert", kServiceParameters, &Call<&ControlCore::Reissue_iVeskAppCert>},
    {"CardLess_Apply", kServiceParameters, &Call<&ControlCore::CardLess_Apply>},
    {"CardLess_Reset", kServiceParameters, &Call<&ControlCore::CardLess_Reset>},
    {"BondingDevice_Apply", kBondingParameters, &Call<&ControlCore::BondingDevice_Apply>},
    {"FidoVerify", kFidoParameters, &Call<&ControlCore::FidoVerify>},
    {"FidoVerifyOB", kFidoObParameters, &Call<&ControlCore::FidoVerifyOB>},
}};

}  // namespace

std::span<const MemberCall> MemberCalls() { return kMembers; }

const MemberCall* FindMemberCall(std::string_view name) {
  const auto found = std::ranges::find(kMembers, name, &MemberCall::name);
  return found == kMembers.end() ? nullptr : &*found;
}

}  // namespace korvaden
