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

// The instructions the card's financial application understands.
inline constexpr std::uint8_t kInsVerify = 0x20;
inline constexpr std::uint8_t kInsSelect = 0xA4;
inline constexpr std::uint8_t kInsReadRecord = 0xB2;
inline constexpr std::uint8_t kInsComputeTac = 0xE2;

// One command as the card counts them: its instruction and which of the
// commands with that instruction it is (from 1, since the card was made).
struct CommandAt {
  std::uint8_t ins = 0;
  int occurrence = 0;
  auto operator<=>(const CommandAt&) const = default;
};

struct CardProfile {
  std::string issuerId = "81200000";
  Bytes remark = Bytes(30, 0x20);
  std::array<std::string, 8> accounts{"1234567890123456", "0000000000000000", "0000000000000000", "0000000000000000",
                                      "0000000000000000", "0000000000000000", "0000000000000000", "0000000000000000"};
  std::string pin = "123456";
  std::string serial = "SN000001";
  Bytes tacKey = Bytes(16, 0x11);
  int pinTries = 3;
  // Answers a wrong PIN with 63Cn, n the tries left, as cards that count them
  // do; otherwise with 6608.
  bool wrongPinCountsTries = false;

  // Faults.
  bool noSelectAnswer = false;                  // the application selection gets no bytes
  std::map<CommandAt, std::uint16_t> statusAt;  // that command answers this status word
  std::optional<CommandAt> transmitFailureAt;   // that command fails in transport
  std::map<int, std::uint16_t> recordStatus;    // reading this record answers this status word
  std::optional<std::uint16_t> selectFileStatus;
  std::optional<std::uint16_t> verifyStatus;  // e.g. 6620
  std::optional<std::uint16_t> tacStatus;     // the TAC refused with this status word
  std::optional<std::size_t> tacLength;       // the TAC answer holds only this many bytes of the code
  std::optional<CommandAt> removeAfter;       // taken out after that command
  int removeAfterPolls = 0;                   // taken out at the n-th presence poll
  int reinsertAfterPolls = 0;                 // put back that many polls after being taken out
  int reinsertAfterMs = 0;                    // put back after so many milliseconds (through the virtual reader)
};

// "name=value" lines; `error` names the first line that is not understood.
// A command is written INS#N (hexadecimal instruction, decimal occurrence):
// status_at=B2#3:6A82 makes the third READ RECORD answer 6A82.
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
  // How many commands with this instruction came so far: faults for the
  // commands still to come are placed after it.
  int CommandsSeen(std::uint8_t ins) const;

 private:
  Bytes Answer(const Bytes& command);
  Bytes Record(int number) const;

  CardProfile profile_;
  std::vector<std::string> log_;
  std::map<std::uint8_t, int> commandsSeen_;
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
