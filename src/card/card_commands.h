#pragma once
// The commands of the card's financial application, built in the module's
// command buffer. Each sets the status word to 0 first and to SW1SW2 when an
// answer of at least two bytes came; a failed exchange returns its PC/SC code.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "crypto/secure_memory.h"
#include "reader/reader_module.h"

namespace korvaden {

inline constexpr std::uint32_t kStatusOk = 0x9000;

// SELECT by name of the application A0 00 00 01 72 95 00 01.
inline constexpr std::string_view kSelectApplicationCommand = "00A4040008A00000017295000100";

PcscResult CardSelectFile(ReaderModule& reader, PcscCard card, std::array<std::uint8_t, 2> fileId,
                          std::uint32_t& statusWord);
// `data` gets the answer without its status word.
PcscResult CardReadRecord(ReaderModule& reader, PcscCard card, std::uint8_t record, std::uint8_t le, Bytes& data,
                          std::uint32_t& statusWord);
PcscResult CardVerifyPin(ReaderModule& reader, PcscCard card, std::uint8_t p2,
                         std::span<const std::uint8_t, 8> pinBlock, std::uint32_t& statusWord);
// The input block of at most 255 bytes; `data` gets the answer without its status word.
PcscResult CardComputeTac(ReaderModule& reader, PcscCard card, std::array<std::uint8_t, 2> p1p2,
                          std::span<const std::uint8_t> input, Bytes& data, std::uint32_t& statusWord);

inline constexpr std::size_t kMaxTacLength = 16;

// The compute-TAC answer: a filler byte, the 8-character serial, a big-endian
// length n and n bytes of code. None when n exceeds 16 or the bytes present.
struct TacAnswer {
  std::string iccNo;  // up to the first zero byte
  std::string tsac;   // 2n upper-case hexadecimal digits
};
std::optional<TacAnswer> ParseTacAnswer(std::span<const std::uint8_t> data);

}  // namespace korvaden
