#pragma once
// RSA public-key encryption with PKCS #1 v1.5 padding for the message key
// (server key) and the PIN blocks (HSM key).
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace korvaden {

// The text in pieces of 96 bytes, each enciphered under the server's key (a PEM
// "PUBLIC KEY" holding an RSA key), encoded with base64Encode and followed by
// "%". Empty when the key cannot be read or a piece fails.
[[nodiscard]] std::string RsaEncryptChunks(std::string_view text, std::string_view serverPublicPem);

// A text enciphered under the HSM key: empty when it could not be, and then
// whether the key itself could not be read.
struct HsmCipher {
  std::string text;
  bool keyUnreadable = false;
};

// Base64 (lines of 64) of the RSA ciphertext of `bytes` under the HSM key.
[[nodiscard]] HsmCipher HsmRsaEncrypt(std::span<const std::uint8_t> bytes, std::string_view hsmPublicPem);

}  // namespace korvaden
