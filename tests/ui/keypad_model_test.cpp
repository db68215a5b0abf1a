#include <gtest/gtest.h>

#include <set>

#include "crypto/random.h"
#include "support/test_support.h"
#include "ui/keypad_model.h"
#include "ui/verification_code.h"

namespace korvaden {
namespace {

TEST(Keypad, ShowsEveryDigitOnceAndDecodesWhatWasShown) {
  SystemRandom random;
  for (int round = 0; round < 20; ++round) {
    CVKB keypad(random);
    keypad.Shuffle();
    std::set<char> shown;
    std::set<std::string> tokens;
    for (std::size_t k = 0; k < kKeypadPositions; ++k) {
      shown.insert(keypad.DigitAt(k));
      tokens.insert(keypad.TokenAt(k));
      EXPECT_EQ(keypad.TokenAt(k).size(), kTokenLength);
    }
    EXPECT_EQ(shown.size(), 10u);
    EXPECT_EQ(tokens.size(), 10u);
    for (std::size_t a = 0; a < kKeypadPositions; ++a) {
      for (std::size_t b = 0; b < kKeypadPositions; ++b) {
        const std::string expected{keypad.DigitAt(a), keypad.DigitAt(b)};
        ASSERT_EQ(keypad.DecodeTokens(keypad.TokenAt(a) + keypad.TokenAt(b)).view(), expected);
      }
    }
  }
}

TEST(Keypad, ShownTableFollowsTheDraw) {
  // The first draw picks the shown table: 4 % 4 = 0 ... 7 % 4 = 3; every table decodes.
  for (std::uint8_t first = 4; first < 8; ++first) {
    std::deque<std::uint8_t> numbers(24, 0x11);
    numbers.push_back(first);
    for (int t = 0; t < 4; ++t) {
      for (int d = 0; d < 10; ++d) numbers.push_back(static_cast<std::uint8_t>((d + 3 * t) % 10));
    }
    test::ScriptedRandom random(numbers);
    CVKB keypad(random);
    keypad.Shuffle();
    const int table = first % 4;
    EXPECT_EQ(keypad.DigitAt(0), static_cast<char>('0' + (3 * table) % 10));
    EXPECT_EQ(keypad.DecodeTokens(keypad.TokenAt(0)).view(), std::string(1, keypad.DigitAt(0)));
  }
}

TEST(Keypad, TokensBelongToTheirKeypad) {
  SystemRandom random;
  CVKB one(random), other(random);
  one.Shuffle();
  other.Shuffle();
  std::string typed, expected;
  for (std::size_t k = 0; k < kKeypadPositions; ++k) {
    EXPECT_NE(one.TokenAt(k), other.TokenAt(k));
    typed += one.TokenAt(k);
    expected += one.DigitAt(k);
  }
  EXPECT_EQ(one.DecodeTokens(typed).view(), expected);
  EXPECT_EQ(other.DecodeTokens(typed).view(), "") << "another keypad's tokens are no digits at all";
  EXPECT_EQ(one.DecodeTokens(other.TokenAt(0) + one.TokenAt(1) + std::string(kTokenLength, 'F')).view(),
            std::string(1, one.DigitAt(1)));
  EXPECT_EQ(one.DecodeTokens(typed.substr(0, typed.size() - kTokenLength)).view(), expected.substr(0, 9));
  EXPECT_TRUE(one.DecodeTokens("").empty());
}

TEST(Keypad, AFailingGeneratorCannotHangTheDialog) {
  test::ScriptedRandom failing;  // gives 0, as RandomNumber does when the generator fails
  CVKB keypad(failing);
  keypad.Shuffle();
  std::set<char> shown;
  for (std::size_t k = 0; k < kKeypadPositions; ++k) shown.insert(keypad.DigitAt(k));
  EXPECT_EQ(shown.size(), 10u);
  EXPECT_EQ(MakeCode(failing, 6), "012345");
}

TEST(VerificationCode, SixDistinctDigits) {
  SystemRandom random;
  for (int round = 0; round < 200; ++round) {
    const std::string code = MakeCode(random, 6);
    ASSERT_EQ(code.size(), 6u);
    EXPECT_EQ(std::set<char>(code.begin(), code.end()).size(), 6u) << code;
    EXPECT_EQ(code.find_first_not_of("0123456789"), std::string::npos);
  }
  // The first candidate of position 0 is always replaced: 9 % 6 = 3 is dropped, 17 % 10 = 7 kept.
  test::ScriptedRandom scripted({9, 17, 8, 8, 2, 0, 1, 5, 4});
  EXPECT_EQ(MakeCode(scripted, 6).substr(0, 2), "72");  // 8 % 6 = 2 for position 1
}

}  // namespace
}  // namespace korvaden
