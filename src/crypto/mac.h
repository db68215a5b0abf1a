#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "base/secure_memory.h"

namespace korvaden {

// HMAC-SHA1 keyed with the first 16 bytes of `key`: 20 bytes, or none when the
// key is shorter than 16 bytes or the library fails.
[[nodiscard]] Bytes MacMsg(std::span<const std::uint8_t> data, std::span<const std::uint8_t> key);

// The message MAC: HMAC-SHA1 of characters 32 to 61 of the message (cut at the
// first NUL and at the end of the text) under the key given as Base64 text;
// returns the MAC's Base64 text with its line feed, or empty on failure.
[[nodiscard]] std::string ComputeMessageMac(std::string_view message, std::string_view macKeyText);

inline constexpr std::size_t kMacWindowStart = 32;
inline constexpr std::size_t kMacWindowLength = 30;

}  // namespace korvaden
