#pragma once
// Hexadecimal conversions shared by the card commands, the PIN blocks, the
// parameter blocks and the keypad's tokens.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace korvaden {

// Each character is upper-cased; one that is not 0-9 or A-F counts as 0.
std::uint8_t HexPairToByte(char high, char low);

// Converts the first `count` characters in pairs; an odd count takes the
// character after the counted ones (0 at the end of the text) as the last low
// digit. Writes (count + 1) / 2 bytes, never more than `out` holds.
void HexToBytes(std::string_view text, std::size_t count, std::span<std::uint8_t> out);

// Pairs of hexadecimal digits (either case) into text.size() / 2 bytes, never
// more than `out` holds. An odd length returns -1 and writes nothing.
[[nodiscard]] int DecodeHexText(std::string_view text, std::span<std::uint8_t> out);

// Two upper-case hexadecimal digits per byte.
std::string BytesToHex(std::span<const std::uint8_t> bytes);

}  // namespace korvaden
