#include "crypto/param_blocks.h"

#include <algorithm>
#include <exception>
#include <tuple>
#include <vector>

#include "base/hex.h"
#include "base/result_codes.h"
#include "crypto/base64.h"
#include "crypto/des.h"

namespace korvaden {
namespace {

constexpr std::uint8_t kIvBlockIv[8] = {'2', '7', '1', '8', '2', '8', '1', '8'};
constexpr std::size_t kMaxHexDigits = 65536;

// The key text (at most 32 characters) decoded; only its first 16 bytes count.
SecureBytes BlockKey(std::string_view keyText) {
  SecureBytes key = base64Decode(keyText.substr(0, 32));
  key.resize(16, 0);
  return key;
}

std::string Cut(std::string_view text, std::size_t start, std::size_t count = std::string_view::npos) {
  return start < text.size() ? std::string(text.substr(start, count)) : std::string();
}

}  // namespace

bool CParseEncParam::DecryptIvBlock(std::string_view hex, BlockIv& iv) const {
  if (hex.size() < 16 || hex.size() % 2 != 0) return false;
  SecureBytes cipher(hex.size() / 2);
  std::ignore = DecodeHexText(hex, cipher);  // the length is even
  const SecureBytes key = BlockKey(keys_.ivBlockKey.Joined());
  SecureBytes plain(8);
  if (!TripleDesCbcDecrypt(std::span<const std::uint8_t, 16>(key.data(), 16), kIvBlockIv, std::span(cipher).first(8),
                           plain)) {
    return false;
  }
  std::copy(plain.begin(), plain.end(), iv.begin());
  return true;
}

SecureString CParseEncParam::DecryptBlock(std::string_view hex, const BlockIv& iv) const {
  hex = hex.substr(0, kMaxHexDigits);
  if (hex.empty() || hex.size() % 16 != 0) return {};
  SecureBytes data(hex.size() / 2);
  std::ignore = DecodeHexText(hex, data);  // the length is a multiple of 16
  const SecureBytes key = BlockKey(keys_.paramBlockKey.Joined());
  if (!TripleDesCbcDecrypt(std::span<const std::uint8_t, 16>(key.data(), 16), iv, data, data)) return {};
  const std::size_t pad = data.back();
  if (pad > 8) return {};
  std::string_view plain(reinterpret_cast<const char*>(data.data()), data.size() - pad);
  return SecureString(plain.substr(0, plain.find('\0')));
}

ResultCode CParseEncParam::ParseD1(std::string_view plain) {
  PinMode = Cut(plain, 0, 1);
  LoginIssuerId = Cut(plain, 1, 8);
  LoginIssuerAccount = Cut(plain, 9, 16);
  ReaderName = Cut(plain, 25);
  return kResultSuccess;
}

ResultCode CParseEncParam::ParseD2(std::string_view plain) {
  SessionId = plain;
  return kResultSuccess;
}

ResultCode CParseEncParam::ParseD3(std::string_view plain) {
  AtmNo = Cut(plain, 0, 8);
  AtmCheckCode = Cut(plain, 8, 8);
  ClientDateTime = Cut(plain, 24, 14);
  ServiceAccount = Cut(plain, 38);
  return kResultSuccess;
}

ResultCode CParseEncParam::ParseD4(std::string_view plain) {
  TacId = plain;
  return kResultSuccess;
}

ResultCode CParseEncParam::ParseD11(std::string_view plain) {
  TxCode = plain;
  return kResultSuccess;
}

ResultCode CParseEncParam::ParseD12(std::string_view plain) {
  IdentityNumber = plain;
  return kResultSuccess;
}

ResultCode CParseEncParam::DecryptAndSplit(const ParameterBlocks& blocks) {
  BlockIv iv{};
  if (!DecryptIvBlock(blocks.d5, iv)) return kResultBlockD5Refused;

  struct Step {
    std::string_view hex;
    ResultCode refusal;
    ResultCode (CParseEncParam::*parse)(std::string_view);
  };
  std::vector<Step> steps = {{blocks.d1, kResultBlockD1Refused, &CParseEncParam::ParseD1},
                             {blocks.d2, kResultBlockD2Refused, &CParseEncParam::ParseD2},
                             {blocks.d3, kResultBlockD3Refused, &CParseEncParam::ParseD3},
                             {blocks.d4, kResultBlockD4Refused, &CParseEncParam::ParseD4},
                             {blocks.d11, kResultBlockD11Refused, &CParseEncParam::ParseD11}};
  if (blocks.d12) steps.push_back({*blocks.d12, kResultBlockD12Refused, &CParseEncParam::ParseD12});

  std::vector<SecureString> plains;
  for (const Step& step : steps) {
    plains.push_back(DecryptBlock(step.hex, iv));
    if (plains.back().empty()) return step.refusal;
  }
  try {
    // Splitting a block cannot be refused: only an exception ends it.
    for (std::size_t i = 0; i < steps.size(); ++i) std::ignore = (this->*steps[i].parse)(plains[i]);
  } catch (const std::exception&) {
    return kResultParametersUnsplittable;
  }
  return kResultSuccess;
}

}  // namespace korvaden
