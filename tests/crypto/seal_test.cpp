#include <gtest/gtest.h>

#include <algorithm>

#include "crypto/deployment_keys.h"
#include "crypto/random.h"
#include "crypto/seal.h"
#include "support/test_support.h"

namespace korvaden {
namespace {

using test::RecordingMessageBoxes;
using test::TestBankKeys;

const std::string kDocument =
    "<Korvaden><tx_code>2590</tx_code><session_id>S0123456789ABCDEFGHIJ</session_id>"
    "<issuer_id>81200000</issuer_id></Korvaden>";

TEST(Seal, BankOpensTheDocumentAndChecksItsMac) {
  SystemRandom random;
  const SealedMessage sealed = SealForServer(kDocument, BuiltInDeployment(), random);
  ASSERT_TRUE(sealed.sealed());
  const auto opened = bank::OpenSealed(sealed.text, TestBankKeys());
  ASSERT_TRUE(opened.ok) << opened.error;
  EXPECT_EQ(opened.value, kDocument);
}

// Sealing that cannot give a message the bank opens gives nothing, and says why.
void ExpectNothingSealed(std::string_view document, RandomSource& random, SealFailure failure) {
  const SealedMessage sealed = SealForServer(document, BuiltInDeployment(), random);
  EXPECT_EQ(sealed.failure, failure);
  EXPECT_FALSE(sealed.sealed());
  EXPECT_EQ(sealed.text, "");
}

TEST(Seal, WhatTheBankCouldNotOpenIsNotSealed) {
  // Every draw of a failing generator used to become 0: a message key of
  // sixteen "0" anyone could use.
  test::ScriptedRandom failing;
  failing.failing = true;
  ExpectNothingSealed(kDocument, failing, SealFailure::Random);
  // Found by fuzzing: the cipher stopped at a NUL and dropped the MAC, so the
  // seal reported success with a message the bank could not open.
  SystemRandom random;
  ExpectNothingSealed(std::string_view("INFO: Ruiwgnin nt\0\0\0", 20), random, SealFailure::Cipher);
}

TEST(Seal, ShapeOfTheSealedText) {
  SystemRandom random;
  const std::string text = SealForServer(kDocument, BuiltInDeployment(), random).text;
  ASSERT_EQ(std::count(text.begin(), text.end(), '%'), 2);
  EXPECT_EQ(text.back(), '%');
  const std::string cipherPart = text.substr(0, text.find('%'));
  EXPECT_EQ(cipherPart.size() % 4, 0u);
  EXPECT_EQ(cipherPart.find('\n'), std::string::npos);
  const std::string keyPart = text.substr(cipherPart.size() + 1, text.size() - cipherPart.size() - 2);
  EXPECT_EQ(keyPart.size(), 172u + 3);  // 1024-bit key: lines of 64, 64 and 44, each with a line feed
  EXPECT_EQ(keyPart.find('\n'), 64u);
  EXPECT_NE(SealForServer(kDocument, BuiltInDeployment(), random).text, text);
}

TEST(Seal, TamperedCipherOrWrongMacKeyIsRefusedByTheBank) {
  SystemRandom random;
  std::string text = SealForServer(kDocument, BuiltInDeployment(), random).text;
  bank::BankKeys otherMac = TestBankKeys();
  otherMac.macKey = "AAECAwQFBgcICQoLDA0ODw==";
  EXPECT_EQ(bank::OpenSealed(text, otherMac).error, bank::kMessageDoesNotOpen);
  // Base64 character 48 lies in cipher byte 36, inside the MAC's window.
  text[48] = text[48] == 'A' ? 'B' : 'A';
  EXPECT_FALSE(bank::OpenSealed(text, TestBankKeys()).ok);
}

TEST(Seal, SessionKeyUsesDigitsAndCapitalsOnly) {
  test::ScriptedRandom random({0, 9, 10, 35, 36, 255, 71});
  const SecureString key = MakeSessionKey(random);
  EXPECT_EQ(key.size(), 16u);
  EXPECT_EQ(key.view().substr(0, 7), "09AZ03Z");  // 36 % 36 = 0, 255 % 36 = 3, 71 % 36 = 35
}

TEST(Seal, KeyOfAnotherSizeWorksWithoutCodeChanges) {
  // The 2048-bit HSM pair stands in for a larger server key.
  DeploymentKeys keys = BuiltInDeployment();
  keys.serverPublicPem = test::TestHsmPublicPem();
  bank::BankKeys bankKeys = TestBankKeys();
  bankKeys.serverPrivatePem = bankKeys.hsmPrivatePem;
  SystemRandom random;
  const SealedMessage sealed = SealForServer(kDocument, keys, random);
  ASSERT_TRUE(sealed.sealed());
  const auto opened = bank::OpenSealed(sealed.text, bankKeys);
  ASSERT_TRUE(opened.ok) << opened.error;
  EXPECT_EQ(opened.value, kDocument);
}

TEST(Seal, UnreadableServerKeyFailsWithoutEndingTheProcess) {
  DeploymentKeys keys = BuiltInDeployment();
  keys.serverPublicPem = "-----BEGIN PUBLIC KEY-----\r\nnot a key\r\n-----END PUBLIC KEY-----";
  test::ScriptedRandom random({1, 2, 3});
  const SealedMessage sealed = SealForServer(kDocument, keys, random);
  EXPECT_FALSE(sealed.sealed());
  EXPECT_TRUE(sealed.text.empty());
  EXPECT_EQ(sealed.failure, SealFailure::ServerKey);
}

TEST(Seal, CipherFailureNeverLeaksTheMessageKey) {
  // A message beyond the cipher's 65536 characters cannot be enciphered whole.
  const std::string huge = kDocument + std::string(kMaxSealedPlainLength, 'x');
  test::ScriptedRandom random;  // all zeros: the key would be "0000000000000000"
  const SealedMessage sealed = SealForServer(huge, BuiltInDeployment(), random);
  EXPECT_FALSE(sealed.sealed());
  EXPECT_EQ(sealed.text.find("0000000000000000"), std::string::npos);
  EXPECT_TRUE(sealed.text.empty());
  EXPECT_EQ(sealed.failure, SealFailure::Cipher);
}

TEST(Seal, UnusableMacKeyFailsTheSeal) {
  DeploymentKeys keys = BuiltInDeployment();
  keys.macKey = KeyPieces{{"AAEC"}};
  SystemRandom random;
  EXPECT_EQ(SealForServer(kDocument, keys, random).failure, SealFailure::Mac);
}

TEST(Deployment, StoredPiecesJoinIntoTheDeploymentFolderValues) {
  const DeploymentKeys keys = BuiltInDeployment();
  EXPECT_EQ(keys.macKey.Joined().view(), TestBankKeys().macKey);
  EXPECT_EQ(keys.ivBlockKey.Joined().view(), TestBankKeys().ivBlockKey);
  EXPECT_EQ(keys.paramBlockKey.Joined().view(), TestBankKeys().paramBlockKey);
  EXPECT_EQ(keys.bankCode.size(), 3u);
  EXPECT_EQ(keys.serverPublicPem.rfind("-----BEGIN PUBLIC KEY-----\r\n", 0), 0u);
  // The 1024-bit key is stored as three lines of 76, 76 and 64 characters.
  const std::string& pem = keys.serverPublicPem;
  std::vector<std::size_t> lengths;
  for (std::size_t at = pem.find("\r\n") + 2, next; (next = pem.find("\r\n", at)) != std::string::npos; at = next + 2) {
    lengths.push_back(next - at);
  }
  EXPECT_EQ(lengths, (std::vector<std::size_t>{76, 76, 64}));
}

}  // namespace
}  // namespace korvaden
