#pragma once
// The deployment's values as the build generates them from a deployment folder:
// no key is stored whole, each is joined from these pieces when it is used.
#include <array>
#include <vector>

namespace korvaden::deployment {
extern const std::array<const char*, 3> kServerKeyLines;
extern const std::array<const char*, 3> kHsmKeyLines;
extern const std::array<const char*, 4> kMacKeyPieces;
extern const std::array<const char*, 3> kIvBlockKeyPieces;
extern const std::array<const char*, 3> kParamBlockKeyPieces;
extern const char* const kBankCode;
extern const std::vector<const char*> kAllowedOrigins;
}  // namespace korvaden::deployment
