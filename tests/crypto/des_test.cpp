#include <gtest/gtest.h>

#include <vector>

#include "crypto/des.h"
#include "support/test_support.h"

namespace korvaden {
namespace {

using test::FromHex;
using Block = std::vector<std::uint8_t>;

Block Encrypt(const Block& key, const Block& iv, const Block& plain) {
  Block out(plain.size());
  EXPECT_TRUE(TripleDesCbcEncrypt(std::span<const std::uint8_t, 16>(key.data(), 16),
                                  std::span<const std::uint8_t, 8>(iv.data(), 8), plain, out));
  return out;
}

Block Decrypt(const Block& key, const Block& iv, const Block& cipher) {
  Block out(cipher.size());
  EXPECT_TRUE(TripleDesCbcDecrypt(std::span<const std::uint8_t, 16>(key.data(), 16),
                                  std::span<const std::uint8_t, 8>(iv.data(), 8), cipher, out));
  return out;
}

// With K1 = K2, EDE collapses to single DES, so single-DES vectors apply.
struct SingleDesVector {
  const char *key, *plain, *cipher;
};

TEST(TripleDes, PublishedSingleDesVectors) {
  const SingleDesVector vectors[] = {
      {"133457799BBCDFF1", "0123456789ABCDEF", "85E813540F0AB405"},  // the classic worked example
      {"0123456789ABCDEF", "4E6F772069732074", "3FA40E8A984D4815"},  // FIPS 81 ECB sample "Now is t"
      {"0101010101010101", "95F8A5E5DD31D900", "8000000000000000"},  // SP 800-17 variable plaintext
      {"8001010101010101", "0000000000000000", "95A8D72813DAA94D"},  // SP 800-17 variable key
  };
  const Block zeroIv(8, 0);
  for (const auto& v : vectors) {
    Block key = FromHex(v.key);
    key.insert(key.end(), key.begin(), key.end());
    EXPECT_EQ(Encrypt(key, zeroIv, FromHex(v.plain)), FromHex(v.cipher)) << v.key;
    EXPECT_EQ(Decrypt(key, zeroIv, FromHex(v.cipher)), FromHex(v.plain)) << v.key;
  }
}

TEST(TripleDes, TwoKeyCbcMatchesOpensslCommandLine) {
  // openssl enc -des-ede-cbc -K 0123456789ABCDEFFEDCBA9876543210 -iv 3237313832383138
  // The 43 characters with their PKCS #7 padding to 48 bytes.
  const std::string text = std::string("The quick brown fox jumps over the lazy dog") + std::string(5, '\x05');
  const Block padded(text.begin(), text.end());
  const Block key = FromHex("0123456789ABCDEFFEDCBA9876543210");
  const Block iv = FromHex("3237313832383138");
  const Block expected =
      FromHex("777768b6f9f48771c0977d2847124eda3dd001a6caad93041ee4ec42e089613277c0a332c60532607f752e4fa3489477");
  EXPECT_EQ(Encrypt(key, iv, padded), expected);
  EXPECT_EQ(Decrypt(key, iv, expected), padded);
}

TEST(TripleDes, RemainderIsLeftUntouchedAndIvOnlyRead) {
  const Block key = FromHex("0123456789ABCDEFFEDCBA9876543210");
  const Block iv = FromHex("1122334455667788");
  const Block ivCopy = iv;
  const Block plain(13, 0x41);
  Block out(13, 0xEE);
  ASSERT_TRUE(TripleDesCbcEncrypt(std::span<const std::uint8_t, 16>(key.data(), 16),
                                  std::span<const std::uint8_t, 8>(iv.data(), 8), plain, out));
  EXPECT_EQ(iv, ivCopy);
  EXPECT_EQ(Block(out.begin(), out.begin() + 8), Encrypt(key, iv, Block(8, 0x41)));
  EXPECT_EQ(Block(out.begin() + 8, out.end()), Block(5, 0xEE));
}

TEST(TripleDes, DecryptsInPlace) {
  const Block key = FromHex("0123456789ABCDEFFEDCBA9876543210");
  const Block iv = FromHex("3237313832383138");
  const Block plain = FromHex("000102030405060708090A0B0C0D0E0F1011121314151617");
  Block data = Encrypt(key, iv, plain);
  ASSERT_TRUE(TripleDesCbcDecrypt(std::span<const std::uint8_t, 16>(key.data(), 16),
                                  std::span<const std::uint8_t, 8>(iv.data(), 8), data, data));
  EXPECT_EQ(data, plain);
}

}  // namespace
}  // namespace korvaden
