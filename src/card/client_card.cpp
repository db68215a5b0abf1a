// The transaction client's card operations: connection, selection, records,
// PIN verification.
#include <algorithm>
#include <cstdint>

#include "card/card_commands.h"
#include "control/result_codes.h"
#include "control/transaction_client.h"
#include "reader/hex.h"

namespace korvaden {
namespace {

constexpr std::size_t kRecordDataOffset = 2;
constexpr std::uint8_t kIssuerRecord = 1, kRemarkRecord = 2, kMainAccountRecord = 3, kLastAccountRecord = 10;
constexpr std::size_t kIssuerIdLength = 8, kRemarkLength = 30, kAccountLength = 16;

// `length` bytes from the record data's offset 2, as text up to the first NUL.
std::string RecordText(const Bytes& data, std::size_t length) {
  if (data.size() <= kRecordDataOffset) return {};
  const auto begin = data.begin() + kRecordDataOffset;
  const auto end = begin + static_cast<std::ptrdiff_t>(std::min(length, data.size() - kRecordDataOffset));
  return std::string(begin, std::find(begin, end, 0));
}

std::string_view TrimBlanks(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// Like atoi: optional blanks and sign, then digits up to the first other
// character; clamped far beyond any amount or record number.
long long DecimalPrefix(std::string_view text) {
  constexpr long long kClamp = 100000000000000000LL;
  std::size_t i = text.find_first_not_of(" \t");
  if (i == std::string_view::npos) return 0;
  const bool negative = text[i] == '-';
  if (text[i] == '-' || text[i] == '+') ++i;
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) value = std::min(value * 10 + (text[i] - '0'), kClamp);
  return negative ? -value : value;
}

}  // namespace

std::int32_t TransATMiVeskClient::ConnectCard(std::string_view name) {
  readerName = name;
  if (readerName.size() > kMaxReaderNameLength) {
    lastResult = kScardUnknownReader;
    return lastResult;
  }
  lastResult = reader().ReaderConnect(reader().cardHandle, readerName, readerStatus);
  if (lastResult != kScardSuccess) return lastResult;
  lastResult = SelectApplication();
  return lastResult;
}

std::int32_t TransATMiVeskClient::SelectApplication() {
  constexpr std::size_t kLength = kSelectApplicationCommand.size() / 2;
  HexToBytes(kSelectApplicationCommand, kSelectApplicationCommand.size(), reader().Command());
  std::uint8_t answer[256];
  std::uint32_t answerLength = 0;
  lastResult = reader().ReaderTransmit(reader().cardHandle, reader().Command().first(kLength), answer, answerLength);
  return answerLength == 0 ? kResultNoSelectionAnswer : lastResult;
}

std::int32_t TransATMiVeskClient::SelectFile(std::string_view fileIdHex) {
  std::array<std::uint8_t, 2> fileId{};
  HexToBytes(fileIdHex, std::min<std::size_t>(fileIdHex.size(), 4), fileId);
  lastResult = CardSelectFile(reader(), reader().cardHandle, fileId, statusWord);
  return lastResult;
}

std::int32_t TransATMiVeskClient::VerifyPin(std::string_view pin) {
  if (pin.size() > kMaxPinLength) {
    statusWord = 0;
    lastResult = kResultInvalidArgument;
    return lastResult;
  }
  SecureString field(pin.substr(0, 16));
  while (field.size() < 16) field += 'F';
  SecureBytes block(8);
  HexToBytes(field, 16, block);
  lastResult = CardVerifyPin(reader(), reader().cardHandle, 0x10, std::span<const std::uint8_t, 8>(block.data(), 8),
                             statusWord);
  return lastResult == kScardSuccess && statusWord == kStatusOk ? 0 : static_cast<std::int32_t>(statusWord);
}

bool TransATMiVeskClient::SelectAccountFile() {
  return SelectFile("1001") == kScardSuccess && statusWord == kStatusOk;
}

bool TransATMiVeskClient::ReadRecord(std::uint8_t record, Bytes& data) {
  lastResult = CardReadRecord(reader(), reader().cardHandle, record, 0x00, data, statusWord);
  return lastResult == kScardSuccess && statusWord == kStatusOk;
}

std::int32_t TransATMiVeskClient::CountAccounts() {
  if (!SelectAccountFile()) return lastResult;
  Bytes data;
  for (std::uint8_t record = kMainAccountRecord; record <= kLastAccountRecord; ++record) {
    if (!ReadRecord(record, data)) {
      lastResult = kResultCardUnreadable;
      continue;
    }
    const std::string account = RecordText(data, kAccountLength);
    const std::string_view trimmed = TrimBlanks(account);
    if (!trimmed.empty() && trimmed != "0000000000000000") ++accountCount;
  }
  return lastResult;
}

std::string TransATMiVeskClient::ReadRecordText(std::uint8_t record, std::size_t length) {
  Bytes data;
  return ReadRecord(record, data) ? RecordText(data, length) : std::string();
}

std::string TransATMiVeskClient::ReadIssuerId() {
  if (!SelectAccountFile()) return {};
  return ReadRecordText(kIssuerRecord, kIssuerIdLength);
}

std::string TransATMiVeskClient::ReadMainAccount() {
  SelectFile("1001");
  return ReadRecordText(kMainAccountRecord, kAccountLength);
}

std::int32_t TransATMiVeskClient::ReadCardData(std::string_view accountIndex, CardRecords& records) {
  if (!SelectAccountFile()) return lastResult;
  Bytes data;
  const auto fail = [this] {
    lastResult = kResultCardUnreadable;
    return lastResult;
  };
  if (!ReadRecord(kIssuerRecord, data)) return fail();
  records.issuerId = RecordText(data, kIssuerIdLength);
  if (!ReadRecord(kRemarkRecord, data)) return fail();
  const auto remark = std::span<const std::uint8_t>(data).subspan(
      std::min(kRecordDataOffset, data.size()), std::min(kRemarkLength, data.size() - std::min(kRecordDataOffset, data.size())));
  records.issuerRemark = std::string(TrimBlanks(BytesToHex(remark)));
  if (!ReadRecord(kMainAccountRecord, data)) return fail();
  records.issuerAccount = RecordText(data, kAccountLength);
  long long record = DecimalPrefix(accountIndex) + 2;
  if (record < kMainAccountRecord || record > kLastAccountRecord) record = kMainAccountRecord;
  if (!ReadRecord(static_cast<std::uint8_t>(record), data)) return fail();
  records.outAccount = RecordText(data, kAccountLength);
  return 0;
}

std::string TransATMiVeskClient::AmountToWhole(std::string_view amount, std::size_t decimals) {
  if (amount.size() < decimals + 1) return "0";
  return std::to_string(DecimalPrefix(amount.substr(0, amount.size() - decimals)));
}

}  // namespace korvaden
