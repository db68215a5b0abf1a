#include "crypto/mac.h"

#include <openssl/evp.h>
#include <openssl/hmac.h>

#include "crypto/base64.h"

namespace korvaden {

Bytes MacMsg(std::span<const std::uint8_t> data, std::span<const std::uint8_t> key) {
  constexpr int kKeyLength = 16;
  if (key.size() < kKeyLength) return {};
  Bytes mac(EVP_MAX_MD_SIZE);
  unsigned int length = 0;
  if (HMAC(EVP_sha1(), key.data(), kKeyLength, data.data(), data.size(), mac.data(), &length) == nullptr) {
    return {};
  }
  mac.resize(length);
  return mac;
}

std::string ComputeMessageMac(std::string_view message, std::string_view macKeyText) {
  const SecureBytes key = base64Decode(macKeyText);
  std::string_view window;
  if (message.size() > kMacWindowStart) window = message.substr(kMacWindowStart, kMacWindowLength);
  window = window.substr(0, window.find('\0'));
  const Bytes mac = MacMsg({reinterpret_cast<const std::uint8_t*>(window.data()), window.size()}, key);
  return mac.empty() ? std::string() : base64Encode(mac);
}

}  // namespace korvaden
