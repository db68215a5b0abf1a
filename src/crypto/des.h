#pragma once
// Two-key triple DES (EDE, K3 = K1) in CBC mode without padding, through
// OpenSSL. The parameter blocks and the keypad tokens use it.
#include <cstdint>
#include <span>

namespace korvaden {

using DesKey16 = std::span<const std::uint8_t, 16>;
using DesIv = std::span<const std::uint8_t, 8>;

// Process min(in, out) / 8 whole blocks; a shorter remainder is ignored and its
// output bytes are left untouched. The IV is only read; `in` and `out` may be
// the same bytes. False when the cipher could not run.
[[nodiscard]] bool TripleDesCbcEncrypt(DesKey16 key, DesIv iv, std::span<const std::uint8_t> in,
                                       std::span<std::uint8_t> out);
[[nodiscard]] bool TripleDesCbcDecrypt(DesKey16 key, DesIv iv, std::span<const std::uint8_t> in,
                                       std::span<std::uint8_t> out);

}  // namespace korvaden
