#include "ui/customer_desk.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "ui/texts.h"

namespace korvaden {
namespace {

// A window's own caption comes first; a blank one (the pads') or the
// service's own is not repeated.
TEST(CustomerDesk, TitlesNameTheCaptionTheServiceAndTheOrigin) {
  CustomerDesk desk;
  desk.SetOrigin("https://webatm.example");
  EXPECT_EQ(desk.Title(texts::kCardlessApplyCaption),
            std::string(texts::kCardlessApplyCaption) + " - DrommelWebATM - https://webatm.example");
  EXPECT_EQ(desk.Title(" "), "DrommelWebATM - https://webatm.example");
  EXPECT_EQ(desk.Title(texts::kTransferCaption), "DrommelWebATM - https://webatm.example");
  desk.SetOrigin("");
  EXPECT_EQ(desk.Title(""), "DrommelWebATM");
}

// A box over a pad, the card prompt's second stage, and what the customer is
// asked after each window closes, as the front end hears it.
TEST(CustomerDesk, TellsWhatIsAskedNowThroughNestedWindows) {
  CustomerDesk desk;
  std::vector<std::string> told;
  desk.Listen([&told](Asking now) { told.emplace_back(AskingName(now)); });
  {
    CustomerDesk::Asked prompt(desk, Asking::TakeCardOut);
    prompt.Change(Asking::TakeCardOut);  // the same again: nothing new to tell
    prompt.Change(Asking::PutCardBack);
  }
  {
    CustomerDesk::Asked pad(desk, Asking::Pad);
    { CustomerDesk::Asked box(desk, Asking::Message); }
    std::optional<CustomerDesk::Asked> box(std::in_place, desk, Asking::Message);
    pad.Change(Asking::Confirm);  // under the box: told when the box closes
    box.reset();
  }
  EXPECT_EQ(told, (std::vector<std::string>{"card-out", "card-in", "nothing", "pad", "message", "pad", "message",
                                            "confirm", "nothing"}));
  desk.Listen(nullptr);
  { CustomerDesk::Asked unheard(desk, Asking::Pad); }
  EXPECT_EQ(told.size(), 9u);
}

}  // namespace
}  // namespace korvaden
