#pragma once
// The real PC/SC stack for integration tests and benchmarks: a pcscd of our
// own with the virtual reader driver on a free port, and korvaden-card
// processes inserted into it. Both are stopped by their own process ids.
#include <sys/types.h>

#include <string>
#include <vector>

namespace korvaden::test {

class PcscStack {
 public:
  PcscStack();  // starts pcscd; check ok() before use
  ~PcscStack();
  PcscStack(const PcscStack&) = delete;
  PcscStack& operator=(const PcscStack&) = delete;

  bool ok() const { return error_.empty(); }
  const std::string& error() const { return error_; }

  // Starts a card with the given profile settings ("name=value"); waits until
  // the reader reports it. False when it does not arrive within 10 s.
  bool InsertCard(const std::vector<std::string>& settings = {});
  void StopCard();
  std::vector<std::string> CardLog() const;  // every command the card received

  static constexpr const char* kReaderName = "Virtual PCD 00 00";

 private:
  bool WaitForCard(bool present, int timeoutMs) const;

  std::string dir_;
  std::string error_;
  int port_ = 0;
  pid_t pcscd_ = -1;
  pid_t card_ = -1;
};

}  // namespace korvaden::test
