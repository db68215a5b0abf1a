#include "support/card_bench.h"

namespace korvaden::test {
namespace {

class RecordingPrompt final : public CardPromptView {
 public:
  explicit RecordingPrompt(RecordingPrompts& owner) : owner_(owner) {}
  ~RecordingPrompt() override { ++owner_.closed; }
  void ShowStage(int stage) override { owner_.stages.push_back(stage); }

 private:
  RecordingPrompts& owner_;
};

}  // namespace

std::unique_ptr<CardPromptView> RecordingPrompts::Open() {
  if (!canOpen) return nullptr;
  ++opened;
  return std::make_unique<RecordingPrompt>(*this);
}

}  // namespace korvaden::test
