// The keys are read through OpenSSL's RSA key route: in OpenSSL 3 reading a
// "PUBLIC KEY" into an EVP_PKEY builds a whole decoder chain at every call
// (about 17 times slower), and the keys are read anew for every use.
#define OPENSSL_SUPPRESS_DEPRECATED
#include "crypto/rsa.h"

#include <openssl/bio.h>
#include <openssl/pem.h>
#include <openssl/rsa.h>

#include <memory>

#include "base/secure_memory.h"
#include "crypto/base64.h"

namespace korvaden {
namespace {

struct BioDeleter {
  void operator()(BIO* bio) const { BIO_free(bio); }
};
struct RsaDeleter {
  void operator()(RSA* key) const { RSA_free(key); }
};
using RsaKey = std::unique_ptr<RSA, RsaDeleter>;

// A PEM "PUBLIC KEY" that holds an RSA key; none otherwise.
RsaKey LoadPublicKey(std::string_view pem) {
  const std::unique_ptr<BIO, BioDeleter> bio(BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())));
  return RsaKey(bio ? PEM_read_bio_RSA_PUBKEY(bio.get(), nullptr, nullptr, nullptr) : nullptr);
}

// PKCS #1 v1.5 encryption; empty on failure (the padding draws from the random generator).
Bytes RsaEncrypt(RSA* key, std::span<const std::uint8_t> plain) {
  Bytes cipher(static_cast<std::size_t>(RSA_size(key)));
  const int length =
      RSA_public_encrypt(static_cast<int>(plain.size()), plain.data(), cipher.data(), key, RSA_PKCS1_PADDING);
  if (length <= 0) return {};
  cipher.resize(static_cast<std::size_t>(length));
  return cipher;
}

}  // namespace

std::string RsaEncryptChunks(std::string_view text, std::string_view serverPublicPem) {
  constexpr std::size_t kPiece = 96;
  const RsaKey key = LoadPublicKey(serverPublicPem);
  if (!key) return {};
  std::string result;
  for (std::size_t at = 0; at < text.size() || at == 0; at += kPiece) {
    const std::string_view piece = text.substr(at, kPiece);
    const Bytes cipher = RsaEncrypt(key.get(), {reinterpret_cast<const std::uint8_t*>(piece.data()), piece.size()});
    const std::string encoded = cipher.empty() ? std::string() : base64Encode(cipher);
    if (encoded.empty()) return {};
    result += encoded;
    result += '%';
  }
  return result;
}

HsmCipher HsmRsaEncrypt(std::span<const std::uint8_t> bytes, std::string_view hsmPublicPem) {
  const RsaKey key = LoadPublicKey(hsmPublicPem);
  if (!key) return {{}, true};
  const Bytes cipher = RsaEncrypt(key.get(), bytes);
  return {cipher.empty() ? std::string() : base64Encode(cipher), false};
}

}  // namespace korvaden
