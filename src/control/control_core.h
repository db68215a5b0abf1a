#pragma once
// The control without COM: the members on 8-bit texts, the wrapper every
// transaction member runs around its flow, and the last sealed message. The
// Windows control is a thin shell over it that converts BSTRs.
#include <chrono>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "base/result_codes.h"
#include "control/member_gate.h"
#include "control/members.h"
#include "flows/platform.h"

namespace korvaden {

class TransATMiVeskClient;

class ControlCore {
 public:
  // `gate` is the module's: every control of the module shares it.
  ControlCore(Platform& platform, MemberGate& gate) : platform_(platform), gate_(gate) {}

  // One call of `member`: `arguments` holds one argument per parameter, in
  // the table's order (a call with another count is refused as a value).
  ResultCode Call(const MemberCall& member, std::span<const Argument> arguments);
  // The same for a program that spells its call out.
  ResultCode Call(Member member, std::initializer_list<Argument> arguments) {
    return Call(MemberCallOf(member), {arguments.begin(), arguments.size()});
  }

  // Where the control is sited. A local program does not site it (none): it
  // could reach the reader anyway. In a browser it gets the page's URL, or an
  // empty text when the page cannot be learned, and every member refuses a
  // page whose origin the deployment does not name.
  void SetPage(std::optional<std::string_view> pageUrl);
  bool PageRefused() const { return pageRefused_; }

  // A call with a value no member can take before its flow starts (a
  // script's number that is no 32-bit integer): 8970 as for any refused
  // value (8960 on a refused page), and no older message stays readable.
  ResultCode RefuseValues(const MemberCall& member);

  // The last sealed message: empty before the first call and after a failed one.
  const std::string& TrnsMsg() const { return trnsMsg_; }
  std::string GetAPIVersion() const;

 private:
  // The member's flow with the client the call made for it.
  // The member's line in the support log.
  void LogMember(const MemberCall& member, ResultCode result, std::chrono::milliseconds took);
  ResultCode CallUnlogged(const MemberCall& member, std::span<const Argument> arguments);
  ResultCode RunFlow(TransATMiVeskClient& client, const MemberCall& member, std::span<const Argument> arguments);

  Platform& platform_;
  MemberGate& gate_;
  bool pageRefused_ = false;
  std::string pageOrigin_ = "(local program)";  // for the support log: the page's scheme, host and port
  std::string trnsMsg_;
};

}  // namespace korvaden
