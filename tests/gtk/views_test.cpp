// The GTK views, laid out from the module's templates with their presenters
// and driven from inside their own main loops by real X input: what they show
// (texts read back, pixels read from the X server) and what the customer's
// actions end in.
#include <gtest/gtest.h>

#include <set>

#include "gtk_screen.h"
#include "support/card_bench.h"
#include "ui/app_confirm.h"
#include "ui/gtk/dialog_windows.h"
#include "ui/gtk/gtk_views.h"
#include "ui/pin_pad.h"
#include "ui/resource_ids.h"
#include "ui/texts.h"

namespace korvaden {
namespace {

using test::Capture;
using test::Click;
using test::GtkCustomer;
using test::ItemText;
using test::PressKey;
using test::WindowWith;

constexpr auto kNoTicks = std::chrono::hours(1);  // the test ticks itself
// The windows' titles and what they ask: a local program's, unless a test sets an origin.
CustomerDesk desk;

int KeyId(int position) { return position == 0 ? kIdKeyPosition0 : kIdKeyPosition1 + position - 1; }

int R(std::uint32_t c) { return int(c >> 16) & 0xFF; }
int G(std::uint32_t c) { return int(c >> 8) & 0xFF; }
int B(std::uint32_t c) { return int(c) & 0xFF; }
bool IsRed(std::uint32_t c) { return R(c) > 190 && G(c) < 70 && B(c) < 70; }
bool IsTextGreen(std::uint32_t c) { return R(c) < 90 && G(c) >= 40 && G(c) < 150 && B(c) < 90; }
bool IsWhite(std::uint32_t c) { return c == 0xFFFFFF; }

struct PixelCount {
  int green = 0, other = 0;
};
PixelCount CountPixels(const Capture& capture, const test::Place& area) {
  PixelCount count;
  for (int y = area.y; y < area.y + area.height; ++y) {
    for (int x = area.x; x < area.x + area.width; ++x) {
      const std::uint32_t c = capture.At(x, y);
      if (IsTextGreen(c)) {
        ++count.green;
      } else if (!IsWhite(c)) {
        ++count.other;
      }
    }
  }
  return count;
}

// The edges of a field display, inside its sunken border: red when it is the
// active one (but where the noise drawn after the frame covers them).
bool FramedRed(const Capture& capture, test::Place display) {
  display = {display.x + 1, display.y + 1, display.width - 2, display.height - 2, {}};
  int red = 0, all = 0;
  for (int y = display.y; y < display.y + display.height; ++y, all += 2) {
    red += IsRed(capture.At(display.x, y)) + IsRed(capture.At(display.x + display.width - 1, y));
  }
  for (int x = display.x; x < display.x + display.width; ++x, all += 2) {
    red += IsRed(capture.At(x, display.y)) + IsRed(capture.At(x, display.y + display.height - 1));
  }
  return red * 10 >= all * 8;
}

// Clicks the keys that show `digits`, as the test build tells them.
void TypeDigits(GtkWindow* pad, std::string_view digits) {
  const test::Description shown = test::Described(pad);
  for (const char digit : digits) {
    for (int k = 0; k < 10; ++k) {
      const auto key = shown.controls.find(KeyId(k));
      if (key != shown.controls.end() && key->second.digits == std::string(1, digit)) Click(pad, KeyId(k));
    }
  }
}

// Shown and laid out: the test build has told where its controls are.
bool LaidOut(GtkWindow* window) {
  if (window == nullptr) return false;
  const test::Description shown = test::Described(window);
  return !shown.controls.empty() && shown.controls.begin()->second.width > 0;
}

std::string Digits(GtkWindow* window, int id) {
  const test::Description shown = test::Described(window);
  const auto control = shown.controls.find(id);
  return control != shown.controls.end() ? control->second.digits : "";
}

TEST(Templates, ControlsTextsAndTabOrderAsTheTemplate) {
  const TransferConfirmation confirmation{"1234567890123456", "81200000123", "100"};
  GtkWindow* dialog = nullptr;
  std::vector<int> focusOrder;
  test::Description shown;
  std::map<int, std::string> texts;
  GtkCustomer customer({[&] { return LaidOut(dialog = WindowWith(kIdAmountText)); },
                        [&] {
                          shown = test::Described(dialog);
                          for (int id : {1, 2, kIdTransferorText, kIdTransfereeText, kIdAmountText}) {
                            texts[id] = ItemText(dialog, id);
                          }
                          return true;
                        },
                        [&] {
                          // One Tab at a time: the next once the window has taken this one.
                          GtkWidget* focus = gtk_root_get_focus(GTK_ROOT(dialog));
                          while (focus != nullptr && !g_str_has_prefix(gtk_widget_get_name(focus), "control-")) {
                            focus = gtk_widget_get_parent(focus);
                          }
                          const int id = focus ? std::atoi(gtk_widget_get_name(focus) + 8) : 0;
                          if (!focusOrder.empty() && focusOrder.back() == id) return false;
                          focusOrder.push_back(id);
                          PressKey(dialog, focusOrder.size() < 6 ? "Tab" : "Escape");
                          return focusOrder.size() == 6;
                        }});
  EXPECT_EQ(gtk::RunTransferWindow(confirmation, desk), kTransferCancelled);
  EXPECT_EQ(shown.templateId, kIdTransferDialog);
  EXPECT_EQ(texts[1], "取消 (N)");
  EXPECT_EQ(texts[2], "確定 (Y)");
  EXPECT_EQ(texts[kIdTransferorText], "1234567890123456");
  EXPECT_EQ(texts[kIdTransfereeText], "81200000123");
  EXPECT_EQ(texts[kIdAmountText], "100");
  // The template's order, not the screen's: the buttons first, then 214, 215, 212.
  EXPECT_EQ(focusOrder, (std::vector<int>{1, 2, kIdTransferorText, kIdAmountText, kIdTransfereeText, 1}));
  // Dialog units scaled by one factor across and one down: "取消 (N)" at
  // (39, 78) 50 × 14 and "確定 (Y)" at (92, 78), the edits at x 66, 115 wide.
  const test::Place no = shown.controls[1], yes = shown.controls[2], from = shown.controls[kIdTransferorText];
  const double unitX = no.width / 50.0, unitY = no.height / 14.0;
  EXPECT_GT(unitX, 1.0);
  EXPECT_NEAR(yes.x - no.x, 53 * unitX, 2);
  EXPECT_EQ(yes.y, no.y);
  EXPECT_NEAR(from.x - no.x, 27 * unitX, 2);
  EXPECT_NEAR(from.width, 115 * unitX, 2);
  EXPECT_NEAR(no.y - from.y, 63 * unitY, 2);
}

TEST(TransferWindow, OnlyAClickOnConfirmConfirms) {
  const TransferConfirmation confirmation{"1234567890123456", "81200000123", "100"};
  struct Case {
    const char* what;
    std::function<void(GtkWindow*)> act;
    int expected;
  };
  const std::vector<Case> cases = {
      {"確定 (Y)", [](GtkWindow* d) { Click(d, 2); }, kTransferConfirmed},
      {"取消 (N)", [](GtkWindow* d) { Click(d, 1); }, kTransferCancelled},
      {"Esc", [](GtkWindow* d) { PressKey(d, "Escape"); }, kTransferCancelled},
      {"Enter on the first button", [](GtkWindow* d) { PressKey(d, "Return"); }, kTransferCancelled},
      {"closing", [](GtkWindow* d) { gtk_window_close(d); }, kTransferCancelled},
  };
  for (const Case& c : cases) {
    GtkWindow* dialog = nullptr;
    GtkCustomer customer({[&] { return (dialog = WindowWith(kIdAmountText)) != nullptr; },
                          [&] {
                            c.act(dialog);
                            return true;
                          }});
    EXPECT_EQ(gtk::RunTransferWindow(confirmation, desk), c.expected) << c.what;
    EXPECT_TRUE(customer.finished()) << c.what;
  }
}

class PinPadWindowTest : public ::testing::Test {
 protected:
  test::CardBench bench;
  GtkWindow* pad = nullptr;
  GtkCustomer::Step Opened() {
    return [this] { return LaidOut(pad = WindowWith(kIdCodeImage)); };
  }
};

TEST_F(PinPadWindowTest, ShowsShuffledKeysTheCodeAndTheActiveField) {
  PinPad presenter(PinPadKind::CIVESKAppCert, bench.cardAccess.Seams());
  presenter.readerName = test::kReaderName;
  presenter.pinMode = "2";
  std::set<std::string> digits;
  std::vector<std::string> countdown;
  bool cardPinHidden = false, frameOnPassword = false, frameOnConfirm = true, frameMoved = false, keysSayNothing = true;
  PixelCount code, keyFace;
  std::string codeShown;
  GtkCustomer customer({Opened(),
                        [&] {
                          const test::Description shown = test::Described(pad);
                          for (int k = 0; k < 10; ++k) digits.insert(shown.controls.at(KeyId(k)).digits);
                          codeShown = Digits(pad, kIdCodeImage);
                          cardPinHidden = !test::Shown(pad, kIdCardPinDisplay) && !test::Shown(pad, kIdCardPinCaption);
                          for (int tick = 0; tick < 3; ++tick) {
                            presenter.OnTimer();
                            countdown.push_back(ItemText(pad, kIdPadCountdown));
                          }
                          // No digit of a key in a widget's text, tooltip or accessible label.
                          for (int k = 0; k < 10; ++k) {
                            GtkWidget* key = test::ItemOf(pad, KeyId(k));
                            keysSayNothing = keysSayNothing && gtk_button_get_label(GTK_BUTTON(key)) == nullptr &&
                                             gtk_widget_get_tooltip_text(key) == nullptr &&
                                             !GTK_IS_LABEL(gtk_button_get_child(GTK_BUTTON(key)));
                          }
                          Click(pad, kIdPasswordDisplay);
                          return true;
                        },
                        test::Pause(),
                        [&] {
                          const test::Description shown = test::Described(pad);
                          const Capture capture(pad);
                          frameOnPassword = FramedRed(capture, shown.controls.at(kIdPasswordDisplay));
                          frameOnConfirm = FramedRed(capture, shown.controls.at(kIdConfirmDisplay));
                          code = CountPixels(capture, shown.controls.at(kIdCodeImage));
                          keyFace = CountPixels(capture, shown.controls.at(KeyId(0)));
                          Click(pad, kIdConfirmDisplay);
                          return true;
                        },
                        test::Pause(),
                        [&] {
                          if (presenter.activeField() != kFieldConfirm) return false;
                          const test::Description shown = test::Described(pad);
                          const Capture capture(pad);
                          frameMoved = FramedRed(capture, shown.controls.at(kIdConfirmDisplay)) &&
                                       !FramedRed(capture, shown.controls.at(kIdPasswordDisplay));
                          Click(pad, 2);  // "回主選單"
                          return true;
                        }});
  EXPECT_EQ(gtk::RunPinPadWindow(presenter, bench.random, kNoTicks, desk), kPinPadCancelled);
  EXPECT_EQ(digits.size(), 10u);
  EXPECT_EQ(digits.count(""), 0u);
  EXPECT_EQ(codeShown.size(), 6u);
  EXPECT_EQ(countdown, (std::vector<std::string>{"540", "539", "538"}));
  EXPECT_TRUE(cardPinHidden);
  EXPECT_TRUE(keysSayNothing);
  EXPECT_TRUE(frameOnPassword);
  EXPECT_FALSE(frameOnConfirm);
  EXPECT_TRUE(frameMoved) << "after a click on the confirmation's display";
  EXPECT_GT(code.green, 60) << "the six digits";
  EXPECT_GT(code.other, 40) << "the noise";
  EXPECT_GT(keyFace.green, 10) << "the key's caption";
}

TEST_F(PinPadWindowTest, TypedPasswordAndCodeConfirm) {
  PinPad presenter(PinPadKind::CardLessApply, bench.cardAccess.Seams());
  presenter.readerName = test::kReaderName;
  presenter.pinMode = "2";
  std::string lengthBox, lengthCaption = "unread", wrongCodeBox;
  bool openUnderTheBox = false;
  GtkWindow* box = nullptr;
  GtkCustomer customer({Opened(),
                        [&] {
                          Click(pad, kIdPadConfirm);  // nothing typed
                          return true;
                        },
                        [&] {
                          if ((box = test::BoxOwnedBy(pad)) == nullptr) return false;
                          lengthBox = test::BoxText(box);
                          lengthCaption = gtk_window_get_title(box) ?: "";
                          PressKey(box, "Return");
                          return true;
                        },
                        [&] {
                          if (test::BoxOwnedBy(pad) != nullptr) return false;
                          TypeDigits(pad, "97531086");
                          Click(pad, kIdCardlessConfirmDisplay);
                          TypeDigits(pad, "97531086");
                          Click(pad, kIdTypedCode);
                          return true;
                        },
                        [&] {
                          if (presenter.activeField() != kFieldCode) return false;
                          const std::string code = Digits(pad, kIdCodeImage);
                          TypeDigits(pad, code.substr(0, 5) + (code[5] == '0' ? "1" : "0"));
                          Click(pad, kIdPadConfirm);
                          return true;
                        },
                        [&] {
                          if ((box = test::BoxOwnedBy(pad)) == nullptr) return false;
                          wrongCodeBox = test::BoxText(box);
                          openUnderTheBox = gtk_widget_get_mapped(GTK_WIDGET(pad));
                          test::ClickWidget(gtk_dialog_get_widget_for_response(GTK_DIALOG(box), GTK_RESPONSE_OK));
                          return true;
                        },
                        [&] {
                          if (test::BoxOwnedBy(pad) != nullptr || presenter.activeField() != kFieldCode) return false;
                          TypeDigits(pad, Digits(pad, kIdCodeImage));
                          Click(pad, kIdPadConfirm);
                          return true;
                        }});
  ASSERT_EQ(gtk::RunPinPadWindow(presenter, bench.random, kNoTicks, desk), kPinPadConfirmed);
  EXPECT_TRUE(customer.finished());
  EXPECT_EQ(presenter.GetPassword(), "97531086");
  EXPECT_EQ(lengthBox, "無卡提款密碼需為6 至 12碼，請重新輸入");
  EXPECT_EQ(lengthCaption, "DrommelWebATM") << "a box of the pad has no caption of its own";
  EXPECT_EQ(wrongCodeBox, "交易驗證碼錯誤，請重新輸入");
  EXPECT_TRUE(openUnderTheBox);
}

TEST_F(PinPadWindowTest, EnterDoesNothingAndEscCancels) {
  PinPad presenter(PinPadKind::BondingMobileDevice, bench.cardAccess.Seams());
  presenter.readerName = test::kReaderName;
  presenter.pinMode = "1";
  bool cardPinShown = false, openAfterEnter = false;
  GtkCustomer customer({Opened(),
                        [&] {
                          cardPinShown = test::Shown(pad, kIdCardPinDisplay);
                          TypeDigits(pad, "24");
                          PressKey(pad, "Return");  // the focus is on "回主選單"
                          Click(pad, kIdTypedCode);
                          PressKey(pad, "Return");
                          return true;
                        },
                        [&] {
                          openAfterEnter = gtk_widget_get_mapped(GTK_WIDGET(pad));
                          PressKey(pad, "Escape");
                          return true;
                        }});
  EXPECT_EQ(gtk::RunPinPadWindow(presenter, bench.random, kNoTicks, desk), kPinPadCancelled);
  EXPECT_TRUE(cardPinShown);
  EXPECT_TRUE(openAfterEnter);
  EXPECT_EQ(presenter.GetPassword(), "24");
}

TEST_F(PinPadWindowTest, TheCountdownRunsOutOnItsOwnTicks) {
  PinPad presenter(PinPadKind::CIVESKAppCert, bench.cardAccess.Seams());
  presenter.readerName = test::kReaderName;
  presenter.pinMode = "2";
  EXPECT_EQ(gtk::RunPinPadWindow(presenter, bench.random, std::chrono::milliseconds(1), desk), kPinPadTimedOut);
}

TEST(AppConfirmWindow, HintCountdownAccountAndTheThreeEndings) {
  struct Case {
    const char* pinMode;
    std::function<void(GtkWindow*)> act;
    int expected;
    bool hint;
  };
  const std::vector<Case> cases = {
      {"2", [](GtkWindow* d) { Click(d, kIdAppConfirmOk); }, kAppConfirmed, true},
      {"2", [](GtkWindow* d) { Click(d, kIdAppConfirmCancel); }, kAppConfirmCancelled, true},
      {"1", [](GtkWindow* d) { PressKey(d, "Escape"); }, kAppConfirmUnreachable, false},
  };
  for (const Case& c : cases) {
    test::CardBench bench;
    CIVESKAppConfirm presenter(bench.cardAccess.Seams());
    presenter.accountLabel = texts::kCardlessAccountLabel;
    presenter.accountLine = "812/00012345678901";
    presenter.readerName = test::kReaderName;
    presenter.pinMode = c.pinMode;
    presenter.activityTitle = texts::kCardlessApplyCaption;
    GtkWindow* dialog = nullptr;
    bool hintShown = false, hintRed = false;
    std::string countdown, title, label;
    PixelCount account;
    GtkCustomer customer({[&] { return LaidOut(dialog = WindowWith(kIdAccountPicture)); },
                          [&] {
                            hintShown = test::Shown(dialog, kIdAppHint);
                            hintRed = gtk_widget_has_css_class(test::ItemOf(dialog, kIdAppHint), "red");
                            presenter.OnTimer();
                            countdown = ItemText(dialog, kIdAppCountdown);
                            title = ItemText(dialog, kIdActivityTitle);
                            label = ItemText(dialog, kIdAccountLabel);
                            account =
                                CountPixels(Capture(dialog), test::Described(dialog).controls.at(kIdAccountPicture));
                            c.act(dialog);
                            return true;
                          }});
    EXPECT_EQ(gtk::RunAppConfirmWindow(presenter, bench.random, kNoTicks, desk), c.expected) << c.pinMode;
    EXPECT_EQ(hintShown, c.hint) << c.pinMode;
    EXPECT_EQ(hintRed, c.hint) << c.pinMode;
    EXPECT_EQ(countdown, "540") << "the first tick shows the whole time";
    EXPECT_EQ(title, "無卡提款服務申請");
    EXPECT_EQ(label, "Drommel帳號 \nDrommel A/C");
    EXPECT_GT(account.green, 100) << "the account line drawn as a picture";
  }
}

// The mean colour of a picture as gdk-pixbuf decodes it, scaled to a size.
std::uint32_t MeanOfPicture(const char* file, int width, int height) {
  GdkPixbuf* full = gdk_pixbuf_new_from_file(file, nullptr);
  GdkPixbuf* scaled = gdk_pixbuf_scale_simple(full, width, height, GDK_INTERP_BILINEAR);
  long sum[3] = {};
  const int stride = gdk_pixbuf_get_rowstride(scaled), channels = gdk_pixbuf_get_n_channels(scaled);
  const guchar* pixels = gdk_pixbuf_get_pixels(scaled);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      for (int i = 0; i < 3; ++i) sum[i] += pixels[y * stride + x * channels + i];
    }
  }
  g_object_unref(scaled);
  g_object_unref(full);
  const long n = long(width) * height;
  return std::uint32_t(sum[0] / n) << 16 | std::uint32_t(sum[1] / n) << 8 | std::uint32_t(sum[2] / n);
}

std::uint32_t MeanOf(const Capture& capture) {
  long sum[3] = {};
  for (int y = 0; y < capture.height(); ++y) {
    for (int x = 0; x < capture.width(); ++x) {
      const std::uint32_t c = capture.At(x, y);
      sum[0] += R(c), sum[1] += G(c), sum[2] += B(c);
    }
  }
  const long n = long(capture.width()) * capture.height();
  return std::uint32_t(sum[0] / n) << 16 | std::uint32_t(sum[1] / n) << 8 | std::uint32_t(sum[2] / n);
}

int Distance(std::uint32_t a, std::uint32_t b) {
  return std::abs(R(a) - R(b)) + std::abs(G(a) - G(b)) + std::abs(B(a) - B(b));
}

TEST(CardPrompt, ShowsEachStagesPictureAndTakesNoInput) {
  gtk::GtkCardPrompts prompts(desk);
  auto prompt = prompts.Open();
  ASSERT_NE(prompt, nullptr);
  std::vector<std::uint32_t> means;
  for (int stage : {1, 2}) {
    prompt->ShowStage(stage);
    prompts.Sleep(std::chrono::milliseconds(200));
    GtkWindow* window = WindowWith(kIdPromptPictureArea);
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(gtk_window_get_decorated(window)) << "no title bar";
    means.push_back(MeanOf(Capture(window)));
    if (stage == 1) {
      const Capture capture(window);
      const std::uint32_t remove =
          MeanOfPicture(KORVADEN_RESOURCES "/card_prompt_remove.jpg", capture.width(), capture.height());
      const std::uint32_t insert =
          MeanOfPicture(KORVADEN_RESOURCES "/card_prompt_insert.jpg", capture.width(), capture.height());
      EXPECT_LT(Distance(means[0], remove), 12) << std::hex << means[0] << " " << remove;
      EXPECT_GT(Distance(means[0], insert), Distance(means[0], remove));
    }
  }
  EXPECT_LT(Distance(means[1], MeanOfPicture(KORVADEN_RESOURCES "/card_prompt_insert.jpg", 100, 100)), 12);
  prompt.reset();
  EXPECT_EQ(WindowWith(kIdPromptPictureArea), nullptr);
}

TEST(CardPrompt, TheWaitsHoldInputBackFromTheOpenDialog) {
  // A customer who presses "取消", or Esc, while the card prompt is up over
  // the confirmation presses nothing: the flow in the confirmation's "確定"
  // goes on.
  test::CardBench bench;
  CIVESKAppConfirm presenter(bench.cardAccess.Seams());
  presenter.accountLabel = texts::kCardlessAccountLabel;
  presenter.accountLine = "812/00012345678901";
  presenter.readerName = test::kReaderName;
  presenter.pinMode = "2";
  presenter.activityTitle = texts::kCardlessApplyCaption;
  gtk::GtkCardPrompts prompts(desk);
  GtkWindow* dialog = nullptr;
  bool heldBack = false;
  GtkCustomer customer({[&] { return LaidOut(dialog = WindowWith(kIdAccountPicture)); },
                        [&] {
                          auto prompt = prompts.Open();
                          prompt->ShowStage(1);
                          // Beside the dialog, so that the click lands on it.
                          test::MoveWindow(WindowWith(kIdPromptPictureArea), 700, 500);
                          test::ClickWidget(test::ItemOf(dialog, kIdAppConfirmCancel));
                          PressKey(dialog, "Escape");
                          prompts.Sleep(std::chrono::milliseconds(300));
                          heldBack = gtk_widget_get_mapped(GTK_WIDGET(dialog));
                          prompt.reset();
                          Click(dialog, kIdAppConfirmOk);
                          return true;
                        }});
  EXPECT_EQ(gtk::RunAppConfirmWindow(presenter, bench.random, kNoTicks, desk), kAppConfirmed);
  EXPECT_TRUE(heldBack);
}

// Each window's title names the service and the page's origin; the desk
// hears what each window asks while it is open, and nothing after.
TEST(MessageBoxes, UnownedTitledWithTheCaptionTheServiceAndTheOrigin) {
  CustomerDesk asking;
  asking.SetOrigin("https://bank.example:8443");
  std::vector<std::string> told;
  asking.Listen([&told](Asking now) { told.emplace_back(AskingName(now)); });
  std::string caption, text;
  GtkCustomer customer({[&] {
    GtkWindow* box = test::BoxOwnedBy(nullptr);
    if (box == nullptr) return false;
    caption = gtk_window_get_title(box) ?: "";
    text = test::BoxText(box);
    PressKey(box, "Return");
    return true;
  }});
  gtk::GtkMessageBoxes(asking).Show(texts::kCardReadMessage, texts::kCardlessApplyCaption, MessageIcon::Error);
  EXPECT_EQ(caption, "無卡提款服務申請 - DrommelWebATM - https://bank.example:8443");
  EXPECT_EQ(told, (std::vector<std::string>{"message", "nothing"}));
  EXPECT_EQ(text, "卡片資料讀取錯誤，請檢查讀卡機與晶片卡是否有問題。");
}

}  // namespace
}  // namespace korvaden

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (!korvaden::gtk::OpenDisplay()) {
    std::fprintf(stderr, "no display: run under xvfb-run\n");
    return 1;
  }
  return RUN_ALL_TESTS();
}
