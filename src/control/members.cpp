#include "control/members.h"

#include <algorithm>

namespace korvaden {

const MemberCall* FindMemberCall(std::string_view name) {
  const auto found = std::ranges::find(kMemberCalls, name, &MemberCall::name);
  return found == kMemberCalls.end() ? nullptr : &*found;
}

}  // namespace korvaden
