#include <gtest/gtest.h>

#include "base/hex.h"
#include "card/ebcdic.h"

namespace korvaden {
namespace {

// Expected bytes from: printf TEXT | iconv -f ASCII -t IBM1047 | xxd -p
TEST(Ebcdic, AgreesWithCodePage1047) {
  EXPECT_EQ(BytesToHex(AsciiToEbcdic("P611AD")), "D7F6F1F1C1C4");
  EXPECT_EQ(BytesToHex(AsciiToEbcdic("0123456789ABCDEFGHIJ")), "F0F1F2F3F4F5F6F7F8F9C1C2C3C4C5C6C7C8C9D1");
}

TEST(Ebcdic, PackingGivesBcdForDigits) {
  EXPECT_EQ(BytesToHex(PackDigitsField("20230731123456", 14)), "20230731123456");
  EXPECT_EQ(BytesToHex(PackDigitsField("1234", 4)), "1234");
  EXPECT_EQ(BytesToHex(PackDigitsField("123", 6)), "123000");  // a short text ends in zero nibbles
  EXPECT_EQ(BytesToHex(PackDigitsField("P611AD", 6)), "761114");
  const std::uint8_t odd[] = {0xF1, 0xF2, 0xF3};
  EXPECT_EQ(BytesToHex(PackNibblePairs(odd)), "12");
}

TEST(Ebcdic, FieldsAreZeroFilledAfterAShortText) {
  EXPECT_EQ(BytesToHex(EbcdicField("1234", 8)), "F1F2F3F400000000");
  EXPECT_EQ(BytesToHex(EbcdicField("123456789", 8)), "F1F2F3F4F5F6F7F8");
}

}  // namespace
}  // namespace korvaden
