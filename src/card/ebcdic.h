#pragma once
// Digit texts travel to the card as EBCDIC characters or as packed nibbles.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "base/secure_memory.h"

namespace korvaden {

// Code page 1047 (bytes above 7F as from ISO 8859-1).
Bytes AsciiToEbcdic(std::string_view text);

// One byte per pair: the low nibble of the first as high half, of the second
// as low half; an odd last byte is dropped. Digits give packed BCD.
Bytes PackNibblePairs(std::span<const std::uint8_t> bytes);

// The first `length` characters of the text in a zero-filled field, converted
// to EBCDIC (the zero bytes after a shorter text stay zero).
Bytes EbcdicField(std::string_view text, std::size_t length);

// EbcdicField of `digits` characters, packed: digits / 2 bytes of BCD, a
// shorter text ending in zero nibbles.
Bytes PackDigitsField(std::string_view text, std::size_t digits);

}  // namespace korvaden
