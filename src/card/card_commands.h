#pragma once
// The commands of the card's financial application, built in the module's
// command buffer and sent over the connected card.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "base/pcsc_api.h"
#include "base/result_codes.h"
#include "base/secure_memory.h"
#include "reader/reader_module.h"

namespace korvaden {

// The instruction bytes the application understands (class byte 00).
inline constexpr std::uint8_t kInsVerifyPin = 0x20;
inline constexpr std::uint8_t kInsSelect = 0xA4;
inline constexpr std::uint8_t kInsReadRecord = 0xB2;
inline constexpr std::uint8_t kInsComputeTac = 0xE2;

// SELECT by name (P1 04) of the financial application.
inline constexpr std::array<std::uint8_t, 8> kApplicationId = {0xA0, 0x00, 0x00, 0x01, 0x72, 0x95, 0x00, 0x01};

// A command as ISO 7816-4 shapes it: the header, then Lc and the data when
// there is data, then Le when an answer is expected.
struct CardCommand {
  std::uint8_t ins;
  std::uint8_t p1;
  std::uint8_t p2;
  std::span<const std::uint8_t> data = {};  // at most 255 bytes are sent
  std::optional<std::uint8_t> le = std::nullopt;
};

// The exchange's PC/SC code and the status word split from the answer (none
// unless an answer of at least two bytes came).
struct [[nodiscard]] CardAnswer {
  PcscResult result = kScardSuccess;
  StatusWord statusWord = kNoStatusWord;
  bool Ok() const { return result == kScardSuccess && statusWord == kStatusOk; }
};

// Builds the command in the module's buffer, sends it and wipes the buffer
// (it may have held a PIN block); `data` (when given) gets the answer without
// its status word.
CardAnswer SendCardCommand(ReaderModule& reader, PcscCard card, const CardCommand& command, Bytes* data = nullptr);

CardAnswer CardSelectApplication(ReaderModule& reader, PcscCard card);
CardAnswer CardSelectFile(ReaderModule& reader, PcscCard card, std::array<std::uint8_t, 2> fileId);
CardAnswer CardReadRecord(ReaderModule& reader, PcscCard card, std::uint8_t record, std::uint8_t le, Bytes& data);
CardAnswer CardVerifyPin(ReaderModule& reader, PcscCard card, std::uint8_t p2,
                         std::span<const std::uint8_t, 8> pinBlock);
CardAnswer CardComputeTac(ReaderModule& reader, PcscCard card, std::array<std::uint8_t, 2> p1p2,
                          std::span<const std::uint8_t> input, Bytes& data);

inline constexpr std::size_t kMaxTacLength = 16;

// The compute-TAC answer: a filler byte, the 8-character serial, a big-endian
// length n and n bytes of code. None when n exceeds 16 or the bytes present.
struct TacAnswer {
  std::string iccNo;  // up to the first zero byte
  std::string tsac;   // 2n upper-case hexadecimal digits
};
[[nodiscard]] std::optional<TacAnswer> ParseTacAnswer(std::span<const std::uint8_t> data);

}  // namespace korvaden
