#include <gtest/gtest.h>

#include <algorithm>

#include "base/hex.h"
#include "crypto/deployment_keys.h"
#include "crypto/param_blocks.h"
#include "support/test_support.h"

namespace korvaden {
namespace {

using test::TestBankKeys;

// Blocks enciphered on the bank side, with the plaintext's padding chosen here.
std::string EncipherRaw(const std::vector<std::uint8_t>& plain, const BlockIv& iv) {
  const auto key = bank::DecodeBase64(TestBankKeys().paramBlockKey).value();
  return bank::ToHex(*bank::DesEdeCbc(true, key, {iv.begin(), iv.end()}, plain, false));
}

class ParamBlocks : public ::testing::Test {
 protected:
  DeploymentKeys keys = BuiltInDeployment();
  CParseEncParam parser{keys};

  std::map<std::string, std::string> Blocks(const std::string& d1 =
                                                "181200000"
                                                "1234567890123456"
                                                "Virtual PCD 00 00",
                                            const std::string& d3 =
                                                "ATM00001"
                                                "12345678"
                                                "XXXXXXXX"
                                                "20230731123456") {
    return test::BankBlocks({{"BHO_D1", d1},
                             {"BHO_D2", "SESSION-42"},
                             {"BHO_D3", d3},
                             {"BHO_D4", "123456"},
                             {"BHO_D11", "2566"},
                             {"BHO_D12", "A123456789"}});
  }
  static ParameterBlocks View(const std::map<std::string, std::string>& b, bool withD12) {
    ParameterBlocks blocks{b.at("BHO_D5"), b.at("BHO_D1"),  b.at("BHO_D2"), b.at("BHO_D3"),
                           b.at("BHO_D4"), b.at("BHO_D11"), std::nullopt};
    if (withD12) blocks.d12 = b.at("BHO_D12");
    return blocks;
  }
  BlockIv IvOf(const std::map<std::string, std::string>& b) {
    BlockIv iv{};
    EXPECT_TRUE(parser.DecryptIvBlock(b.at("BHO_D5"), iv));
    return iv;
  }
};

TEST_F(ParamBlocks, BankBlocksSplitIntoEveryField) {
  const auto b = Blocks();
  ASSERT_EQ(parser.DecryptAndSplit(View(b, true)), kResultSuccess);
  EXPECT_EQ(parser.PinMode, "1");
  EXPECT_EQ(parser.LoginIssuerId, "81200000");
  EXPECT_EQ(parser.LoginIssuerAccount, "1234567890123456");
  EXPECT_EQ(parser.ReaderName, "Virtual PCD 00 00");
  EXPECT_EQ(parser.SessionId, "SESSION-42");
  EXPECT_EQ(parser.AtmNo, "ATM00001");
  EXPECT_EQ(parser.AtmCheckCode, "12345678");
  EXPECT_EQ(parser.ClientDateTime, "20230731123456");
  EXPECT_EQ(parser.ServiceAccount, "");
  EXPECT_EQ(parser.TacId, "123456");
  EXPECT_EQ(parser.TxCode, "2566");
  EXPECT_EQ(parser.IdentityNumber, "A123456789");
}

TEST_F(ParamBlocks, ShortPlaintextsGiveShortOrEmptyFields) {
  ASSERT_EQ(parser.DecryptAndSplit(View(Blocks("1812000001234567890123456",
                                               "ATM00001"
                                               "12345678"
                                               "XXXXXXXX"
                                               "20230731123456"
                                               "9"),
                                        false)),
            kResultSuccess);
  EXPECT_EQ(parser.ReaderName, "");
  EXPECT_EQ(parser.ServiceAccount, "9");
  EXPECT_EQ(parser.IdentityNumber, "");
  ASSERT_EQ(parser.DecryptAndSplit(View(Blocks("2", "ATM0"), false)), kResultSuccess);
  EXPECT_EQ(parser.PinMode, "2");
  EXPECT_EQ(parser.LoginIssuerId, "");
  EXPECT_EQ(parser.AtmNo, "ATM0");
  EXPECT_EQ(parser.ClientDateTime, "");
}

TEST_F(ParamBlocks, EachRefusedBlockHasItsCode) {
  const auto good = Blocks();
  const std::string unpadded = EncipherRaw({'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H'}, IvOf(good));
  const std::pair<const char*, ResultCode> cases[] = {{"BHO_D1", ResultCode{9811}},  {"BHO_D2", ResultCode{9812}},
                                                      {"BHO_D3", ResultCode{9813}},  {"BHO_D4", ResultCode{9814}},
                                                      {"BHO_D11", ResultCode{9821}}, {"BHO_D12", ResultCode{9822}}};
  for (const auto& [name, code] : cases) {
    for (const std::string& broken : {std::string(), good.at(name) + "0", good.at(name).substr(1), unpadded}) {
      auto b = good;
      b[name] = broken;
      EXPECT_EQ(parser.DecryptAndSplit(View(b, true)), code) << name << " " << broken.size();
    }
  }
  auto b = good;
  b["BHO_D5"] = "0123456789ABCDE";
  EXPECT_EQ(parser.DecryptAndSplit(View(b, false)), kResultBlockD5Refused);
}

TEST_F(ParamBlocks, PaddingCountIsCheckedButPadBytesAreNot) {
  const BlockIv iv = IvOf(Blocks());
  EXPECT_EQ(parser.DecryptBlock(EncipherRaw({'A', 'B', 'C', 'D', 'E', 3, 3, 3}, iv), iv), "ABCDE");
  EXPECT_EQ(parser.DecryptBlock(EncipherRaw({'A', 'B', 'C', 'D', 'E', 1, 2, 3}, iv), iv), "ABCDE");
  EXPECT_EQ(parser.DecryptBlock(EncipherRaw({'A', 'B', 'C', 'D', 'E', 'F', 'G', 0}, iv), iv).size(), 7u);
  EXPECT_EQ(parser.DecryptBlock(EncipherRaw({'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H'}, iv), iv), "");
  EXPECT_EQ(parser.DecryptBlock(EncipherRaw({'A', 'B', 'C', 'D', 'E', 'F', 'G', 9}, iv), iv), "");
  EXPECT_EQ(parser.DecryptBlock(EncipherRaw({'A', 'B', 0, 'D', 'E', 'F', 'G', 1}, iv), iv), "AB");
  // A text of whole blocks carries a whole block of padding: all of it goes.
  EXPECT_EQ(parser.DecryptBlock(EncipherRaw({'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 8, 8, 8, 8, 8, 8, 8, 8}, iv), iv),
            "ABCDEFGH");
  EXPECT_EQ(parser.DecryptBlock(EncipherRaw({8, 8, 8, 8, 8, 8, 8, 8}, iv), iv), "") << "nothing but padding";
}

TEST_F(ParamBlocks, WrongKeyOrIvIsNoticed) {
  const auto b = Blocks();
  BlockIv iv = IvOf(b);
  const char* wrongKeyText = "AAECAwQFBgcICQoLDA0ODw==";
  DeploymentKeys other = keys;
  other.paramBlockKey = KeyPieces{{wrongKeyText}};
  CParseEncParam wrongKey(other);
  // A wrong key leaves random bytes: the block is refused when the last one is
  // above 8, and otherwise read as the bank's side reads the same bytes, never
  // as the right text.
  for (const char* name : {"BHO_D1", "BHO_D2", "BHO_D3", "BHO_D4", "BHO_D11", "BHO_D12"}) {
    const auto garbled = *bank::DesEdeCbc(false, bank::DecodeBase64(wrongKeyText).value(), {iv.begin(), iv.end()},
                                          bank::FromHex(b.at(name)).value(), false);
    std::string expected;
    if (garbled.back() <= 8) {
      expected.assign(garbled.begin(), garbled.end() - garbled.back());
      expected.resize(std::min(expected.size(), expected.find('\0')));
    }
    const SecureString plain = wrongKey.DecryptBlock(b.at(name), iv);
    EXPECT_EQ(plain.view(), expected) << name;
    EXPECT_NE(plain.view(), parser.DecryptBlock(b.at(name), iv).view()) << name;
  }
  // With a wrong IV only the first 8 bytes of a long plaintext change.
  iv[0] ^= 0xFF;
  const SecureString plain = parser.DecryptBlock(b.at("BHO_D1"), iv);
  EXPECT_EQ(plain.view().substr(8), std::string("81200000"
                                                "1234567890123456"
                                                "Virtual PCD 00 00")
                                        .substr(7));
}

TEST(DecodeHexText, OddLengthIsRefusedAndNothingWritten) {
  std::uint8_t out[2] = {0xEE, 0xEE};
  EXPECT_EQ(DecodeHexText("abc", out), -1);
  EXPECT_EQ(out[0], 0xEE);
  EXPECT_EQ(DecodeHexText("aBc0", out), 0);
  EXPECT_EQ(out[0], 0xAB);
  EXPECT_EQ(out[1], 0xC0);
}

}  // namespace
}  // namespace korvaden
