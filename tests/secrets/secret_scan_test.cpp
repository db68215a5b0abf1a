// After a member returns, none of its secrets may be left anywhere in the
// process's writable memory, freed heap included: the message key, the
// deployment's MAC key (as joined text and as decoded bytes) and the plain
// document, and the password the customer typed. Runs in a process of its own,
// so that no other test's copies count; the card PIN is not looked for,
// because the in-process virtual card keeps its own copies of what it receives
// (the PC/SC scan looks for it).

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/result_codes.h"
#include "control/control_core.h"
#include "crypto/base64.h"
#include "crypto/pin_block.h"
#include "crypto/seal.h"
#include "support/card_bench.h"
#include "support/memory_scan.h"

namespace korvaden {
namespace {

// The needles that are no secret of the control live in read-only data, which
// the scan does not read, so that the test leaves no copy of its own.
constexpr char kMessageKey[] = "KEYOFTHEMESSAGE1";
constexpr char kTransferStart[] = "<Korvaden><tx_code>2510</tx_code><session_id>SCAN-SESSION";
constexpr char kServicePassword[] = "97531086";
constexpr char kCardlessStart[] = "<Korvaden><tx_code>2571</tx_code><session_id>SESSION";
// BHO_D5, D1 (PIN mode 2, the default card), D2, D3, D4, D11 of the test
// deployment, as korvaden-bank renders them.
constexpr const char* kBlocks[] = {
    "89701C93A781BD884C585D00DEB8174A",
    "B3A71517B4BDFED420649401AD6B1CBFA92DDD9F0CC476A440D6A4207F57FEE9A30257CB50EB1F7DBE55ED83AA22CC76",
    "D0871FF5E9FA8261",
    "7A2534C244D0FB363EBB28EC6E83489A0C574F788EDD074E29F903EBE54BA4F3545FCAF489545458",
    "6F0BEC521EF957C0",
    "8C8041C48DCAA5B5"};
constexpr char kFidoStart[] = "<Korvaden><tx_code>2590</tx_code><session_id>SCAN-SESSION";

class SecretScan : public ::testing::Test {
 protected:
  // The numbers that draw kMessageKey.
  static std::deque<std::uint8_t> KeyNumbers() {
    std::deque<std::uint8_t> numbers;
    for (const char c : std::string_view(kMessageKey)) {
      numbers.push_back(static_cast<std::uint8_t>(c <= '9' ? c - '0' : c - 'A' + 10));
    }
    return numbers;
  }
  static void ExpectAbsent(const char* name, std::string_view needle, const char* what) {
    EXPECT_EQ(test::HitsInWritableMemory(needle).size(), 0u) << name << " after " << what;
  }
  static std::string_view View(const SecureBytes& bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
  }
  void ExpectNothingLeft(const char* what, const char* documentStart) {
    const SecureString macText = bench.keys.macKey.Joined();
    const SecureBytes macBytes = base64Decode(macText);
    EXPECT_EQ(test::HitsInWritableMemory(kMessageKey).size(), 0u) << "the message key after " << what;
    EXPECT_EQ(test::HitsInWritableMemory(macText).size(), 0u) << "the MAC key's text after " << what;
    EXPECT_EQ(test::HitsInWritableMemory({reinterpret_cast<const char*>(macBytes.data()), macBytes.size()}).size(), 0u)
        << "the MAC key after " << what;
    EXPECT_EQ(test::HitsInWritableMemory(documentStart).size(), 0u) << "the plain document after " << what;
  }

  test::CardBench bench;
  test::ScriptedRandom random{KeyNumbers()};
  Platform platform{bench.module, bench.sleeper, bench.prompts, random, bench.boxes, bench.dialogs, bench.keys};
  MemberGate gate;
  ControlCore core{platform, gate};
};

TEST_F(SecretScan, TheNeedlesAreFoundWhileTheyAreHeld) {
  // The scan itself: a secret still held is found.
  SecureString held("KEYOFTHE");
  held += "MESSAGE1";
  EXPECT_EQ(test::HitsInWritableMemory(kMessageKey).size(), 1u);
}

// The cipher step run below 64 KiB of stack that nothing else of the test
// reaches, so that what it leaves on its stack is still there to be found.
__attribute__((noinline)) std::string EncryptBelowTheStack(std::string_view plain, std::string_view key) {
  volatile char untouched[1 << 16];
  untouched[0] = 0;
  untouched[sizeof(untouched) - 1] = 0;
  return TripleDesEncryptBase64(plain, key);
}

TEST_F(SecretScan, TheCipherStepWipesItsCopyOfTheKey) {
  // Checked where it happens: after a whole member, the RSA step reuses the
  // stack and would hide a copy left here.
  const std::string cipher = EncryptBelowTheStack("<Korvaden></Korvaden>", kMessageKey);
  ASSERT_FALSE(cipher.empty());
  EXPECT_EQ(test::HitsInWritableMemory(kMessageKey).size(), 0u);
}

TEST_F(SecretScan, NothingOfATransferIsLeft) {
  ASSERT_EQ(core.Call(Member::TransIVESK,
                      {test::kReaderName, "123456", "2510", "", "81200000", "1234567890123456", "12345678", "WEBATM01",
                       "1", "123456789", "100", "20230731123456", 0, "SCAN-SESSION-0001"}),
            kResultSuccess);
  ExpectNothingLeft("TransIVESK", kTransferStart);
}

TEST_F(SecretScan, NothingOfACardlessApplicationIsLeft) {
  // Made in place: a temporary copy of the script would be the test's own leftover.
  bench.dialogs.pinPadScripts.emplace_back("type 97531086; field 2; type 97531086; code; confirm");
  bench.dialogs.appConfirmScripts = {"confirm"};
  ControlCore drawingCore(bench.platform, gate);  // the keypad and the code need the system's numbers
  ASSERT_EQ(drawingCore.Call(Member::CardLess_Apply,
                             {kBlocks[0], kBlocks[1], kBlocks[2], kBlocks[3], kBlocks[4], kBlocks[5], "t"}),
            kResultSuccess);
  const char* what = "CardLess_Apply";
  const SecureString ivKeyText = bench.keys.ivBlockKey.Joined();
  const SecureString blockKeyText = bench.keys.paramBlockKey.Joined();
  const SecureBytes ivKey = base64Decode(ivKeyText);
  const SecureBytes blockKey = base64Decode(blockKeyText);
  const SecureBytes pinBlock = BuildCardlessPinBlock("97531086", "345678012345");
  ExpectAbsent("the IV block key's text", ivKeyText, what);
  ExpectAbsent("the parameter block key's text", blockKeyText, what);
  ExpectAbsent("the IV block key", View(ivKey), what);
  ExpectAbsent("the parameter block key", View(blockKey), what);
  ExpectAbsent("the plain PIN block", View(pinBlock), what);
  ExpectAbsent("the password", kServicePassword, what);
  ExpectAbsent("the plain document", kCardlessStart, what);
}

TEST_F(SecretScan, NothingOfAVerificationIsLeft) {
  ASSERT_EQ(core.Call(Member::FidoVerify, {test::kReaderName, "SCAN-SESSION-0002", "1234567890123456", "20230731123456",
                                           "12345678", "WEBATM01", "P611XX", "123456"}),
            kResultSuccess);
  ExpectNothingLeft("FidoVerify", kFidoStart);
}

}  // namespace
}  // namespace korvaden
