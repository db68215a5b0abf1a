#pragma once
// Sealing a transaction message for the server: the message and its MAC under
// a fresh two-key triple-DES key, the key under the server's RSA key.
#include <string>
#include <string_view>

#include "base/random_source.h"
#include "base/secure_memory.h"
#include "crypto/deployment_keys.h"

namespace korvaden {

// 16 characters drawn from 0-9 and A-Z.
[[nodiscard]] SecureString MakeSessionKey(RandomSource& random);

// Two-key triple DES, CBC, PKCS #7 padding, IV "27182818", under the first 16
// characters of `keyText`; Base64 without line breaks. Empty on failure.
[[nodiscard]] std::string TripleDesEncryptBase64(std::string_view plain, std::string_view keyText);

// Why a message was not sealed: the cipher refused it (a NUL inside, or over
// 65536 characters), the MAC or a random draw failed, or the server's key
// did not take the message key.
enum class SealFailure { None, Cipher, Mac, Random, ServerKey };

struct SealedMessage {
  SealFailure failure = SealFailure::None;
  std::string text;  // cipher part "%" key part "%"; empty unless sealed
  bool sealed() const { return failure == SealFailure::None; }
};

// Never gives a partial text: any failure leaves the result empty and says which.
[[nodiscard]] SealedMessage SealForServer(std::string_view message, const DeploymentKeys& keys, RandomSource& random);

inline constexpr std::size_t kMaxSealedPlainLength = 65536;

}  // namespace korvaden
