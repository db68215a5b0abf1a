#pragma once
// The enciphered parameter blocks of the account services: hexadecimal texts
// of two-key triple-DES CBC ciphertexts. BHO_D5 carries the IV of the others.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "base/result_codes.h"
#include "base/secure_memory.h"
#include "crypto/deployment_keys.h"

namespace korvaden {

using BlockIv = std::array<std::uint8_t, 8>;

struct ParameterBlocks {
  std::string_view d5, d1, d2, d3, d4, d11;
  std::optional<std::string_view> d12;  // only the device bonding has it
};

class CParseEncParam {
 public:
  explicit CParseEncParam(const DeploymentKeys& keys) : keys_(keys) {}
  virtual ~CParseEncParam() = default;

  // Writes the first plaintext block of BHO_D5 into `iv`; false (nothing
  // written) when the text is odd or shorter than one cipher block.
  [[nodiscard]] bool DecryptIvBlock(std::string_view hex, BlockIv& iv) const;

  // The plaintext cut at its padding count, or empty when refused: a length of
  // 0 or not a multiple of 16 digits, or a last byte above 8.
  [[nodiscard]] SecureString DecryptBlock(std::string_view hex, const BlockIv& iv) const;

  ResultCode ParseD1(std::string_view plain);
  ResultCode ParseD2(std::string_view plain);
  ResultCode ParseD3(std::string_view plain);
  ResultCode ParseD4(std::string_view plain);
  ResultCode ParseD11(std::string_view plain);
  ResultCode ParseD12(std::string_view plain);

  // Decrypts every block in order and splits them: 0, or the code of the first
  // refused block (9810 BHO_D5, 9811 D1, 9812 D2, 9813 D3, 9814 D4, 9821 D11,
  // 9822 D12), or 9899 when splitting fails.
  ResultCode DecryptAndSplit(const ParameterBlocks& blocks);

  std::string PinMode, LoginIssuerId, LoginIssuerAccount, ReaderName, SessionId, AtmNo, AtmCheckCode, ClientDateTime,
      ServiceAccount, TacId, TxCode, IdentityNumber;

 private:
  const DeploymentKeys& keys_;
};

}  // namespace korvaden
