// A page that names no reader: the control finds the bank card among the
// readers by the financial application's selection alone, and leaves every
// other card as it was.
#include <gtest/gtest.h>

#include "base/result_codes.h"
#include "support/flow_bench.h"
#include "ui/texts.h"

namespace korvaden {
namespace {

using test::FlowBench;

const std::string kKeyReader = "Security Key 00 00";
const std::string kEmptyReader = "Built-in Slot 00 00";
const std::string kSelectFinancialApplication = "00A4040008A00000017295000100";

card::CardProfile RefusingTheSelection() {
  card::CardProfile key;
  key.statusAt[card::CommandAt{card::kInsSelect, 1}] = 0x6A82;
  return key;
}

// An empty slot first, then a card that refuses the selection (a security
// key), then the bank card (the bench's own) in the last reader.
struct ThreeReaders : FlowBench {
  explicit ThreeReaders(card::CardProfile bankCard = {}) : FlowBench(std::move(bankCard)) {
    readers.RemoveReader(test::kReaderName);
    readers.AddReader(kEmptyReader);
    readers.AddReader(kKeyReader, &key);
    readers.AddReader(test::kReaderName, &card);
  }
  // The other card saw the selection only, over a shared connection, and
  // stayed as it was.
  void ExpectTheOtherCardOnlyAsked() const {
    EXPECT_EQ(key.log(), std::vector<std::string>{kSelectFinancialApplication});
    EXPECT_EQ(readers.lastShareMode.at(kKeyReader), kScardShareShared);
    EXPECT_EQ(readers.cardsNotLeft, 0);
    EXPECT_FALSE(readers.lastShareMode.contains(kEmptyReader));
  }
  card::VirtualCard key{RefusingTheSelection()};
};

TEST(BankCardSearch, AnEmptyNameUsesTheReaderWhoseCardAnswers) {
  ThreeReaders bench;
  test::FidoArgs args;
  args.readerName = "";
  args.txCode = "P611XX";
  ASSERT_EQ(bench.Fido(args), kResultSuccess);
  bench.ExpectTheOtherCardOnlyAsked();
  // The bank card's probe, then the member's own selection.
  ASSERT_GE(bench.card.log().size(), 2u);
  EXPECT_EQ(bench.card.log()[0], kSelectFinancialApplication);
  EXPECT_EQ(bench.card.log()[1], kSelectFinancialApplication);
  EXPECT_EQ(bench.readers.lastShareMode.at(test::kReaderName), kScardShareExclusive);
  EXPECT_TRUE(bench.boxes.shown.empty());
  EXPECT_TRUE(bench.NothingLeftOpen());
}

TEST(BankCardSearch, TheFoundReaderServesTheCardPromptAndTheReconnection) {
  card::CardProfile reinserted;
  reinserted.removeAfterPolls = 2;  // the search's look is the first poll
  reinserted.reinsertAfterPolls = 2;
  ThreeReaders bench(reinserted);
  test::FidoArgs args;
  args.readerName = "";
  args.pin = "123456";
  ASSERT_EQ(bench.Fido(args), kResultSuccess);
  EXPECT_FALSE(bench.prompts.stages.empty());
  bench.ExpectTheOtherCardOnlyAsked();
  EXPECT_TRUE(bench.NothingLeftOpen());
}

TEST(BankCardSearch, AnEmptyNameInsideTheServiceBlock) {
  ThreeReaders bench;
  bench.dialogs.pinPadScripts = {"type 97531086; field 2; type 97531086; field 4; type 123456; code; confirm"};
  bench.dialogs.appConfirmScripts = {"confirm"};
  const test::Blocks blocks("2", "", "1234567890123456", "A123456789", "");
  EXPECT_EQ(bench.core.Call(Member::CardLess_Apply, {blocks["BHO_D5"], blocks["BHO_D1"], blocks["BHO_D2"],
                                                     blocks["BHO_D3"], blocks["BHO_D4"], blocks["BHO_D11"], "T"}),
            kResultSuccess);
  bench.ExpectTheOtherCardOnlyAsked();
  EXPECT_TRUE(bench.NothingLeftOpen());
}

TEST(BankCardSearch, TwoBankCardsAreNotChosenBetween) {
  ThreeReaders bench;
  card::VirtualCard second{card::CardProfile{}};
  bench.readers.AddReader("Second Reader 00 00", &second);
  test::FidoArgs args;
  args.readerName = "";
  EXPECT_EQ(bench.Fido(args), kResultCancelled);
  ASSERT_EQ(bench.boxes.shown.size(), 1u);
  EXPECT_EQ(bench.boxes.shown[0].text, texts::kSeveralBankCardsMessage);
  EXPECT_EQ(bench.card.log(), std::vector<std::string>{kSelectFinancialApplication});
  EXPECT_EQ(second.log(), std::vector<std::string>{kSelectFinancialApplication});
  EXPECT_TRUE(bench.NothingLeftOpen());
}

TEST(BankCardSearch, AnExactNameIsUsedAsItStandsAndNothingElseIsAsked) {
  ThreeReaders bench;
  test::FidoArgs args;
  args.txCode = "P611XX";
  ASSERT_EQ(bench.Fido(args), kResultSuccess);
  EXPECT_TRUE(bench.key.log().empty());
  EXPECT_FALSE(bench.readers.lastShareMode.contains(kKeyReader));
}

}  // namespace
}  // namespace korvaden
