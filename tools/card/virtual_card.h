#pragma once
// The project's model of the customer's chip financial card: the financial
// application with its records, PIN and TAC, plus injected faults. Every
// command it receives is logged as one line of hexadecimal.
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvaden::card {

using Bytes = std::vector<std::uint8_t>;

struct CardProfile {
  std::string issuerId = "81200000";
  Bytes remark = Bytes(30, 0x20);
  std::array<std::string, 8> accounts{"1234567890123456", "0000000000000000", "0000000000000000",
                                      "0000000000000000", "0000000000000000", "0000000000000000",
                                      "0000000000000000", "0000000000000000"};
  std::string pin = "123456";
  std::string serial = "SN000001";
  Bytes tacKey = Bytes(16, 0x11);
  int pinTries = 3;

  // Faults.
  bool noSelectAnswer = false;              // the application selection gets no bytes
  std::map<int, std::uint16_t> statusAtCommand;  // the n-th command (from 1) answers this status word
  int transmitFailureAtCommand = 0;         // the n-th command fails in transport
  std::map<int, std::uint16_t> recordStatus;  // reading this record answers this status word
  std::optional<std::uint16_t> selectFileStatus;
  std::optional<std::uint16_t> verifyStatus;  // e.g. 6620
  std::optional<std::uint16_t> tacStatus;     // the TAC refused with this status word
  int removeAfterCommands = 0;  // taken out after the n-th command
  int removeAfterPolls = 0;     // taken out at the n-th presence poll
  int reinsertAfterPolls = 0;   // put back that many polls after being taken out
  int reinsertAfterMs = 0;      // put back after so many milliseconds (through the virtual reader)
};

// "name=value" lines; `error` names the first line that is not understood.
std::optional<CardProfile> ParseProfile(std::string_view text, std::string& error);
bool ApplyProfileSetting(CardProfile& profile, std::string_view setting);

// The 8-byte code: ISO 9797-1 MAC algorithm 1 with two-key triple DES (zero
// IV, padding method 2) over the TAC input block.
Bytes ComputeCardTac(const Bytes& key, const Bytes& input);

class VirtualCard {
 public:
  explicit VirtualCard(CardProfile profile);

  struct Exchange {
    bool transmitted = true;  // false: the exchange failed in transport
    Bytes answer;
  };
  Exchange Process(const Bytes& command);
  void PowerCycle();  // after a reset or re-insertion nothing is selected

  // Presence as the reader sees it; each poll may take the card out or put it back.
  bool Poll();
  bool present() const { return present_; }
  void SetPresent(bool present);
  // Changes the profile (faults above all) of a card already in use.
  void Reconfigure(const std::function<void(CardProfile&)>& change) { change(profile_); }

  const std::vector<std::string>& log() const { return log_; }
  std::function<void(const std::string&)> onCommand;  // called with each logged line
  int pinTriesLeft() const { return triesLeft_; }
  int commandCount() const { return commands_; }

 private:
  Bytes Answer(const Bytes& command);
  Bytes Record(int number) const;

  CardProfile profile_;
  std::vector<std::string> log_;
  int commands_ = 0;
  int polls_ = 0;
  int pollsAway_ = 0;
  int triesLeft_;
  bool present_ = true;
  bool applicationSelected_ = false;
  bool fileSelected_ = false;
};

std::string Hex(const Bytes& bytes);
Bytes FromHex(std::string_view hex);

}  // namespace korvaden::card
