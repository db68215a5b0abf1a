#pragma once
// The keys and codes of one deployment. The secret keys are joined from their
// stored pieces each time one is used, and wiped after that use.
#include <string>
#include <vector>

#include "base/secure_memory.h"

namespace korvaden {

// A secret key text kept only as its pieces in the module's read-only data,
// joined into wiped storage for one use.
struct KeyPieces {
  std::vector<const char*> pieces;
  [[nodiscard]] SecureString Joined() const;
};

struct DeploymentKeys {
  std::string serverPublicPem;  // PEM "PUBLIC KEY", lines ending in CR LF
  std::string hsmPublicPem;
  KeyPieces macKey;                         // Base64 of the 16-byte HMAC key
  KeyPieces ivBlockKey;                     // Base64 of the 16-byte key of BHO_D5
  KeyPieces paramBlockKey;                  // Base64 of the 16-byte key of the other blocks
  std::string bankCode;                     // three digits
  std::vector<std::string> allowedOrigins;  // the pages that may drive the control
};

DeploymentKeys BuiltInDeployment();

// "-----BEGIN PUBLIC KEY-----" CR LF, each line CR LF, "-----END PUBLIC KEY-----".
std::string JoinPublicKeyPem(const char* const* lines, std::size_t count);

}  // namespace korvaden
