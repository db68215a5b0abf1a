#pragma once
#include <chrono>
#include <cstdint>
#include <deque>
#include <map>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "bank.h"
#include "base/random_source.h"
#include "base/result_codes.h"
#include "ui/message_box.h"

namespace korvaden {

// Results as a reader of a failed test wants them: decimal codes, PC/SC codes
// and status words in hexadecimal.
void PrintTo(ResultCode code, std::ostream* out);
void PrintTo(PcscResult result, std::ostream* out);
void PrintTo(StatusWord word, std::ostream* out);

}  // namespace korvaden

namespace korvaden::test {

// A card's status word as a member's result (a rejected PIN).
constexpr ResultCode StatusResult(std::uint32_t word) { return FromStatusWord(StatusWord{word}); }

// The test deployment as the bank side holds it (private keys included).
const bank::BankKeys& TestBankKeys();
// Parameter blocks as the bank renders them under the test deployment; throws
// (failing the test) when the bank refuses.
std::map<std::string, std::string> BankBlocks(const std::map<std::string, std::string>& plaintexts);
// The 2048-bit HSM public key, for sealing under a key of another size.
const char* TestHsmPublicPem();

struct RecordedBox {
  std::string text, caption;
  MessageIcon icon;
};

class RecordingMessageBoxes final : public MessageBoxes {
 public:
  void Show(std::string_view text, std::string_view caption, MessageIcon icon) override {
    shown.push_back({std::string(text), std::string(caption), icon});
  }
  std::vector<RecordedBox> shown;
};

// Hands out the scripted numbers, then zeros; a failing one fails every draw.
class ScriptedRandom final : public RandomSource {
 public:
  explicit ScriptedRandom(std::deque<std::uint8_t> numbers = {}) : numbers_(std::move(numbers)) {}
  std::uint8_t RandomNumber() override {
    if (failing) drawnWhileFailing_ = true;
    if (failing || numbers_.empty()) return 0;
    const std::uint8_t next = numbers_.front();
    numbers_.pop_front();
    return next;
  }
  bool Failed() const override { return drawnWhileFailing_; }
  bool failing = false;

 private:
  std::deque<std::uint8_t> numbers_;
  bool drawnWhileFailing_ = false;
};

std::vector<std::uint8_t> FromHex(std::string_view hex);

// Whether `condition` comes true within `limit`: a test waits for what it
// waits for, never for a fixed time that a loaded machine may overrun.
template <class Condition>
bool Eventually(Condition condition, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

}  // namespace korvaden::test
