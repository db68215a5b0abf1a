#include "crypto/deployment_keys.h"

#include "crypto/deployment_data.h"

namespace korvaden {
namespace {

template <std::size_t N>
KeyPieces PiecesOf(const std::array<const char*, N>& pieces) {
  return {{pieces.begin(), pieces.end()}};
}

}  // namespace

SecureString KeyPieces::Joined() const {
  SecureString text;
  text.Reserve(64);
  for (const char* piece : pieces) text += piece;
  return text;
}

std::string JoinPublicKeyPem(const char* const* lines, std::size_t count) {
  std::string pem = "-----BEGIN PUBLIC KEY-----\r\n";
  for (std::size_t i = 0; i < count; ++i) {
    pem += lines[i];
    pem += "\r\n";
  }
  pem += "-----END PUBLIC KEY-----";
  return pem;
}

DeploymentKeys BuiltInDeployment() {
  using namespace deployment;
  return DeploymentKeys{
      JoinPublicKeyPem(kServerKeyLines.data(), kServerKeyLines.size()),
      JoinPublicKeyPem(kHsmKeyLines.data(), kHsmKeyLines.size()),
      PiecesOf(kMacKeyPieces),
      PiecesOf(kIvBlockKeyPieces),
      PiecesOf(kParamBlockKeyPieces),
      kBankCode,
      {kAllowedOrigins.begin(), kAllowedOrigins.end()},
  };
}

}  // namespace korvaden
