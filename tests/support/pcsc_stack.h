#pragma once
// The real PC/SC stack for integration tests and benchmarks: a pcscd of our
// own with the virtual reader driver on a free port, and korvaden-card
// processes inserted into it. The driver's reader has two slots, which PC/SC
// lists as two readers ("Virtual PCD 00 00" on the port, "Virtual PCD 00 01"
// on the next). All are stopped by their own process ids.
#include <sys/types.h>

#include <array>
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

  // Starts a card with the given profile settings ("name=value") in the
  // reader; waits until the reader reports it. False when it does not arrive
  // within 10 s.
  bool InsertCard(const std::vector<std::string>& settings = {}, int reader = 0);
  void StopCard(int reader = 0);
  std::vector<std::string> CardLog(int reader = 0) const;  // every command that card received
  // The reader's name as PC/SC lists it (the first is kReaderName).
  static std::string ReaderName(int reader);
  static constexpr int kReaders = 2;

  static constexpr const char* kReaderName = "Virtual PCD 00 00";

 private:
  bool WaitForCard(bool present, int reader, int timeoutMs) const;
  std::string LogOf(int reader) const { return dir_ + "/card" + std::to_string(reader) + ".log"; }

  std::string dir_;
  std::string error_;
  int port_ = 0;
  pid_t pcscd_ = -1;
  std::array<pid_t, kReaders> cards_{-1, -1};
};

}  // namespace korvaden::test
