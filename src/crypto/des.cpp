#include "crypto/des.h"

#include <openssl/evp.h>

#include <algorithm>
#include <memory>

namespace korvaden {
namespace {

struct CipherContextDeleter {
  void operator()(EVP_CIPHER_CTX* context) const { EVP_CIPHER_CTX_free(context); }  // wipes the key schedule
};

// Fetched once: an implicit fetch at every call costs more than the cipher.
const EVP_CIPHER* TwoKeyTripleDesCbc() {
  static EVP_CIPHER* const cipher = EVP_CIPHER_fetch(nullptr, "DES-EDE-CBC", nullptr);
  return cipher;
}

bool Run(int encrypt, DesKey16 key, DesIv iv, std::span<const std::uint8_t> in, std::span<std::uint8_t> out) {
  const std::size_t length = std::min(in.size(), out.size()) / 8 * 8;
  if (length == 0) return true;
  const std::unique_ptr<EVP_CIPHER_CTX, CipherContextDeleter> context(EVP_CIPHER_CTX_new());
  int written = 0;
  return context && TwoKeyTripleDesCbc() != nullptr &&
         EVP_CipherInit_ex2(context.get(), TwoKeyTripleDesCbc(), key.data(), iv.data(), encrypt, nullptr) == 1 &&
         EVP_CIPHER_CTX_set_padding(context.get(), 0) == 1 &&
         EVP_CipherUpdate(context.get(), out.data(), &written, in.data(), static_cast<int>(length)) == 1 &&
         static_cast<std::size_t>(written) == length;
}

}  // namespace

bool TripleDesCbcEncrypt(DesKey16 key, DesIv iv, std::span<const std::uint8_t> in, std::span<std::uint8_t> out) {
  return Run(1, key, iv, in, out);
}

bool TripleDesCbcDecrypt(DesKey16 key, DesIv iv, std::span<const std::uint8_t> in, std::span<std::uint8_t> out) {
  return Run(0, key, iv, in, out);
}

}  // namespace korvaden
