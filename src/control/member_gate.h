#pragma once
// One member call at a time: the reader state is the module's, so a call that
// arrives while another is still inside (through a dialog's message loop, on
// any control) must be refused. A gate that reaches the user's session also
// refuses while any other process of the user runs a member.
#include "base/result_codes.h"
#include "control/session_lock.h"

namespace korvaden {

class MemberGate {
 public:
  enum class Reach { Process, UserSession };
  explicit MemberGate(Reach reach = Reach::Process) : reach_(reach) {}

  // Held for the length of one call; `entered()` is false when another call
  // held the gate already (or the session's lock could not be used), and
  // such a pass leaves the gate as it was.
  class Pass {
   public:
    Pass(bool& busy, Reach reach) : busy_(busy) {
      if (busy_) return;
      if (reach == Reach::UserSession) {
        session_ = SessionLock::TryAcquire();
        if (!session_.held()) {
          refusal_ = session_.unusable() ? kResultSessionLockUnusable : kResultBusy;
          return;
        }
      }
      entered_ = busy_ = true;
    }
    ~Pass() {
      if (entered_) busy_ = false;
    }
    Pass(const Pass&) = delete;
    Pass& operator=(const Pass&) = delete;
    bool entered() const { return entered_; }
    // Why a pass that did not enter did not: 8980 or 8981.
    ResultCode refusal() const { return refusal_; }

   private:
    bool& busy_;
    bool entered_ = false;
    ResultCode refusal_ = kResultBusy;
    SessionLock session_;
  };

  [[nodiscard]] Pass Enter() { return Pass(busy_, reach_); }

 private:
  Reach reach_;
  bool busy_ = false;
};

}  // namespace korvaden
