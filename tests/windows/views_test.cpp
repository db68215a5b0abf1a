// The Win32 views, opened from the module's templates with their presenters
// and driven from inside their own message loops: what they show (texts read
// back, pixels captured) and what the customer's actions end in.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "screen_customer.h"
#include "support/card_bench.h"
#include "ui/app_confirm.h"
#include "ui/pin_pad.h"
#include "ui/resource_ids.h"
#include "ui/texts.h"
#include "ui/win32/dialog_views.h"
#include "ui/win32/win32_views.h"

namespace korvaden {
namespace {

using test::BoxOwnedBy;
using test::CaptureWindow;
using test::DialogWith;
using test::DigitsOf;
using test::ItemText;
using test::Press;
using test::ScreenCustomer;

HINSTANCE Module() { return GetModuleHandleW(nullptr); }
// The test's windows: a local program's, owned by nobody.
CustomerDesk unsharedDesk;
const ui::WindowPlace& Place() {
  static const ui::WindowPlace place{Module(), nullptr, unsharedDesk};
  return place;
}

int KeyId(int position) { return position == 0 ? kIdKeyPosition0 : kIdKeyPosition1 + position - 1; }

bool IsRed(COLORREF c) { return GetRValue(c) > 190 && GetGValue(c) < 70 && GetBValue(c) < 70; }
bool IsTextGreen(COLORREF c) {
  return GetRValue(c) < 90 && GetGValue(c) >= 40 && GetGValue(c) < 150 && GetBValue(c) < 90;
}
bool IsWhite(COLORREF c) { return c == RGB(255, 255, 255); }

// The client area of control `id` in the dialog's capture.
RECT ClientOf(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  RECT client;
  GetClientRect(control, &client);
  MapWindowPoints(control, dialog, reinterpret_cast<POINT*>(&client), 2);
  return client;
}

struct PixelCount {
  int green = 0, other = 0;
};
PixelCount CountPixels(const test::Capture& capture, const RECT& area) {
  PixelCount count;
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) {
      const COLORREF c = capture.At(x, y);
      if (IsTextGreen(c)) {
        ++count.green;
      } else if (!IsWhite(c)) {
        ++count.other;
      }
    }
  }
  return count;
}

// The edges of a field display: red when it is the active one (but where the
// noise drawn after the frame covers them).
bool FramedRed(const test::Capture& capture, const RECT& display) {
  int red = 0, all = 0;
  for (int y = display.top; y < display.bottom; ++y, all += 2) {
    red += IsRed(capture.At(display.left, y)) + IsRed(capture.At(display.right - 1, y));
  }
  for (int x = display.left; x < display.right; ++x, all += 2) {
    red += IsRed(capture.At(x, display.top)) + IsRed(capture.At(x, display.bottom - 1));
  }
  return red * 10 >= all * 8;
}

// Presses the keys that show `digits`.
void TypeDigits(HWND dialog, std::string_view digits) {
  for (const char digit : digits) {
    for (int k = 0; k < 10; ++k) {
      if (DigitsOf(GetDlgItem(dialog, KeyId(k))) == std::string(1, digit)) Press(dialog, KeyId(k));
    }
  }
}

TEST(Templates, TextsComeOutAsTheCoresBig5) {
  HWND dialog = CreateDialogParamW(
      Module(), MAKEINTRESOURCEW(kIdAppConfirmDialog), nullptr,
      [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(ItemText(dialog, kIdAccountLabel), texts::kReissueAccountLabel);
  DestroyWindow(dialog);

  HWND prompt = CreateDialogParamW(
      Module(), MAKEINTRESOURCEW(kIdCardPromptDialog), nullptr,
      [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
  ASSERT_NE(prompt, nullptr);
  RECT client, area;
  GetClientRect(prompt, &client);
  area = ClientOf(prompt, kIdPromptPictureArea);
  EXPECT_NE(GetWindowLongW(prompt, GWL_STYLE) & WS_CAPTION, WS_CAPTION) << "no caption";
  EXPECT_NE(GetWindowLongW(prompt, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  EXPECT_GE(area.right, client.right) << "the frame covers the client area";
  EXPECT_GE(area.bottom, client.bottom) << "the frame covers the client area";
  DestroyWindow(prompt);
}

TEST(TransferDialog, OnlyAPressOfConfirmConfirms) {
  const TransferConfirmation confirmation{"1234567890123456", "81200000123", "100"};
  struct Case {
    const char* what;
    std::function<void(HWND)> act;
    int expected;
  };
  const std::vector<Case> cases = {
      {"確定 (Y)", [](HWND d) { Press(d, IDCANCEL); }, kTransferConfirmed},
      {"取消 (N)", [](HWND d) { Press(d, IDOK); }, kTransferCancelled},
      {"Esc", [](HWND d) { PostMessageW(GetFocus() ? GetFocus() : d, WM_KEYDOWN, VK_ESCAPE, 0); }, kTransferCancelled},
      {"closing", [](HWND d) { PostMessageW(d, WM_CLOSE, 0, 0); }, kTransferCancelled},
  };
  for (const Case& c : cases) {
    std::string shown;
    HWND dialog = nullptr;
    ScreenCustomer customer({[&] { return (dialog = DialogWith(kIdAmountText)) != nullptr; },
                             [&] {
                               shown = ItemText(dialog, kIdTransferorText) + "/" + ItemText(dialog, kIdTransfereeText) +
                                       "/" + ItemText(dialog, kIdAmountText);
                               c.act(dialog);
                               return true;
                             }});
    EXPECT_EQ(ui::RunTransferDialog(Place(), confirmation), c.expected) << c.what;
    EXPECT_EQ(shown, "1234567890123456/81200000123/100") << c.what;
  }
}

class PinPadDialogTest : public ::testing::Test {
 protected:
  test::CardBench bench;
  HWND dialog = nullptr;
  ScreenCustomer::Step Opened() {
    return [this] { return (dialog = DialogWith(kIdCodeImage)) != nullptr; };
  }
};

TEST_F(PinPadDialogTest, ShowsShuffledKeysTheCodeAndTheActiveField) {
  PinPad pad(PinPadKind::CIVESKAppCert, bench.cardAccess.Seams());
  pad.readerName = test::kReaderName;
  pad.pinMode = "2";
  std::set<std::string> digits;
  std::vector<std::string> countdown;
  bool frameOnPassword = false, frameOnConfirm = true, cardPinHidden = false;
  PixelCount code, keyFace;
  std::string codeShown;
  ScreenCustomer customer({Opened(),
                           [&] {
                             for (int k = 0; k < 10; ++k) digits.insert(DigitsOf(GetDlgItem(dialog, KeyId(k))));
                             codeShown = DigitsOf(GetDlgItem(dialog, kIdCodeImage));
                             cardPinHidden = !IsWindowVisible(GetDlgItem(dialog, kIdCardPinDisplay)) &&
                                             !IsWindowVisible(GetDlgItem(dialog, kIdCardPinCaption));
                             for (int tick = 0; tick < 3; ++tick) {
                               SendMessageW(dialog, WM_TIMER, 1, 0);
                               countdown.push_back(ItemText(dialog, kIdPadCountdown));
                             }
                             PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(kIdPasswordDisplay, STN_CLICKED),
                                          reinterpret_cast<LPARAM>(GetDlgItem(dialog, kIdPasswordDisplay)));
                             return true;
                           },
                           [&] {
                             RedrawWindow(dialog, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
                             const test::Capture capture = CaptureWindow(dialog);
                             frameOnPassword = FramedRed(capture, ClientOf(dialog, kIdPasswordDisplay));
                             frameOnConfirm = FramedRed(capture, ClientOf(dialog, kIdConfirmDisplay));
                             code = CountPixels(capture, ClientOf(dialog, kIdCodeImage));
                             keyFace = CountPixels(capture, ClientOf(dialog, KeyId(0)));
                             Press(dialog, IDCANCEL);
                             return true;
                           }});
  EXPECT_EQ(ui::RunPinPadDialog(Place(), pad, bench.random), kPinPadCancelled);
  EXPECT_EQ(digits.size(), 10u);
  EXPECT_EQ(digits.count(""), 0u);
  EXPECT_EQ(codeShown.size(), 6u);
  EXPECT_EQ(countdown, (std::vector<std::string>{"540", "539", "538"}));
  EXPECT_TRUE(cardPinHidden);
  EXPECT_TRUE(frameOnPassword);
  EXPECT_FALSE(frameOnConfirm);
  EXPECT_GT(code.green, 60) << "the six digits";
  EXPECT_GT(code.other, 40) << "the noise";
  EXPECT_GT(keyFace.green, 10) << "the key's caption";
}

// Owned by the window the browser named, titled with the page's origin; the
// desk hears the pad, each box over it, and the pad again.
TEST_F(PinPadDialogTest, TypedPasswordAndCodeConfirm) {
  PinPad pad(PinPadKind::CardLessApply, bench.cardAccess.Seams());
  pad.readerName = test::kReaderName;
  pad.pinMode = "2";
  HWND browser =
      CreateWindowW(L"STATIC", L"browser", WS_OVERLAPPEDWINDOW, 0, 0, 800, 600, nullptr, nullptr, Module(), nullptr);
  ASSERT_NE(browser, nullptr);
  CustomerDesk desk;
  desk.SetOrigin("https://bank.example");
  std::vector<std::string> told;
  desk.Listen([&told](Asking now) { told.emplace_back(AskingName(now)); });
  const ui::WindowPlace place{Module(), browser, desk};
  HWND owner = nullptr;
  std::string title;
  std::string wrongCodeBox, lengthBox, lengthCaption = "unread";
  ScreenCustomer customer({Opened(),
                           [&] {
                             owner = GetWindow(dialog, GW_OWNER);
                             title = test::TextOf(dialog);
                             Press(dialog, kIdPadConfirm);  // nothing typed
                             return true;
                           },
                           [&] {
                             HWND box = BoxOwnedBy(dialog);
                             if (box == nullptr) return false;
                             lengthBox = screen::ChildTexts(box);
                             lengthCaption = test::TextOf(box);
                             PostMessageW(box, WM_COMMAND, IDOK, 0);
                             return true;
                           },
                           [&] {
                             if (BoxOwnedBy(dialog) != nullptr) return false;
                             TypeDigits(dialog, "97531086");
                             PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(kIdCardlessConfirmDisplay, STN_CLICKED),
                                          reinterpret_cast<LPARAM>(GetDlgItem(dialog, kIdCardlessConfirmDisplay)));
                             return true;
                           },
                           [&] {
                             TypeDigits(dialog, "97531086");
                             // Into the code field after the keys above: the focus moves in turn.
                             PostMessageW(dialog, WM_NEXTDLGCTL,
                                          reinterpret_cast<WPARAM>(GetDlgItem(dialog, kIdTypedCode)), TRUE);
                             const std::string code = DigitsOf(GetDlgItem(dialog, kIdCodeImage));
                             TypeDigits(dialog, code.substr(0, 5) + (code[5] == '0' ? "1" : "0"));
                             Press(dialog, kIdPadConfirm);
                             return true;
                           },
                           [&] {
                             HWND box = BoxOwnedBy(dialog);
                             if (box == nullptr) return false;
                             wrongCodeBox = screen::ChildTexts(box);
                             PostMessageW(box, WM_COMMAND, IDOK, 0);
                             return true;
                           },
                           [&] {
                             if (BoxOwnedBy(dialog) != nullptr || !IsWindowVisible(dialog)) return false;
                             TypeDigits(dialog, DigitsOf(GetDlgItem(dialog, kIdCodeImage)));
                             Press(dialog, kIdPadConfirm);
                             return true;
                           }});
  ASSERT_EQ(ui::RunPinPadDialog(place, pad, bench.random), kPinPadConfirmed);
  DestroyWindow(browser);
  EXPECT_TRUE(customer.finished());
  EXPECT_EQ(pad.GetPassword(), "97531086");
  EXPECT_EQ(owner, browser);
  EXPECT_EQ(title, "DrommelWebATM - https://bank.example");
  EXPECT_EQ(told, (std::vector<std::string>{"pad", "message", "pad", "message", "pad", "nothing"}));
  EXPECT_NE(lengthBox.find(texts::kCardlessLengthWrong), std::string::npos) << lengthBox;
  EXPECT_EQ(lengthCaption, "DrommelWebATM - https://bank.example") << "a box of the pad: no caption of its own";
  EXPECT_NE(wrongCodeBox.find(texts::kCodeWrong), std::string::npos) << wrongCodeBox;
}

TEST_F(PinPadDialogTest, EscCancels) {
  PinPad pad(PinPadKind::BondingMobileDevice, bench.cardAccess.Seams());
  pad.readerName = test::kReaderName;
  pad.pinMode = "1";
  bool cardPinShown = false;
  ScreenCustomer customer({Opened(), [&] {
                             cardPinShown = IsWindowVisible(GetDlgItem(dialog, kIdCardPinDisplay)) != 0;
                             PostMessageW(GetFocus() ? GetFocus() : dialog, WM_KEYDOWN, VK_ESCAPE, 0);
                             return true;
                           }});
  EXPECT_EQ(ui::RunPinPadDialog(Place(), pad, bench.random), kPinPadCancelled);
  EXPECT_TRUE(cardPinShown);
}

TEST_F(PinPadDialogTest, EnterDoesNothing) {
  // It used to send the hidden OK command: the request ended with 1 and
  // everything typed was lost.
  PinPad pad(PinPadKind::CIVESKAppCert, bench.cardAccess.Seams());
  pad.readerName = test::kReaderName;
  pad.pinMode = "2";
  bool openAfterEnter = false;
  ScreenCustomer customer({Opened(),
                           [&] {
                             TypeDigits(dialog, "24");
                             return true;
                           },
                           [&] {
                             for (HWND focus : {GetDlgItem(dialog, KeyId(3)), GetDlgItem(dialog, kIdTypedCode)}) {
                               SetFocus(focus);
                               PostMessageW(focus, WM_KEYDOWN, VK_RETURN, 0);
                               PostMessageW(focus, WM_KEYUP, VK_RETURN, 0);
                             }
                             return true;
                           },
                           [&] {
                             openAfterEnter = IsWindowVisible(dialog) != 0;
                             Press(dialog, IDCANCEL);
                             return true;
                           }});
  EXPECT_EQ(ui::RunPinPadDialog(Place(), pad, bench.random), kPinPadCancelled);
  EXPECT_TRUE(openAfterEnter);
  EXPECT_EQ(pad.GetPassword(), "24");
}

TEST_F(PinPadDialogTest, TheCountdownStopsWhenItEndsTheDialogUnderABox) {
  // Ticks that came while a box of the pad was still open each slept a
  // second on the page's thread.
  PinPad pad(PinPadKind::CIVESKAppCert, bench.cardAccess.Seams());
  pad.readerName = test::kReaderName;
  pad.pinMode = "2";
  ScreenCustomer customer({Opened(),
                           [&] {
                             Press(dialog, kIdPadConfirm);  // nothing typed: a box
                             return true;
                           },
                           [&] {
                             HWND box = BoxOwnedBy(dialog);
                             if (box == nullptr) return false;
                             for (int tick = 0; tick < 545; ++tick) SendMessageW(dialog, WM_TIMER, 1, 0);
                             PostMessageW(box, WM_COMMAND, IDOK, 0);
                             return true;
                           }});
  EXPECT_EQ(ui::RunPinPadDialog(Place(), pad, bench.random), kPinPadTimedOut);
  EXPECT_EQ(bench.sleeper.total, std::chrono::milliseconds(1000)) << "the last tick's second, once";
}

TEST(AnyCodePage, TheCoresBig5ReachesTheScreenAsItsCharacters) {
  // Read back as UTF-16 and compared with the characters themselves, so that
  // this holds on a Windows of any system code page.
  std::printf("system code page %u\n", GetACP());
  test::CardBench bench;
  PinPad pad(PinPadKind::CIVESKAppCert, bench.cardAccess.Seams());
  pad.readerName = test::kReaderName;
  pad.pinMode = "2";
  HWND dialog = nullptr;
  std::wstring box, caption = L"unread";
  ScreenCustomer customer({[&] { return (dialog = DialogWith(kIdCodeImage)) != nullptr; },
                           [&] {
                             Press(dialog, kIdPadConfirm);
                             return true;
                           },
                           [&] {
                             HWND shown = BoxOwnedBy(dialog);
                             if (shown == nullptr) return false;
                             wchar_t text[256] = {};
                             GetDlgItemTextW(shown, 0xFFFF, text, 256);
                             box = text;
                             GetWindowTextW(shown, text, 256);
                             caption = text;
                             PostMessageW(shown, WM_COMMAND, IDOK, 0);
                             return true;
                           },
                           [&] {
                             if (BoxOwnedBy(dialog) != nullptr) return false;
                             Press(dialog, IDCANCEL);
                             return true;
                           }});
  EXPECT_EQ(ui::RunPinPadDialog(Place(), pad, bench.random), kPinPadCancelled);
  EXPECT_EQ(box, L"\u6191\u8b49\u4e0b\u8f09\u5bc6\u78bc\u4e0d\u8db36\u78bc\uff0c\u8acb\u91cd\u65b0\u8f38\u5165");
  EXPECT_EQ(caption, L"DrommelWebATM") << "a box of the pad: no caption of its own";

  CIVESKAppConfirm presenter(bench.cardAccess.Seams());
  presenter.accountLabel = texts::kReissueAccountLabel;
  presenter.accountLine = "812/00012345678901";
  presenter.readerName = test::kReaderName;
  presenter.pinMode = "2";
  presenter.activityTitle = texts::kReissueCaption;
  std::wstring label, title;
  ScreenCustomer confirming({[&] { return (dialog = DialogWith(kIdAccountPicture)) != nullptr; },
                             [&] {
                               wchar_t text[256] = {};
                               GetDlgItemTextW(dialog, kIdAccountLabel, text, 256);
                               label = text;
                               GetDlgItemTextW(dialog, kIdActivityTitle, text, 256);
                               title = text;
                               Press(dialog, kIdAppConfirmCancel);
                               return true;
                             }});
  EXPECT_EQ(ui::RunAppConfirmDialog(Place(), presenter, bench.random), kAppConfirmCancelled);
  EXPECT_EQ(label, L"\u7db2\u8defDrommel\u5e33\u865f \r\niVesk A/C");
  EXPECT_EQ(title, L"\u88dc\u767cLunvar\u6191\u8b49");
}

TEST(AppConfirmDialog, HintCountdownAccountAndTheThreeEndings) {
  struct Case {
    const char* pinMode;
    std::function<void(HWND)> act;
    int expected;
    bool hint;
  };
  const std::vector<Case> cases = {
      {"2", [](HWND d) { Press(d, kIdAppConfirmOk); }, kAppConfirmed, true},
      {"2", [](HWND d) { Press(d, kIdAppConfirmCancel); }, kAppConfirmCancelled, true},
      {"1", [](HWND d) { PostMessageW(GetFocus() ? GetFocus() : d, WM_KEYDOWN, VK_ESCAPE, 0); }, kAppConfirmUnreachable,
       false},
  };
  for (const Case& c : cases) {
    test::CardBench bench;
    CIVESKAppConfirm presenter(bench.cardAccess.Seams());
    presenter.accountLabel = texts::kCardlessAccountLabel;
    presenter.accountLine = "812/00012345678901";
    presenter.readerName = test::kReaderName;
    presenter.pinMode = c.pinMode;
    presenter.activityTitle = "Activity";
    HWND dialog = nullptr;
    bool hintShown = false;
    std::string countdown, title;
    PixelCount account;
    ScreenCustomer customer({[&] { return (dialog = DialogWith(kIdAccountPicture)) != nullptr; },
                             [&] {
                               hintShown = IsWindowVisible(GetDlgItem(dialog, kIdAppHint)) != 0;
                               SendMessageW(dialog, WM_TIMER, 1, 0);
                               countdown = ItemText(dialog, kIdAppCountdown);
                               title = ItemText(dialog, kIdActivityTitle);
                               RedrawWindow(dialog, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
                               account = CountPixels(CaptureWindow(dialog), ClientOf(dialog, kIdAccountPicture));
                               c.act(dialog);
                               return true;
                             }});
    EXPECT_EQ(ui::RunAppConfirmDialog(Place(), presenter, bench.random), c.expected) << c.pinMode;
    EXPECT_EQ(hintShown, c.hint) << c.pinMode;
    EXPECT_EQ(countdown, "540");
    EXPECT_EQ(title, "Activity");
    EXPECT_GT(account.green, 100) << "the account line drawn as a picture";
  }
}

TEST(CardPrompt, PicturesAtTheirStagesRepaintedWithoutInput) {
  ui::Win32CardPrompts prompts(Place());
  auto prompt = prompts.Open();
  ASSERT_NE(prompt, nullptr);
  HWND window = DialogWith(kIdPromptPictureArea);
  ASSERT_NE(window, nullptr);
  RECT client;
  GetClientRect(window, &client);
  // Where the pictures differ: the card lies further right in picture 248.
  const int cardX = 125 * client.right / 450, cardY = 30 * client.bottom / 95;
  const int caseX = 20 * client.right / 450, caseY = 70 * client.bottom / 95;
  prompt->ShowStage(1);
  const test::Capture first = CaptureWindow(window);
  prompt->ShowStage(2);
  const test::Capture second = CaptureWindow(window);
  EXPECT_LT(GetRValue(first.At(cardX, cardY)), 232) << "the card, picture 248";
  EXPECT_GT(GetRValue(second.At(cardX, cardY)), 232) << "the background, picture 249";
  for (const test::Capture* capture : {&first, &second}) {
    EXPECT_LT(GetRValue(capture->At(caseX, caseY)), 100) << "the card case";
    EXPECT_GT(GetBValue(capture->At(caseX, caseY)), 110) << "the card case";
  }

  // Uncovered, it repaints during the waits; input waits for the step to end.
  InvalidateRect(window, nullptr, FALSE);
  PostMessageW(window, WM_KEYDOWN, VK_SPACE, 0);
  prompts.Sleep(std::chrono::milliseconds(120));
  RECT pending;
  EXPECT_FALSE(GetUpdateRect(window, &pending, FALSE)) << "painted";
  MSG input;
  EXPECT_TRUE(PeekMessageW(&input, window, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE)) << "input left alone";
  EXPECT_GT(GetRValue(CaptureWindow(window).At(cardX, cardY)), 232);
}

// What clips in `window`: each shown control whose rectangle leaves the
// client area, as "ID (left,top)-(right,bottom)"; and "window" when the window
// does not lie wholly in the work area.
std::string Clipped(HWND window) {
  struct Search {
    HWND dialog;
    RECT client;
    std::string clipped;
  } search{window, {}, {}};
  GetClientRect(window, &search.client);
  EnumChildWindows(
      window,
      [](HWND control, LPARAM data) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(data);
        if (!IsWindowVisible(control) || GetParent(control) != s.dialog) return TRUE;
        RECT place;
        GetWindowRect(control, &place);
        MapWindowPoints(nullptr, s.dialog, reinterpret_cast<POINT*>(&place), 2);
        if (place.left < 0 || place.top < 0 || place.right > s.client.right || place.bottom > s.client.bottom) {
          s.clipped += std::to_string(GetDlgCtrlID(control)) + " (" + std::to_string(place.left) + "," +
                       std::to_string(place.top) + ")-(" + std::to_string(place.right) + "," +
                       std::to_string(place.bottom) + ") ";
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  RECT work, frame;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  GetWindowRect(window, &frame);
  if (frame.left < work.left || frame.top < work.top || frame.right > work.right || frame.bottom > work.bottom) {
    search.clipped +=
        "window (" + std::to_string(frame.right - frame.left) + "x" + std::to_string(frame.bottom - frame.top) + ") ";
  }
  return search.clipped;
}

// At the display's DPI (96 here, 192 in the large-text run), every window
// opens wholly in the work area with each control inside its client area.
TEST(Layout, EveryWindowHoldsItsControlsOnTheScreen) {
  HDC screen = GetDC(nullptr);
  std::printf("display DPI %d\n", GetDeviceCaps(screen, LOGPIXELSX));
  ReleaseDC(nullptr, screen);
  std::map<std::string, std::string> clipped;
  const auto inspect = [&clipped](const char* name, int id) {
    return [&clipped, name, id] {
      HWND dialog = DialogWith(id);
      if (dialog == nullptr) return false;
      clipped[name] = Clipped(dialog);
      PostMessageW(dialog, WM_CLOSE, 0, 0);
      return true;
    };
  };
  {
    ScreenCustomer customer({inspect("transfer confirmation", kIdAmountText)});
    ui::RunTransferDialog(Place(), {"1234567890123456", "81200000123", "100"});
  }
  for (const PinPadKind kind :
       {PinPadKind::CIVESKAppCert, PinPadKind::CardLessApply, PinPadKind::BondingMobileDevice}) {
    test::CardBench bench;
    PinPad pad(kind, bench.cardAccess.Seams());
    pad.readerName = test::kReaderName;
    pad.pinMode = "2";
    const std::string name = "PIN pad " + std::to_string(pad.profile().resource);
    ScreenCustomer customer({inspect(name.c_str(), kIdCodeImage)});
    ui::RunPinPadDialog(Place(), pad, bench.random);
  }
  {
    test::CardBench bench;
    CIVESKAppConfirm presenter(bench.cardAccess.Seams());
    presenter.accountLabel = texts::kCardlessAccountLabel;
    presenter.accountLine = "812/00012345678901";
    presenter.readerName = test::kReaderName;
    presenter.pinMode = "2";
    presenter.activityTitle = "Activity";
    ScreenCustomer customer({inspect("service confirmation", kIdAccountPicture)});
    ui::RunAppConfirmDialog(Place(), presenter, bench.random);
  }
  {
    ui::Win32CardPrompts prompts(Place());
    auto prompt = prompts.Open();
    ASSERT_NE(prompt, nullptr);
    prompt->ShowStage(1);
    clipped["card prompt"] = Clipped(DialogWith(kIdPromptPictureArea));
  }
  ASSERT_EQ(clipped.size(), 6u);
  for (const auto& [name, what] : clipped) EXPECT_EQ(what, "") << name;
}

}  // namespace
}  // namespace korvaden
