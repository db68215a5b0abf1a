#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "base/hex.h"
#include "crypto/base64.h"
#include "crypto/mac.h"
#include "crypto/random.h"
#include "support/test_support.h"

namespace korvaden {
namespace {

std::vector<std::uint8_t> Sequence(std::size_t n) {
  std::vector<std::uint8_t> bytes(n);
  std::iota(bytes.begin(), bytes.end(), 0);
  return bytes;
}

TEST(Base64, LineFeedsAfterEvery64CharactersAndAtTheEnd) {
  EXPECT_EQ(base64Encode(Sequence(3)), "AAEC\n");
  EXPECT_EQ(base64Encode(Sequence(48)).size(), 65u);
  EXPECT_EQ(base64Encode(Sequence(48)).find('\n'), 64u);
  // openssl base64 of the bytes 0..48
  EXPECT_EQ(base64Encode(Sequence(49)), "AAECAwQFBgcICQoLDA0ODxAREhMUFRYXGBkaGxwdHh8gISIjJCUmJygpKissLS4v\nMA==\n");
  const std::string mac = base64Encode(Sequence(20));
  EXPECT_EQ(mac.size(), 29u);
  EXPECT_EQ(mac.back(), '\n');
  const std::string long_text = base64Encode(Sequence(128));
  EXPECT_EQ(long_text.size(), 64u + 1 + 64 + 1 + 44 + 1);
}

TEST(Base64, DecodesWithAndWithoutLineFeeds) {
  const auto bytes = [](std::size_t n) {
    const auto sequence = Sequence(n);
    return SecureBytes(sequence.begin(), sequence.end());
  };
  const SecureBytes expected = bytes(49);
  EXPECT_EQ(base64Decode("AAECAwQFBgcICQoLDA0ODxAREhMUFRYXGBkaGxwdHh8gISIjJCUmJygpKissLS4v\nMA==\n"), expected);
  EXPECT_EQ(base64Decode("AAECAwQFBgcICQoLDA0ODw=="), bytes(16));
  EXPECT_EQ(base64Decode(base64Encode(Sequence(200))), bytes(200));
}

TEST(MessageMac, MatchesOpensslCommandLine) {
  // openssl dgst -sha1 -mac HMAC -macopt hexkey:000102030405060708090a0b0c0d0e0f
  const std::string window = "</tx_code><session_id>ABCDEFGHIJKLMNOPQ";
  const auto key = Sequence(16);
  EXPECT_EQ(BytesToHex(MacMsg({reinterpret_cast<const std::uint8_t*>(window.data()), window.size()}, key)),
            "ED96E38FED2C511BC692E6C6AC576396C99522D8");
  EXPECT_TRUE(MacMsg(key, Sequence(15)).empty());
}

TEST(MessageMac, CoversOnlyCharacters32To61) {
  const std::string key = "AAECAwQFBgcICQoLDA0ODw==";
  const std::string window = "</tx_code><session_id>ABCDEFGH";
  const std::string document = std::string(32, '.') + window + "IJKLMNOPQ</session_id>";
  // openssl dgst -sha1 -mac HMAC -macopt hexkey:00..0f -binary | openssl base64, over the window alone
  EXPECT_EQ(ComputeMessageMac(document, key), "JuIdJalBj+KxSFfdXidJaqiiH+0=\n");
  EXPECT_EQ(ComputeMessageMac(std::string(32, 'y') + window + "anything else", key), ComputeMessageMac(document, key));
  EXPECT_NE(ComputeMessageMac(std::string(32, 'y') + "X" + window.substr(1), key), ComputeMessageMac(document, key));
}

TEST(MessageMac, ShortTextsAndNulEndTheWindow) {
  const std::string key = "AAECAwQFBgcICQoLDA0ODw==";
  const std::string empty_window_mac = base64Encode(MacMsg({}, Sequence(16)));
  EXPECT_EQ(ComputeMessageMac("short", key), empty_window_mac);
  std::string with_nul = std::string(32, 'a') + "abc";
  with_nul += '\0';
  with_nul += "ignored";
  EXPECT_EQ(ComputeMessageMac(with_nul, key), ComputeMessageMac(std::string(32, 'b') + "abc", key));
  EXPECT_EQ(ComputeMessageMac("anything", "AAEC"), "");  // a key of 3 bytes is unusable
}

TEST(Hex, PairsTextsAndBytes) {
  EXPECT_EQ(HexPairToByte('a', 'f'), 0xAF);
  EXPECT_EQ(HexPairToByte('G', '1'), 0x01);
  std::uint8_t two[2] = {};
  HexToBytes("1001", 4, two);
  EXPECT_EQ(two[0], 0x10);
  EXPECT_EQ(two[1], 0x01);
  std::uint8_t odd[2] = {};
  HexToBytes("123", 3, odd);  // the NUL after the text counts as 0
  EXPECT_EQ(odd[1], 0x30);
  HexToBytes("12345", 3, odd);  // an odd count takes the next character as low digit
  EXPECT_EQ(odd[1], 0x34);
  std::uint8_t guard[3] = {0, 0, 0xEE};
  HexToBytes("AABBCCDD", 8, std::span(guard, 2));
  EXPECT_EQ(guard[2], 0xEE);
  const std::uint8_t bytes[] = {0x3B, 0x0A};
  EXPECT_EQ(BytesToHex(bytes), "3B0A");
  EXPECT_EQ(BytesToHex({}), "");
}

TEST(Random, SessionKeyCharactersComeFromTheSystemGenerator) {
  SystemRandom random;
  int distinct = 0;
  std::vector<bool> seen(256);
  for (int i = 0; i < 2000; ++i) {
    const std::uint8_t n = random.RandomNumber();
    if (!seen[n]) ++distinct;
    seen[n] = true;
  }
  EXPECT_GT(distinct, 200);  // 2000 draws of a uniform byte leave almost none unseen
}

}  // namespace
}  // namespace korvaden
