#include <gtest/gtest.h>

#include "base/hex.h"
#include "crypto/deployment_keys.h"
#include "crypto/pin_block.h"
#include "support/test_support.h"

namespace korvaden {
namespace {

using test::RecordingMessageBoxes;
using test::TestBankKeys;

std::string Hex(const SecureBytes& bytes) { return BytesToHex(bytes); }

TEST(PinBlock, CardlessLayoutIsFormatZero) {
  EXPECT_EQ(Hex(BuildCardlessPinBlock("123456", "000000000000")), "06123456FFFFFFFF");
  // 06 12 34 56 FF FF FF FF xor 00 00 12 34 56 89 01 23
  EXPECT_EQ(Hex(BuildCardlessPinBlock("123456", "123456890123")), "06122662A976FEDC");
  EXPECT_EQ(Hex(BuildCardlessPinBlock("123456789012", "000000000000")), "0C123456789012FF");
  EXPECT_EQ(Hex(BuildCardlessPinBlock("1234567", "000000000000")), "071234567FFFFFFF");
  EXPECT_TRUE(BuildCardlessPinBlock("1234567890123", "000000000000").empty());
  EXPECT_TRUE(BuildCardlessPinBlock("123456", "1234567890123").empty());
}

TEST(PinBlock, BondingIdentityField) {
  // A123456789: 01, then 12 34 56 78 90 packed from position 1, then 00 00.
  EXPECT_EQ(Hex(BuildBondingPinBlock("123456", "A123456789")),
            BytesToHex(std::vector<std::uint8_t>{0x06 ^ 0x01, 0x12 ^ 0x12, 0x34 ^ 0x34, 0x56 ^ 0x56, 0xFF ^ 0x78,
                                                 0xFF ^ 0x90, 0xFF, 0xFF}));
  // AB12345678: 01 02, then 12 34 56 78 in bytes 2 to 5.
  EXPECT_EQ(Hex(BuildBondingPinBlock("123456", "AB12345678")),
            BytesToHex(std::vector<std::uint8_t>{0x06 ^ 0x01, 0x12 ^ 0x02, 0x34 ^ 0x12, 0x56 ^ 0x34, 0xFF ^ 0x56,
                                                 0xFF ^ 0x78, 0xFF, 0xFF}));
  EXPECT_TRUE(BuildBondingPinBlock("1234567", "A123456789").empty());
  EXPECT_TRUE(BuildBondingPinBlock("123456", "A1234567890").empty());
}

TEST(PinBlock, BankRecoversThePasswords) {
  const DeploymentKeys keys = BuiltInDeployment();
  const std::string cardless = MakeCardlessPinBlock("98765432", "123456890123", keys.hsmPublicPem).text;
  EXPECT_EQ(cardless.size(), 344u + 6);  // 256 bytes: six lines with line feeds
  auto recovered = bank::RecoverPassword(cardless, bank::PinBlockKind::Cardless, "123456890123", TestBankKeys());
  ASSERT_TRUE(recovered.ok) << recovered.error;
  EXPECT_EQ(recovered.value, "98765432");

  const std::string bonding = MakeBondingPinBlock("246810", "AB12345678", keys.hsmPublicPem).text;
  recovered = bank::RecoverPassword(bonding, bank::PinBlockKind::Bonding, "AB12345678", TestBankKeys());
  ASSERT_TRUE(recovered.ok) << recovered.error;
  EXPECT_EQ(recovered.value, "246810");
  EXPECT_FALSE(bank::RecoverPassword(bonding, bank::PinBlockKind::Bonding, "A123456789", TestBankKeys()).ok);
}

TEST(PinBlock, RefusedInputOrUnreadableKeyGivesEmptyText) {
  const DeploymentKeys keys = BuiltInDeployment();
  for (const HsmCipher& refused : {MakeCardlessPinBlock("1234567890123", "123456890123", keys.hsmPublicPem),
                                   MakeBondingPinBlock("123456", "A1234567890", keys.hsmPublicPem)}) {
    EXPECT_EQ(refused.text, "");
    EXPECT_FALSE(refused.keyUnreadable);
  }
  const HsmCipher unreadable = MakeBondingPinBlock("123456", "A123456789", "garbage");
  EXPECT_EQ(unreadable.text, "");
  EXPECT_TRUE(unreadable.keyUnreadable);
}

}  // namespace
}  // namespace korvaden
