#pragma once
// A whole platform in process: a virtual card in a virtual reader behind the
// PC/SC interface, a sleeper that only counts, a recording card prompt.
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "crypto/deployment_keys.h"
#include "crypto/random.h"
#include "flows/card_access.h"
#include "flows/platform.h"
#include "reader/logged_pcsc.h"
#include "scripted_customer.h"
#include "support/test_support.h"
#include "virtual_card.h"
#include "virtual_pcsc.h"

namespace korvaden::test {

inline const std::string kReaderName = "Virtual PCD 00 00";

class CountingSleeper final : public Sleeper {
 public:
  void Sleep(std::chrono::milliseconds duration) override { total += duration; }
  std::chrono::milliseconds total{0};
};

class RecordingPrompts final : public CardPromptFactory {
 public:
  std::unique_ptr<CardPromptView> Open() override;
  bool canOpen = true;
  std::vector<int> stages;  // every stage shown, in order
  int opened = 0;
  int closed = 0;
};

// The system's generator, until a test makes every draw fail.
class FailableRandom final : public RandomSource {
 public:
  std::uint8_t RandomNumber() override {
    if (!failing) return system_.RandomNumber();
    failed_ = true;
    return 0;
  }
  bool Failed() const override { return failed_ || system_.Failed(); }
  bool failing = false;

 private:
  SystemRandom system_;
  bool failed_ = false;
};

// The customer at the dialogs: answers from scripts, records what was shown.
using ScriptedDialogs = customer::ScriptedCustomer;

// The support log's lines, kept for the test to read.
struct RecordingLog final : SupportLog {
  void Write(std::string_view line) override { lines.emplace_back(line); }
  std::vector<std::string> lines;
};

struct CardBench {
  explicit CardBench(card::CardProfile profile = {}) : card(std::move(profile)) {
    readers.AddReader(kReaderName, &card);
  }
  std::vector<std::string> CommandsFrom(std::size_t first) const {
    return {card.log().begin() + static_cast<std::ptrdiff_t>(first), card.log().end()};
  }

  card::VirtualCard card;
  card::VirtualReaders readers;
  RecordingLog log;
  LoggedPcsc loggedReaders{readers, log};
  ReaderModule module{loggedReaders};
  CountingSleeper sleeper;
  RecordingPrompts prompts;
  FailableRandom random;
  RecordingMessageBoxes boxes;
  ScriptedDialogs dialogs;
  DeploymentKeys keys = BuiltInDeployment();
  CustomerDesk desk;
  Platform platform{module, sleeper, prompts, random, boxes, dialogs, keys, log, desk};
  ClientCardAccess cardAccess{platform};  // the presenters' way to the card
};

}  // namespace korvaden::test
