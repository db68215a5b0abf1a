#pragma once
// The control's members as data: each one's name and its parameters in the
// type library's order. This table is the one description of the members:
// the core takes a call as the member and its arguments, the front ends
// dispatch by it, the page API's member list and the console host's usage
// are made from it, and the published interface is checked against it.
#include <array>
#include <concepts>
#include <cstddef>
#include <span>
#include <string_view>

namespace korvaden {

enum class ParameterKind {
  Text,
  SecretText,  // a PIN: the front end keeps it in wiped storage
  Integer,
};

struct Parameter {
  std::string_view name;
  ParameterKind kind;
};

// One argument of a call: `text` for both kinds of text (the front end owns
// the storage for the call's length), `number` for an integer.
struct Argument {
  constexpr Argument() = default;
  template <class Text>
  requires std::convertible_to<const Text&, std::string_view>
  constexpr Argument(const Text& value) : text(value) {}  // implicit: a call lists its texts as they are
  constexpr Argument(int value) : number(value) {}

  std::string_view text;
  int number = 0;
};

// The seven members that take the page's values and answer a result code,
// in the table's order.
enum class Member {
  TransIVESK,
  Reissue_iVeskAppCert,
  CardLess_Apply,
  CardLess_Reset,
  BondingDevice_Apply,
  FidoVerify,
  FidoVerifyOB
};

struct MemberCall {
  Member member;
  std::string_view name;
  std::span<const Parameter> parameters;
};

namespace member_table {

using enum ParameterKind;

inline constexpr Parameter kTransIVESK[] = {
    {"ReaderName", Text},          {"TxCODE", Text},        {"PCODE", Text},
    {"PIN", SecretText},           {"LoginIssuerID", Text}, {"LoginIssuerAccount", Text},
    {"IFD_CHK_Code", Text},        {"IFD_Id", Text},        {"AccountID_idx", Text},
    {"ImportAccount", Text},       {"Money", Text},         {"TransDateTime", Text},
    {"ShowVerifyDialog", Integer}, {"SessionID", Text},
};
inline constexpr Parameter kServices[] = {
    {"BHO_D5", Text}, {"BHO_D1", Text},  {"BHO_D2", Text},   {"BHO_D3", Text},
    {"BHO_D4", Text}, {"BHO_D11", Text}, {"MSGTitle", Text},
};
inline constexpr Parameter kBondingDevice_Apply[] = {
    {"BHO_D5", Text}, {"BHO_D1", Text},  {"BHO_D2", Text},  {"BHO_D3", Text},
    {"BHO_D4", Text}, {"BHO_D11", Text}, {"BHO_D12", Text}, {"MSGTitle", Text},
};
inline constexpr Parameter kFidoVerify[] = {
    {"ReaderName", Text},    {"SessionID", Text},    {"LoginIssuerAccount", Text},
    {"TransDateTime", Text}, {"IFD_CHK_Code", Text}, {"IFD_Id", Text},
    {"TxCODE", Text},        {"PIN", SecretText},
};
inline constexpr Parameter kFidoVerifyOB[] = {
    {"ReaderName", Text},    {"SessionID", Text},    {"LoginIssuerAccount", Text},
    {"TransDateTime", Text}, {"IFD_CHK_Code", Text}, {"IFD_Id", Text},
    {"TxType", Text},        {"CheckItem", Text},    {"ID", Text},
    {"PIN", SecretText},
};

}  // namespace member_table

inline constexpr std::array<MemberCall, 7> kMemberCalls{{
    {Member::TransIVESK, "TransIVESK", member_table::kTransIVESK},
    {Member::Reissue_iVeskAppCert, "Reissue_iVeskAppCert", member_table::kServices},
    {Member::CardLess_Apply, "CardLess_Apply", member_table::kServices},
    {Member::CardLess_Reset, "CardLess_Reset", member_table::kServices},
    {Member::BondingDevice_Apply, "BondingDevice_Apply", member_table::kBondingDevice_Apply},
    {Member::FidoVerify, "FidoVerify", member_table::kFidoVerify},
    {Member::FidoVerifyOB, "FidoVerifyOB", member_table::kFidoVerifyOB},
}};

constexpr const MemberCall& MemberCallOf(Member member) { return kMemberCalls[static_cast<std::size_t>(member)]; }
static_assert(
    [] {
      for (std::size_t i = 0; i < kMemberCalls.size(); ++i) {
        if (static_cast<std::size_t>(kMemberCalls[i].member) != i) return false;
      }
      return true;
    }(),
    "the table lists the members in their enumeration's order");

// Null when no member has the name (compared exactly, as IDispatch would not).
const MemberCall* FindMemberCall(std::string_view name);

// A member's arguments taken by their parameters' names, each name checked
// against the table while the build runs: a name the member does not have
// does not compile.
template <Member M>
class MemberArguments {
 public:
  struct Name {
    std::size_t index;
    consteval Name(const char* name) : index(IndexOf(name)) {}  // implicit: a call spells the name
  };

  explicit MemberArguments(std::span<const Argument> values) : values_(values) {}
  std::string_view operator[](Name name) const { return values_[name.index].text; }
  int Number(Name name) const { return values_[name.index].number; }

 private:
  static consteval std::size_t IndexOf(std::string_view name) {
    const std::span<const Parameter> parameters = MemberCallOf(M).parameters;
    for (std::size_t i = 0; i < parameters.size(); ++i) {
      if (parameters[i].name == name) return i;
    }
    throw "the member has no parameter of this name";
  }

  std::span<const Argument> values_;
};

// The other two: the version text and the last sealed message, no parameters.
inline constexpr std::string_view kVersionMember = "GetAPIVersion";
inline constexpr std::string_view kMessageMember = "TrnsMsg";

}  // namespace korvaden
