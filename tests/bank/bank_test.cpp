// The bank's side as an attacker and an unlucky server meet it: one answer for
// every message that does not open, documents out of form refused although
// their MAC holds, and every malformed input refused with a message.
#include <gtest/gtest.h>

#include <sstream>

#include "commands.h"
#include "crypto/deployment_keys.h"
#include "crypto/rsa.h"
#include "support/flow_bench.h"

namespace korvaden {
namespace {

using test::FlowBench;
using test::TestBankKeys;

// The guide's worked example: a transfer of 100, as the control wrote it.
const std::string kTransferDocument =
    "<Korvaden><tx_code>2510</tx_code><session_id>DOC-EXAMPLE-0001</session_id><issuer_id>81200000</issuer_id>"
    "<issuer_account>1234567890123456</issuer_account><issuer_remark>"
    "202020202020202020202020202020202020202020202020202020202020</issuer_remark><client_dttm>20230731123456"
    "</client_dttm><atm><atm_no>WEBATM01</atm_no><atm_checkcode>12345678</atm_checkcode></atm><trns><tac_id>123456"
    "</tac_id><trns_out_bank>81200000</trns_out_bank><trns_out_account>1234567890123456</trns_out_account>"
    "<trns_amount>00000000010000</trns_amount><icc_no>SN000001</icc_no><tsac>422016C6496C400F</tsac></trns>"
    "</Korvaden>";

struct CommandRun {
  int exit;
  std::string out, err;
};

CommandRun RunBank(const std::vector<std::string>& args, const bank::BankKeys& keys = TestBankKeys(),
                   const std::string& input = "") {
  std::istringstream in(input);
  std::ostringstream out, err;
  const int exit = bank::RunCommand(args, keys, in, out, err);
  return {exit, out.str(), err.str()};
}

// A sealed message's cipher part as bytes, and the message made anew from them.
std::vector<std::uint8_t> CipherOf(const std::string& sealed) {
  return bank::DecodeBase64(sealed.substr(0, sealed.find('%'))).value();
}
std::string WithCipher(const std::string& sealed, const std::vector<std::uint8_t>& cipher) {
  std::string base64;
  static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  for (std::size_t i = 0; i < cipher.size(); i += 3) {
    const std::uint32_t n = cipher[i] << 16 | (i + 1 < cipher.size() ? cipher[i + 1] << 8 : 0) |
                            (i + 2 < cipher.size() ? cipher[i + 2] : 0);
    base64 += kAlphabet[n >> 18 & 63];
    base64 += kAlphabet[n >> 12 & 63];
    base64 += i + 1 < cipher.size() ? kAlphabet[n >> 6 & 63] : '=';
    base64 += i + 2 < cipher.size() ? kAlphabet[n & 63] : '=';
  }
  return base64 + sealed.substr(sealed.find('%'));
}

class SealedTransfer : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(bench.Transfer({}), kResultSuccess);
    sealed = bench.core.TrnsMsg();
    document = bench.Unsealed();
  }
  FlowBench bench;
  std::string sealed, document;
};

TEST_F(SealedTransfer, EveryWayNotToOpenGivesOneAnswer) {
  std::vector<std::uint8_t> cipher = CipherOf(sealed);
  std::vector<std::uint8_t> badPadding = cipher;
  badPadding[badPadding.size() - 9] ^= 0x01;  // the last plain byte, the padding's length
  std::vector<std::uint8_t> badMac = cipher;
  badMac[badMac.size() - 20] ^= 0x01;  // inside the MAC's Base64
  std::vector<std::uint8_t> inWindow = cipher;
  inWindow[36] ^= 0x01;
  const std::string keyPart = sealed.substr(sealed.find('%'));
  std::string otherKey = sealed;
  otherKey[sealed.find('%') + 5] = otherKey[sealed.find('%') + 5] == 'A' ? 'B' : 'A';
  bank::BankKeys otherMacKey = TestBankKeys();
  otherMacKey.macKey = "AAECAwQFBgcICQoLDA0ODw==";

  const std::vector<std::pair<std::string, std::string>> refused = {
      {"no separators", "AAAA"},
      {"all padding", "====%AAAA%"},
      {"padding inside", "AA=A%AAAA%"},
      {"text after the key", sealed + "x"},
      {"a key that does not decrypt", otherKey},
      {"a padding that does not check", WithCipher(sealed, badPadding)},
      {"a MAC that does not match", WithCipher(sealed, badMac)},
      {"a change in the MAC's window", WithCipher(sealed, inWindow)},
  };
  for (const auto& [what, text] : refused) {
    const CommandRun run = RunBank({"unseal", text});
    EXPECT_EQ(run.exit, 1) << what;
    EXPECT_EQ(run.err, std::string("korvaden-bank: ") + bank::kMessageDoesNotOpen + "\n") << what;
    EXPECT_EQ(run.out, "") << what;
  }
  EXPECT_EQ(bank::Unseal(sealed, otherMacKey).error, bank::kMessageDoesNotOpen);
  EXPECT_EQ(RunBank({"unseal"}, TestBankKeys(), sealed + "\n").out, document + "\n") << "from standard input";
}

TEST_F(SealedTransfer, AChangedAmountKeepsItsMacButLosesItsForm) {
  // CBC: flipping a bit of one cipher block flips the same bit of the next
  // block's plain text and garbles this block's. The MAC sees neither.
  const std::size_t digit = document.find("<trns_amount>") + 13 + 9;  // 00000000010000: the 1
  ASSERT_EQ(document[digit], '1');
  std::vector<std::uint8_t> cipher = CipherOf(sealed);
  cipher[digit - 8] ^= '1' ^ '9';
  const std::string tampered = WithCipher(sealed, cipher);
  const auto opened = bank::OpenSealed(tampered, TestBankKeys());
  ASSERT_TRUE(opened.ok) << "the MAC does not cover the amount";
  EXPECT_EQ(opened.value[digit], '9');
  const CommandRun run = RunBank({"unseal", tampered});
  EXPECT_EQ(run.exit, 1);
  EXPECT_EQ(run.err, std::string("korvaden-bank: ") + bank::kMessageDoesNotOpen + "\n");
}

TEST(DocumentForm, TheControlsDocumentsAndNothingElse) {
  EXPECT_TRUE(bank::DocumentInForm(kTransferDocument));
  const auto replaced = [](std::string text, const std::string& from, const std::string& to) {
    return text.replace(text.find(from), from.size(), to);
  };
  const std::vector<std::pair<std::string, std::string>> outOfForm = {
      {"a letter in the amount", replaced(kTransferDocument, "00000000010000", "0000000001000X")},
      {"a short amount", replaced(kTransferDocument, "00000000010000", "0000000010000")},
      {"lower-case hexadecimal", replaced(kTransferDocument, "422016C6496C400F", "422016c6496c400f")},
      {"an odd code", replaced(kTransferDocument, "422016C6496C400F", "422016C6496C400")},
      {"no code", replaced(kTransferDocument, "422016C6496C400F", "")},
      {"another bank out", replaced(kTransferDocument, "<trns_out_bank>81200000", "<trns_out_bank>81300000")},
      {"elements swapped",
       replaced(kTransferDocument, "<atm_no>WEBATM01</atm_no><atm_checkcode>12345678</atm_checkcode>",
                "<atm_checkcode>12345678</atm_checkcode><atm_no>WEBATM01</atm_no>")},
      {"an element added", replaced(kTransferDocument, "</trns>", "<x></x></trns>")},
      {"text after the root", kTransferDocument + " "},
      {"a control character", replaced(kTransferDocument, "DOC-EXAMPLE",
                                       "DOC\x01"
                                       "EXAMPLE")},
      {"an empty session", replaced(kTransferDocument, "DOC-EXAMPLE-0001", "")},
      {"a short date", replaced(kTransferDocument, "20230731123456", "2023073112345")},
      {"a reason on a transfer amount", replaced(kTransferDocument, "</tsac>", "</tsac><reason>123456</reason>")},
      {"a verification with an amount",
       replaced(replaced(kTransferDocument, "<tx_code>2510", "<tx_code>2590"), "<tac_id>123456", "<tac_id>2590")},
  };
  for (const auto& [what, document] : outOfForm) EXPECT_FALSE(bank::DocumentInForm(document)) << what;
}

TEST(BankInput, Base64IsTakenOnlyInItsExactForm) {
  // RFC 4648, section 10.
  EXPECT_EQ(bank::DecodeBase64("Zm9vYmFy"), (std::vector<std::uint8_t>{'f', 'o', 'o', 'b', 'a', 'r'}));
  EXPECT_EQ(bank::DecodeBase64("Zm9vYg=="), (std::vector<std::uint8_t>{'f', 'o', 'o', 'b'}));
  EXPECT_EQ(bank::DecodeBase64("Zm9v\nYmE=\n"), (std::vector<std::uint8_t>{'f', 'o', 'o', 'b', 'a'}));
  for (const char* malformed : {"", "====", "A===", "=AAA", "AA=A", "Zm9vYg==Zm9v", "Zm9", "Zm9v!mFy", "Zm9v YmFy"}) {
    EXPECT_FALSE(bank::DecodeBase64(malformed)) << malformed;
  }
  EXPECT_FALSE(bank::FromHex("ABC"));
  EXPECT_FALSE(bank::FromHex("0G"));
  EXPECT_EQ(bank::FromHex("00ff"), (std::vector<std::uint8_t>{0x00, 0xFF}));
}

TEST(BankInput, VerifyTacTakesOnlyWholeKeysAndInputs) {
  const std::string key(32, '1'), input(128, '3');
  const CommandRun valid = RunBank({"verify-tac", "--key", key, "--input", input, "0000000000000000"});
  ASSERT_EQ(valid.exit, 1);  // a mismatch names the right code
  const std::string tsac = valid.err.substr(valid.err.find("expected ") + 9, 16);
  EXPECT_EQ(RunBank({"verify-tac", "--key", key, "--input", input, tsac}).out, "TAC valid\n");
  const std::vector<std::vector<std::string>> refused = {
      {"verify-tac", "--key", std::string(32, 'Z'), "--input", input, tsac},
      {"verify-tac", "--key", std::string(31, '1') + "G", "--input", input, tsac},
      {"verify-tac", "--key", key + std::string(16, '2'), "--input", input, tsac},  // a third part
      {"verify-tac", "--key", key, "--input", input + "3", tsac},
      {"verify-tac", "--key", key, "--input", "", tsac},
      {"verify-tac", "--key", key, "--input", input, tsac + "0"},
      {"verify-tac", "--key", key, "--input", input, tsac, "extra"},
  };
  for (const auto& args : refused) {
    const CommandRun run = RunBank(args);
    EXPECT_EQ(run.exit, 1) << args[2] << " " << args[4];
    EXPECT_EQ(run.out, "");
    EXPECT_FALSE(run.err.empty());
  }
}

TEST(BankInput, PinBlocksOfMalformedFieldsAreRefused) {
  const DeploymentKeys keys = BuiltInDeployment();
  // Under reference digits of zeros the PIN field is the block itself.
  const auto field = [&](std::vector<std::uint8_t> block) { return HsmRsaEncrypt(block, keys.hsmPublicPem).text; };
  const std::string zeros(12, '0');
  EXPECT_EQ(RunBank({"pinblock", "--cardless", zeros, field({0x06, 0x12, 0x34, 0x56, 0xFF, 0xFF, 0xFF, 0xFF})}).out,
            "123456\n");
  const std::vector<std::pair<std::string, std::vector<std::string>>> refused = {
      {"length 0", {"pinblock", "--cardless", zeros, field({0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF})}},
      {"a non-digit", {"pinblock", "--cardless", zeros, field({0x06, 0x12, 0x3A, 0x56, 0xFF, 0xFF, 0xFF, 0xFF})}},
      {"too short", {"pinblock", "--cardless", zeros, field({0x04, 0x12, 0x34, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF})}},
      {"no F fill", {"pinblock", "--cardless", zeros, field({0x06, 0x12, 0x34, 0x56, 0x00, 0xFF, 0xFF, 0xFF})}},
      {"bonding of 8",
       {"pinblock", "--bonding", "A000000000", field({0x08 ^ 0x01, 0x12, 0x34, 0x56, 0x78, 0xFF, 0xFF, 0xFF})}},
      {"all padding", {"pinblock", "--cardless", zeros, "===="}},
      {"padding inside", {"pinblock", "--cardless", zeros, "AA=A"}},
      {"reference of 11 digits",
       {"pinblock", "--cardless", std::string(11, '0'), field({0x06, 0x12, 0x34, 0x56, 0xFF, 0xFF, 0xFF, 0xFF})}},
      {"reference with a letter", {"pinblock", "--cardless", "00000000000A", "AAAA"}},
      {"identity of digits", {"pinblock", "--bonding", "1123456789", "AAAA"}},
  };
  for (const auto& [what, args] : refused) {
    const CommandRun run = RunBank(args);
    EXPECT_EQ(run.exit, 1) << what;
    EXPECT_EQ(run.out, "") << what;
    EXPECT_FALSE(run.err.empty()) << what;
  }
}

TEST(BankInput, BlocksRefusesWhatTheControlCouldNotTake) {
  const std::vector<std::string> all = {"blocks",
                                        "--d1",
                                        "1812000001234567890123456R",
                                        "--d2",
                                        "S",
                                        "--d3",
                                        "ATM0000112345678XXXXXXXX20230731123456",
                                        "--d4",
                                        "123456",
                                        "--d11",
                                        "2571"};
  const CommandRun rendered = RunBank(all);
  ASSERT_EQ(rendered.exit, 0) << rendered.err;
  EXPECT_NE(rendered.out.find("BHO_D5="), std::string::npos);
  const std::string d5 = rendered.out.substr(rendered.out.find("BHO_D5=") + 7);
  EXPECT_EQ(d5.find('\n'), 16u) << "one cipher block, no padding block";

  bank::BankKeys noBlockKeys = TestBankKeys();
  noBlockKeys.ivBlockKey.clear();
  const auto with = [&](std::vector<std::string> args, std::initializer_list<std::string> more) {
    args.insert(args.end(), more);
    return args;
  };
  const std::vector<std::pair<std::string, std::vector<std::string>>> refused = {
      {"no block", {"blocks"}},
      {"a flag without a value", with(all, {"--d12"})},
      {"an unknown flag", with(all, {"--d13", "x"})},
      {"a repeated flag", with(all, {"--d2", "T"})},
      {"an empty block", with({"blocks", "--d1", "", "--d2", "S", "--d3", "A", "--d4", "1", "--d11", "2571"}, {})},
      {"a missing block", {"blocks", "--d1", "1", "--d2", "S", "--d3", "A", "--d4", "1"}},
  };
  for (const auto& [what, args] : refused) {
    const CommandRun run = RunBank(args);
    EXPECT_EQ(run.exit, 1) << what;
    EXPECT_EQ(run.out, "") << what;
  }
  const CommandRun keyless = RunBank(all, noBlockKeys);
  EXPECT_EQ(keyless.exit, 1);
  EXPECT_EQ(keyless.out, "");
}

}  // namespace
}  // namespace korvaden
