#include "card/card_commands.h"

#include <algorithm>
#include <cstring>

#include "reader/hex.h"

namespace korvaden {
namespace {

// Sends the first `length` bytes of the command buffer and splits off the
// status word; `data` (when given) gets the rest of the answer.
PcscResult Exchange(ReaderModule& reader, PcscCard card, std::size_t length, Bytes* data,
                    std::uint32_t& statusWord) {
  statusWord = 0;
  if (data != nullptr) data->clear();
  std::uint32_t received = 0;
  const PcscResult result = reader.ReaderTransmit(card, reader.Command().first(length), {}, received);
  reader.WipeCommand();
  const auto answer = reader.LastResponse();
  if (result != kScardSuccess || answer.size() < 2) return result;
  statusWord = static_cast<std::uint32_t>(answer[answer.size() - 2] << 8 | answer[answer.size() - 1]);
  if (data != nullptr) data->assign(answer.begin(), answer.end() - 2);
  return result;
}

void Header(ReaderModule& reader, std::uint8_t ins, std::uint8_t p1, std::uint8_t p2, std::uint8_t p3) {
  const std::uint8_t header[5] = {0x00, ins, p1, p2, p3};
  std::copy(std::begin(header), std::end(header), reader.Command().begin());
}

}  // namespace

PcscResult CardSelectFile(ReaderModule& reader, PcscCard card, std::array<std::uint8_t, 2> fileId,
                          std::uint32_t& statusWord) {
  Header(reader, 0xA4, 0x02, 0x00, 0x02);
  std::copy(fileId.begin(), fileId.end(), reader.Command().begin() + 5);
  return Exchange(reader, card, 7, nullptr, statusWord);
}

PcscResult CardReadRecord(ReaderModule& reader, PcscCard card, std::uint8_t record, std::uint8_t le, Bytes& data,
                          std::uint32_t& statusWord) {
  Header(reader, 0xB2, record, 0x04, le);
  return Exchange(reader, card, 5, &data, statusWord);
}

PcscResult CardVerifyPin(ReaderModule& reader, PcscCard card, std::uint8_t p2,
                         std::span<const std::uint8_t, 8> pinBlock, std::uint32_t& statusWord) {
  Header(reader, 0x20, 0x00, p2, 0x08);
  std::copy(pinBlock.begin(), pinBlock.end(), reader.Command().begin() + 5);
  return Exchange(reader, card, 13, nullptr, statusWord);
}

PcscResult CardComputeTac(ReaderModule& reader, PcscCard card, std::array<std::uint8_t, 2> p1p2,
                          std::span<const std::uint8_t> input, Bytes& data, std::uint32_t& statusWord) {
  input = input.first(std::min<std::size_t>(input.size(), 255));
  Header(reader, 0xE2, p1p2[0], p1p2[1], static_cast<std::uint8_t>(input.size()));
  std::copy(input.begin(), input.end(), reader.Command().begin() + 5);
  reader.Command()[5 + input.size()] = 0x00;  // Le
  return Exchange(reader, card, input.size() + 6, &data, statusWord);
}

std::optional<TacAnswer> ParseTacAnswer(std::span<const std::uint8_t> data) {
  constexpr std::size_t kCodeStart = 11;
  if (data.size() < kCodeStart) return std::nullopt;
  const std::size_t length = static_cast<std::size_t>(data[9] << 8 | data[10]);
  if (length > kMaxTacLength || kCodeStart + length > data.size()) return std::nullopt;
  const auto serial = data.subspan(1, 8);
  const auto end = std::find(serial.begin(), serial.end(), 0);
  return TacAnswer{std::string(serial.begin(), end), BytesToHex(data.subspan(kCodeStart, length))};
}

}  // namespace korvaden
