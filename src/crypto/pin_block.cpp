#include "crypto/pin_block.h"

#include <cctype>

#include "base/hex.h"
#include "crypto/rsa.h"

namespace korvaden {
namespace {

constexpr std::size_t kBlockSize = 8;

// Byte 0 the length, then the digits packed (an odd count padded with F), then FF.
SecureBytes PasswordField(std::string_view password) {
  SecureBytes field(kBlockSize, 0xFF);
  field[0] = static_cast<std::uint8_t>(password.size());
  SecureString digits(password);
  if (digits.size() % 2 != 0) digits += 'F';
  HexToBytes(digits, digits.size(), std::span(field).subspan(1));
  return field;
}

// Converts `text` in pairs into field[first...]; a missing low digit counts as 0.
void PackPairs(std::string_view text, SecureBytes& field, std::size_t first) {
  HexToBytes(text, text.size(), std::span(field).subspan(first));
}

SecureBytes Xor(SecureBytes a, const SecureBytes& b) {
  for (std::size_t i = 0; i < kBlockSize; ++i) a[i] ^= b[i];
  return a;
}

std::uint8_t LetterValue(char c) { return static_cast<std::uint8_t>(static_cast<unsigned char>(c) - 0x40); }

HsmCipher Encipher(const SecureBytes& block, std::string_view hsmPublicPem) {
  return block.empty() ? HsmCipher{} : HsmRsaEncrypt(block, hsmPublicPem);
}

}  // namespace

SecureBytes BuildCardlessPinBlock(std::string_view password, std::string_view referenceDigits) {
  if (password.size() > 12 || referenceDigits.size() > 12) return {};
  SecureBytes reference(kBlockSize, 0);
  PackPairs(referenceDigits, reference, 2);
  return Xor(PasswordField(password), reference);
}

SecureBytes BuildBondingPinBlock(std::string_view password, std::string_view identityNumber) {
  if (password.size() > 6 || identityNumber.size() > 10) return {};
  SecureBytes identity(kBlockSize, 0);
  identity[0] = LetterValue(identityNumber.empty() ? '\0' : identityNumber[0]);
  if (identityNumber.size() > 1 && std::isalpha(static_cast<unsigned char>(identityNumber[1]))) {
    identity[1] = LetterValue(identityNumber[1]);
    PackPairs(identityNumber.substr(2), identity, 2);
  } else if (identityNumber.size() > 1) {
    PackPairs(identityNumber.substr(1), identity, 1);
  }
  return Xor(PasswordField(password), identity);
}

HsmCipher MakeCardlessPinBlock(std::string_view password, std::string_view referenceDigits,
                               std::string_view hsmPublicPem) {
  return Encipher(BuildCardlessPinBlock(password, referenceDigits), hsmPublicPem);
}

HsmCipher MakeBondingPinBlock(std::string_view password, std::string_view identityNumber,
                              std::string_view hsmPublicPem) {
  return Encipher(BuildBondingPinBlock(password, identityNumber), hsmPublicPem);
}

}  // namespace korvaden
