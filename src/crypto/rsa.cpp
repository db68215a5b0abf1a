#include "crypto/rsa.h"

#include <openssl/bio.h>
#include <openssl/pem.h>
#include <openssl/rsa.h>

#include <algorithm>

#include "base/secure_memory.h"
#include "crypto/base64.h"

namespace korvaden {
namespace {

struct BioDeleter {
  void operator()(BIO* bio) const { BIO_free(bio); }
};
struct PkeyContextDeleter {
  void operator()(EVP_PKEY_CTX* context) const { EVP_PKEY_CTX_free(context); }
};

// PKCS #1 v1.5 encryption; empty on failure.
Bytes RsaEncrypt(EVP_PKEY* key, std::span<const std::uint8_t> plain) {
  std::unique_ptr<EVP_PKEY_CTX, PkeyContextDeleter> context(EVP_PKEY_CTX_new(key, nullptr));
  if (!context || EVP_PKEY_encrypt_init(context.get()) <= 0 ||
      EVP_PKEY_CTX_set_rsa_padding(context.get(), RSA_PKCS1_PADDING) <= 0) {
    return {};
  }
  std::size_t length = 0;
  if (EVP_PKEY_encrypt(context.get(), nullptr, &length, plain.data(), plain.size()) <= 0) return {};
  Bytes cipher(length);
  if (EVP_PKEY_encrypt(context.get(), cipher.data(), &length, plain.data(), plain.size()) <= 0) return {};
  cipher.resize(length);
  return cipher;
}

}  // namespace

PublicKey LoadPublicKey(std::string_view pem) {
  std::unique_ptr<BIO, BioDeleter> bio(BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())));
  if (!bio) return {};
  PublicKey key(PEM_read_bio_PUBKEY(bio.get(), nullptr, nullptr, nullptr));
  if (key && EVP_PKEY_get_base_id(key.get()) != EVP_PKEY_RSA) key.reset();
  return key;
}

std::string RsaEncryptChunks(std::string_view text, std::string_view serverPublicPem) {
  constexpr std::size_t kPiece = 96;
  const PublicKey key = LoadPublicKey(serverPublicPem);
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

std::string HsmRsaEncrypt(std::span<const std::uint8_t> bytes, std::string_view hsmPublicPem, MessageBoxes& boxes) {
  const PublicKey key = LoadPublicKey(hsmPublicPem);
  if (!key) {
    boxes.Show("PEM_read_bio_RSA_PUBKEY failed!!\n", "", MessageIcon::Warning);
    boxes.Show("HSM RSA readHSMRSAPuK error", "", MessageIcon::Warning);
    return {};
  }
  const Bytes cipher = RsaEncrypt(key.get(), bytes);
  return cipher.empty() ? std::string() : base64Encode(cipher);
}

}  // namespace korvaden
