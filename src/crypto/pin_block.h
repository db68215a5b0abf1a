#pragma once
// The 8-byte PIN blocks of the service passwords, enciphered under the HSM key.
#include <string>
#include <string_view>

#include "base/secure_memory.h"
#include "crypto/rsa.h"

namespace korvaden {

// ISO 9564-1 format 0: the password field XOR 00 00 and 12 reference digits.
// Empty when the password or the digits exceed 12 characters.
[[nodiscard]] SecureBytes BuildCardlessPinBlock(std::string_view password, std::string_view referenceDigits);

// The password field XOR a field made from the identity number (its first
// character, and its second when that is a letter, as letter values; the rest
// packed in pairs). Empty when the password exceeds 6 or the number 10 characters.
[[nodiscard]] SecureBytes BuildBondingPinBlock(std::string_view password, std::string_view identityNumber);

// HsmRsaEncrypt of the block; empty when the block is refused or the key fails.
[[nodiscard]] HsmCipher MakeCardlessPinBlock(std::string_view password, std::string_view referenceDigits,
                                             std::string_view hsmPublicPem);
[[nodiscard]] HsmCipher MakeBondingPinBlock(std::string_view password, std::string_view identityNumber,
                                            std::string_view hsmPublicPem);

}  // namespace korvaden
