#pragma once
// The control's members as data: each one's name, its parameters in the type
// library's order and its call into the core. Every front end that takes a
// member by name (the test host, the native messaging host) dispatches
// through this one table, so that none of them can drift from the control.
#include <span>
#include <string_view>

#include "base/result_codes.h"
#include "control/control_core.h"

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
  std::string_view text;
  int number = 0;
};

struct MemberCall {
  std::string_view name;
  std::span<const Parameter> parameters;
  // `arguments` holds one argument per parameter, in their order.
  ResultCode (*call)(ControlCore& control, std::span<const Argument> arguments);
};

// The seven members that take the page's values and answer a result code.
std::span<const MemberCall> MemberCalls();
// Null when no member has the name (compared exactly, as IDispatch would not).
const MemberCall* FindMemberCall(std::string_view name);

// The other two: the version text and the last sealed message, no parameters.
inline constexpr std::string_view kVersionMember = "GetAPIVersion";
inline constexpr std::string_view kMessageMember = "TrnsMsg";

}  // namespace korvaden
