#include "card/card_commands.h"

#include <algorithm>

#include "base/hex.h"

namespace korvaden {
namespace {

constexpr std::uint8_t kClass = 0x00;
constexpr std::size_t kMaxCommandData = 255;
constexpr std::uint8_t kSelectByFileId = 0x02, kSelectByName = 0x04;

// CLA INS P1 P2 [Lc data] [Le] into the buffer; gives the length.
std::size_t WriteCommand(const CardCommand& command, std::span<std::uint8_t> buffer) {
  const auto data = command.data.first(std::min(command.data.size(), kMaxCommandData));
  std::size_t at = 0;
  for (const std::uint8_t byte : {kClass, command.ins, command.p1, command.p2}) buffer[at++] = byte;
  if (!data.empty()) {
    buffer[at++] = static_cast<std::uint8_t>(data.size());
    at = static_cast<std::size_t>(
        std::copy(data.begin(), data.end(), buffer.begin() + static_cast<std::ptrdiff_t>(at)) - buffer.begin());
  }
  if (command.le) buffer[at++] = *command.le;
  return at;
}

}  // namespace

CardAnswer SendCardCommand(ReaderModule& reader, PcscCard card, const CardCommand& command, Bytes* data) {
  if (data != nullptr) data->clear();
  const std::size_t length = WriteCommand(command, reader.Command());
  std::uint32_t received = 0;
  CardAnswer answer{reader.ReaderTransmit(card, reader.Command().first(length), {}, received)};
  reader.WipeCommand();
  const auto response = reader.LastResponse();
  if (answer.result != kScardSuccess || response.size() < 2) return answer;
  answer.statusWord = StatusWord{static_cast<std::uint32_t>(response[response.size() - 2] << 8 | response.back())};
  if (data != nullptr) data->assign(response.begin(), response.end() - 2);
  return answer;
}

CardAnswer CardSelectApplication(ReaderModule& reader, PcscCard card) {
  return SendCardCommand(reader, card, {kInsSelect, kSelectByName, 0x00, kApplicationId, 0x00});
}

CardAnswer CardSelectFile(ReaderModule& reader, PcscCard card, std::array<std::uint8_t, 2> fileId) {
  return SendCardCommand(reader, card, {kInsSelect, kSelectByFileId, 0x00, fileId});
}

CardAnswer CardReadRecord(ReaderModule& reader, PcscCard card, std::uint8_t record, std::uint8_t le, Bytes& data) {
  constexpr std::uint8_t kRecordNumberInP1 = 0x04;
  return SendCardCommand(reader, card, {kInsReadRecord, record, kRecordNumberInP1, {}, le}, &data);
}

CardAnswer CardVerifyPin(ReaderModule& reader, PcscCard card, std::uint8_t p2,
                         std::span<const std::uint8_t, 8> pinBlock) {
  return SendCardCommand(reader, card, {kInsVerifyPin, 0x00, p2, pinBlock});
}

CardAnswer CardComputeTac(ReaderModule& reader, PcscCard card, std::array<std::uint8_t, 2> p1p2,
                          std::span<const std::uint8_t> input, Bytes& data) {
  return SendCardCommand(reader, card, {kInsComputeTac, p1p2[0], p1p2[1], input, 0x00}, &data);
}

std::optional<TacAnswer> ParseTacAnswer(std::span<const std::uint8_t> data) {
  constexpr std::size_t kCodeStart = 11;
  if (data.size() < kCodeStart) return std::nullopt;
  const std::size_t length = static_cast<std::size_t>(data[9] << 8 | data[10]);
  // A card that computed no code has not authorised anything.
  if (length == 0 || length > kMaxTacLength || kCodeStart + length > data.size()) return std::nullopt;
  const auto serial = data.subspan(1, 8);
  const auto end = std::find(serial.begin(), serial.end(), 0);
  return TacAnswer{std::string(serial.begin(), end), BytesToHex(data.subspan(kCodeStart, length))};
}

}  // namespace korvaden
