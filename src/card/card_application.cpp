#include "card/card_application.h"

#include <algorithm>
#include <tuple>

#include "base/hex.h"

namespace korvaden {
namespace {

constexpr std::size_t kRecordDataOffset = 2;
constexpr std::uint8_t kIssuerRecord = 1, kRemarkRecord = 2, kMainAccountRecord = 3, kLastAccountRecord = 10;
constexpr std::size_t kIssuerIdLength = 8, kRemarkLength = 30, kAccountLength = 16;
constexpr std::uint8_t kVerifyPinP2 = 0x10;
constexpr std::size_t kPinFieldDigits = 16;

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
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
    value = std::min(value * 10 + (text[i] - '0'), kClamp);
  return negative ? -value : value;
}

}  // namespace

ResultCode CardApplication::Connect(std::string_view readerName) {
  if (const PcscResult connected = session_.Connect(readerName); Failed(connected)) {
    lastResult_ = FromPcsc(connected);
    return lastResult_;
  }
  lastResult_ = SelectApplication();
  return lastResult_;
}

ResultCode CardApplication::SelectApplication() {
  const CardAnswer answer = CardSelectApplication(session_.module(), session_.card());
  return session_.module().LastResponse().empty() ? kResultNoSelectionAnswer : FromPcsc(answer.result);
}

bool CardApplication::Keep(const CardAnswer& answer) {
  lastResult_ = FromPcsc(answer.result);
  statusWord_ = answer.statusWord;
  return answer.Ok();
}

PcscResult CardApplication::SelectFile(std::string_view fileIdHex) {
  std::array<std::uint8_t, 2> fileId{};
  HexToBytes(fileIdHex, std::min<std::size_t>(fileIdHex.size(), 4), fileId);
  const CardAnswer answer = CardSelectFile(session_.module(), session_.card(), fileId);
  std::ignore = Keep(answer);
  return answer.result;
}

ResultCode CardApplication::VerifyPin(std::string_view pin) {
  if (pin.size() > kMaxPinLength) {
    statusWord_ = kNoStatusWord;
    lastResult_ = kResultInvalidArgument;
    return lastResult_;
  }
  SecureString field(pin.substr(0, kPinFieldDigits));
  while (field.size() < kPinFieldDigits) field += 'F';
  SecureBytes block(8);
  HexToBytes(field, kPinFieldDigits, block);
  const CardAnswer answer = CardVerifyPin(session_.module(), session_.card(), kVerifyPinP2,
                                          std::span<const std::uint8_t, 8>(block.data(), 8));
  return Keep(answer) ? kResultSuccess : FromStatusWord(statusWord_);
}

bool CardApplication::SelectAccountFile() { return SelectFile("1001") == kScardSuccess && statusWord_ == kStatusOk; }

bool CardApplication::ReadRecord(std::uint8_t record, Bytes& data) {
  return Keep(CardReadRecord(session_.module(), session_.card(), record, 0x00, data));
}

ResultCode CardApplication::CountAccounts() {
  // A second count on the same client counts the card again, not on top.
  accountCount_ = 0;
  if (!SelectAccountFile()) return lastResult_;
  Bytes data;
  for (std::uint8_t record = kMainAccountRecord; record <= kLastAccountRecord; ++record) {
    if (!ReadRecord(record, data)) {
      lastResult_ = kResultCardUnreadable;
      continue;
    }
    const std::string account = RecordText(data, kAccountLength);
    const std::string_view trimmed = TrimBlanks(account);
    if (!trimmed.empty() && trimmed != "0000000000000000") ++accountCount_;
  }
  return lastResult_;
}

std::string CardApplication::ReadRecordText(std::uint8_t record, std::size_t length) {
  Bytes data;
  return ReadRecord(record, data) ? RecordText(data, length) : std::string();
}

std::string CardApplication::ReadIssuerId() {
  if (!SelectAccountFile()) return {};
  return ReadRecordText(kIssuerRecord, kIssuerIdLength);
}

std::string CardApplication::ReadMainAccount() {
  // A refused selection shows in the record read that follows.
  std::ignore = SelectFile("1001");
  return ReadRecordText(kMainAccountRecord, kAccountLength);
}

ResultCode CardApplication::ReadCardData(std::string_view accountIndex, CardRecords& records) {
  if (!SelectAccountFile()) return lastResult_;
  Bytes data;
  const auto fail = [this] {
    lastResult_ = kResultCardUnreadable;
    return lastResult_;
  };
  if (!ReadRecord(kIssuerRecord, data)) return fail();
  records.issuerId = RecordText(data, kIssuerIdLength);
  if (!ReadRecord(kRemarkRecord, data)) return fail();
  const std::size_t remarkStart = std::min(kRecordDataOffset, data.size());
  const auto remark =
      std::span<const std::uint8_t>(data).subspan(remarkStart, std::min(kRemarkLength, data.size() - remarkStart));
  records.issuerRemark = std::string(TrimBlanks(BytesToHex(remark)));
  if (!ReadRecord(kMainAccountRecord, data)) return fail();
  records.issuerAccount = RecordText(data, kAccountLength);
  long long record = DecimalPrefix(accountIndex) + 2;
  if (record < kMainAccountRecord || record > kLastAccountRecord) record = kMainAccountRecord;
  if (!ReadRecord(static_cast<std::uint8_t>(record), data)) return fail();
  records.outAccount = RecordText(data, kAccountLength);
  return kResultSuccess;
}

std::optional<TacAnswer> CardApplication::ComputeTac(std::array<std::uint8_t, 2> p1p2,
                                                     std::span<const std::uint8_t> input) {
  Bytes data;
  const CardAnswer answer = CardComputeTac(session_.module(), session_.card(), p1p2, input, data);
  statusWord_ = answer.statusWord;
  auto parsed = answer.Ok() ? ParseTacAnswer(data) : std::nullopt;
  lastResult_ = parsed ? kResultSuccess : kResultTacFailed;
  return parsed;
}

std::string AmountToWhole(std::string_view amount, std::size_t decimals) {
  if (amount.size() < decimals + 1) return "0";
  return std::to_string(DecimalPrefix(amount.substr(0, amount.size() - decimals)));
}

}  // namespace korvaden
