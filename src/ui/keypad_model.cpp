#include "ui/keypad_model.h"

#include <algorithm>
#include <tuple>

#include "base/hex.h"
#include "crypto/des.h"
#include "ui/verification_code.h"

namespace korvaden {

CVKB::CVKB(RandomSource& random) : random_(random) {
  for (auto& b : tokenIv_) b = random_.RandomNumber();
  for (auto& b : tokenKey_) b = random_.RandomNumber();
}

CVKB::~CVKB() {
  Cleanse(tokenKey_.data(), tokenKey_.size());
  Cleanse(tokenIv_.data(), tokenIv_.size());
  Cleanse(tables_.data(), sizeof(tables_));
  for (auto& token : tokens_) Cleanse(token.data(), token.size());
}

void CVKB::Shuffle() {
  shownTable_ = random_.RandomNumber() % 4;
  for (auto& table : tables_) {
    for (std::size_t i = 0; i < kKeypadPositions; ++i) {
      const auto used = [&](char digit) {
        return std::find(table.begin(), table.begin() + static_cast<std::ptrdiff_t>(i), digit) !=
               table.begin() + static_cast<std::ptrdiff_t>(i);
      };
      table[i] = DrawUnusedDigit(random_, 10, used);
    }
  }
  for (std::size_t k = 0; k < kKeypadPositions; ++k) {
    std::uint8_t block[8] = {static_cast<std::uint8_t>(tables_[0][k]),
                             static_cast<std::uint8_t>(tables_[1][k]),
                             static_cast<std::uint8_t>(tables_[2][k]),
                             static_cast<std::uint8_t>(tables_[3][k]),
                             4,
                             4,
                             4,
                             4};
    std::uint8_t cipher[8];
    // A key without a token adds nothing to a field, so its digits can never pass a rule.
    tokens_[k] = TripleDesCbcEncrypt(tokenKey_, tokenIv_, block, cipher) ? BytesToHex(cipher) : std::string();
    Cleanse(block, sizeof(block));
  }
}

std::string CVKB::TokenAt(std::size_t position) const { return tokens_.at(position); }

char CVKB::DigitAt(std::size_t position) const { return tables_[shownTable_].at(position); }

SecureString CVKB::DecodeTokens(std::string_view tokens) const {
  tokens = tokens.substr(0, std::min<std::size_t>(tokens.size(), 65536));
  const std::size_t count = tokens.size() / kTokenLength;
  SecureBytes cipher(count * 8);
  std::ignore = DecodeHexText(tokens.substr(0, count * kTokenLength), cipher);  // whole tokens: an even length
  SecureString digits;
  for (std::size_t b = 0; b < count; ++b) {
    std::uint8_t plain[8] = {};
    // A block that is not one of this keypad's tokens (or that the cipher
    // could not read) decodes to nothing: its four digits and its four 04s
    // are what no other key gives.
    const bool read = TripleDesCbcDecrypt(tokenKey_, tokenIv_, std::span(cipher).subspan(b * 8, 8), plain);
    const bool token = read && std::all_of(plain, plain + 4, [](std::uint8_t c) { return c >= '0' && c <= '9'; }) &&
                       std::all_of(plain + 4, plain + 8, [](std::uint8_t c) { return c == 4; });
    if (token) digits += static_cast<char>(plain[shownTable_]);
    Cleanse(plain, sizeof(plain));
  }
  return digits;
}

}  // namespace korvaden
