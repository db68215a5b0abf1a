#pragma once
// The keys and codes of one deployment, joined from their stored pieces each
// time they are needed and wiped when the holder goes away.
#include <string>
#include <vector>

#include "base/secure_memory.h"

namespace korvaden {

struct DeploymentKeys {
  std::string serverPublicPem;  // PEM "PUBLIC KEY", lines ending in CR LF
  std::string hsmPublicPem;
  SecureString macKeyText;      // Base64 of the 16-byte HMAC key
  SecureString ivBlockKeyText;  // Base64 of the 16-byte key of BHO_D5
  SecureString paramBlockKeyText;
  std::string bankCode;                     // three digits
  std::vector<std::string> allowedOrigins;  // the pages that may drive the control
};

DeploymentKeys BuiltInDeployment();

// "-----BEGIN PUBLIC KEY-----" CR LF, each line CR LF, "-----END PUBLIC KEY-----".
std::string JoinPublicKeyPem(const char* const* lines, std::size_t count);

}  // namespace korvaden
