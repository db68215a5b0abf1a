#pragma once
// The floors the benchmarks compare with: the same work written directly
// against OpenSSL, with every key read and prepared once, outside the timing.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korvaden::bench {

class OpenSslFloor {
 public:
  OpenSslFloor(std::string_view serverPublicPem, std::vector<std::uint8_t> macKey, std::vector<std::uint8_t> ivBlockKey,
               std::vector<std::uint8_t> blockKey);
  ~OpenSslFloor();
  OpenSslFloor(const OpenSslFloor&) = delete;
  OpenSslFloor& operator=(const OpenSslFloor&) = delete;

  // A random two-key triple-DES key, the document enciphered under it and in
  // Base64, the key under the server's RSA key, an HMAC-SHA1 over both.
  std::string Seal(std::string_view document);
  // D5 deciphered for the IV, the other blocks (hexadecimal) deciphered under it.
  std::size_t DecipherBlocks(std::string_view d5, const std::vector<std::string_view>& others);

 private:
  struct Prepared;
  Prepared* prepared_;
};

}  // namespace korvaden::bench
