#pragma once
// One member call at a time in the whole module: the reader state is the
// module's, so a call that arrives while another is still inside (through a
// dialog's message loop, on any control) must be refused.
namespace korvaden {

class MemberGate {
 public:
  // Held for the length of one call; `entered()` is false when another call
  // held the gate already, and such a pass leaves the gate as it was.
  class Pass {
   public:
    explicit Pass(bool& busy) : busy_(busy), entered_(!busy) { busy_ = true; }
    ~Pass() {
      if (entered_) busy_ = false;
    }
    Pass(const Pass&) = delete;
    Pass& operator=(const Pass&) = delete;
    bool entered() const { return entered_; }

   private:
    bool& busy_;
    bool entered_;
  };

  [[nodiscard]] Pass Enter() { return Pass(busy_); }

 private:
  bool busy_ = false;
};

}  // namespace korvaden
