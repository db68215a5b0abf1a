#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "base/secure_memory.h"

namespace korvaden {

// Base64 through the library's filter with its default line handling: a line
// feed after every 64 characters and one at the end. Empty when memory runs out.
[[nodiscard]] std::string base64Encode(std::span<const std::uint8_t> bytes);

// Accepts line breaks and blanks; a text that is not whole Base64 otherwise
// gives nothing. Decodes into wiped storage only.
[[nodiscard]] SecureBytes base64Decode(std::string_view text);

}  // namespace korvaden
