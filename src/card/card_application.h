#pragma once
// The card's financial application as one client uses it over its reader
// session: selection, the account records, PIN verification and the TAC.
// Every operation returns its outcome; the outcome of the last one, and the
// card's last status word, stay readable (never writable) for the steps that
// decide on what came before.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/result_codes.h"
#include "base/secure_memory.h"
#include "card/card_commands.h"
#include "reader/reader_session.h"

namespace korvaden {

// PINs longer than this are refused before anything is sent to the card.
inline constexpr std::size_t kMaxPinLength = 36;

// The four outputs of ReadCardData.
struct CardRecords {
  std::string issuerId;
  std::string issuerRemark;
  std::string issuerAccount;
  std::string outAccount;
};

class CardApplication {
 public:
  explicit CardApplication(ReaderSession& session) : session_(session) {}

  // Connects to the reader and selects the application: the PC/SC code, or
  // 7900 when the selection got no answer (its status word is not examined).
  ResultCode Connect(std::string_view readerName);
  ResultCode SelectApplication();
  PcscResult SelectFile(std::string_view fileIdHex);
  // 0 when the card accepted the PIN or gave no status word (lastResult()
  // then tells why), its status word otherwise; 8970 for a PIN over 36 characters.
  ResultCode VerifyPin(std::string_view pin);
  // Counts the accounts of records 3 to 10 into accountCount(), from 0.
  ResultCode CountAccounts();
  [[nodiscard]] std::string ReadIssuerId();
  [[nodiscard]] std::string ReadMainAccount();
  ResultCode ReadCardData(std::string_view accountIndex, CardRecords& records);
  // The serial and the code over `input`; none (lastResult() 8900) on any failure.
  [[nodiscard]] std::optional<TacAnswer> ComputeTac(std::array<std::uint8_t, 2> p1p2,
                                                    std::span<const std::uint8_t> input);

  ResultCode lastResult() const { return lastResult_; }
  StatusWord statusWord() const { return statusWord_; }
  std::int32_t accountCount() const { return accountCount_; }

 private:
  // Reads a record after selecting "1001"; empty unless the read answered 9000.
  std::string ReadRecordText(std::uint8_t record, std::size_t length);
  bool SelectAccountFile();
  bool ReadRecord(std::uint8_t record, Bytes& data);
  // Keeps the answer's outcome; true when it was 9000.
  bool Keep(const CardAnswer& answer);

  ReaderSession& session_;
  ResultCode lastResult_ = kResultSuccess;
  StatusWord statusWord_ = kNoStatusWord;
  std::int32_t accountCount_ = 0;
};

// The whole units of an amount text whose last `decimals` characters are the fraction.
std::string AmountToWhole(std::string_view amount, std::size_t decimals);

}  // namespace korvaden
