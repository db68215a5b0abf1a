#include <gtest/gtest.h>

#include "flows/transaction_client.h"
#include "support/card_bench.h"

namespace korvaden {
namespace {

using namespace std::chrono_literals;
using test::CardBench;
using test::kReaderName;

card::CardProfile Profile(int removeAfterPolls, int reinsertAfterPolls) {
  card::CardProfile profile;
  profile.removeAfterPolls = removeAfterPolls;
  profile.reinsertAfterPolls = reinsertAfterPolls;
  return profile;
}

// True when the card was taken out and put back.
bool Reinsert(CardBench& bench) {
  TransATMiVeskClient client(bench.platform);
  client.reader.UseReader(kReaderName);
  const bool reinserted = client.reader.WaitCardReinsert();
  EXPECT_FALSE(client.reader.CardPromptOpen()) << "the prompt outlives the step";
  return reinserted;
}

TEST(CardReinsert, OutThenInSucceeds) {
  CardBench bench(Profile(3, 4));
  EXPECT_TRUE(Reinsert(bench));
  EXPECT_EQ(bench.prompts.stages, (std::vector<int>{1, 2}));
  EXPECT_EQ(bench.prompts.closed, 1);
  EXPECT_TRUE(bench.card.present());
  EXPECT_EQ(bench.readers.openContexts(), 0u);
}

TEST(CardReinsert, CardAlreadyOutShowsTheSecondPictureAtOnce) {
  CardBench bench(Profile(1, 3));
  EXPECT_TRUE(Reinsert(bench));
  EXPECT_EQ(bench.prompts.stages, (std::vector<int>{1, 2}));
  // Phase 1 took no step: only the fixed checks of phase 2 were waited.
  EXPECT_LT(bench.sleeper.total, 6000ms);
}

TEST(CardReinsert, CardLeftInTimesOutAfterTheBudget) {
  CardBench bench;
  EXPECT_FALSE(Reinsert(bench));
  EXPECT_EQ(bench.prompts.stages, (std::vector<int>{1}));
  EXPECT_EQ(bench.prompts.closed, 1);
  // 600 steps of 100 ms, the last ending the wait, then the closing 500 ms.
  EXPECT_EQ(bench.sleeper.total, 600 * 100ms + 500ms);
}

TEST(CardReinsert, CardNeverPutBackTimesOutInPhaseTwo) {
  CardBench bench(Profile(2, 0));
  EXPECT_FALSE(Reinsert(bench));
  EXPECT_EQ(bench.prompts.stages, (std::vector<int>{1, 2}));
  // Phase 1 took one step; phase 2 the remaining 599 of 1.1 s (the last cut short).
  EXPECT_GT(bench.sleeper.total, 600s);
  EXPECT_LT(bench.sleeper.total, 670s);
}

TEST(CardReinsert, FailingPresenceQueriesNeverCountAsTheCardPutBack) {
  // They used to read as "card inserted" once the card was out.
  CardBench bench(Profile(1, 0));
  // The first query finds no context yet, the second sees the card out, then every query fails.
  bench.readers.statusChangeFailsFrom = 3;
  EXPECT_FALSE(Reinsert(bench));
  EXPECT_EQ(bench.prompts.stages, (std::vector<int>{1, 2}));
  EXPECT_GT(bench.sleeper.total, 600s);  // the whole budget went by
}

TEST(CardReinsert, VanishedReaderFailsAtTheNextCheck) {
  CardBench bench(Profile(2, 0));
  int polls = 0;
  bench.card.onCommand = nullptr;
  // Pull the cable once the card is out: the next reader check fails.
  class PullingSleeper final : public Sleeper {
   public:
    PullingSleeper(CardBench& bench, int& polls) : bench_(bench), polls_(polls) {}
    void Sleep(std::chrono::milliseconds) override {
      if (++polls_ == 3) bench_.readers.RemoveReader(kReaderName);
    }

   private:
    CardBench& bench_;
    int& polls_;
  } pulling(bench, polls);
  Platform platform = bench.platform;
  Platform pulled{platform.reader,       pulling,          platform.cardPrompts, platform.random,
                  platform.messageBoxes, platform.dialogs, platform.keys};
  TransATMiVeskClient client(pulled);
  client.reader.UseReader(kReaderName);
  EXPECT_FALSE(client.reader.WaitCardReinsert());
  EXPECT_EQ(bench.prompts.stages, (std::vector<int>{1, 2}));
  EXPECT_LE(polls, 5);
}

TEST(CardReinsert, MissingReaderOrPromptFailsAtOnce) {
  CardBench bench;
  TransATMiVeskClient client(bench.platform);
  client.reader.UseReader("Not attached");
  EXPECT_FALSE(client.reader.WaitCardReinsert());
  EXPECT_EQ(bench.prompts.closed, 1);
  bench.prompts.canOpen = false;
  client.reader.UseReader(kReaderName);
  EXPECT_FALSE(client.reader.WaitCardReinsert());
  EXPECT_EQ(bench.prompts.opened, 1);
}

}  // namespace
}  // namespace korvaden
