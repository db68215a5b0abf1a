#include "openssl_floor.h"

#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/rsa.h>

#include <openssl/crypto.h>

#include <algorithm>

namespace korvaden::bench {

struct OpenSslFloor::Prepared {
  EVP_PKEY* server = nullptr;
  EVP_PKEY_CTX* encryption = nullptr;
  EVP_CIPHER* twoKeyCbc = nullptr;
  EVP_CIPHER* threeKeyCbc = nullptr;
  std::vector<std::uint8_t> macKey, ivBlockKey, blockKey;
};

namespace {

std::vector<std::uint8_t> Cipher(const EVP_CIPHER* cipher, const std::uint8_t* key, const std::uint8_t* iv,
                                 const std::uint8_t* in, std::size_t size, int encrypt, int padding) {
  EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
  std::vector<std::uint8_t> out(size + 8);
  int written = 0, last = 0;
  EVP_CipherInit_ex2(context, cipher, key, iv, encrypt, nullptr);
  EVP_CIPHER_CTX_set_padding(context, padding);
  EVP_CipherUpdate(context, out.data(), &written, in, static_cast<int>(size));
  EVP_CipherFinal_ex(context, out.data() + written, &last);
  EVP_CIPHER_CTX_free(context);
  out.resize(static_cast<std::size_t>(written + last));
  return out;
}

std::string Base64(const std::vector<std::uint8_t>& bytes) {
  std::string text(4 * ((bytes.size() + 2) / 3) + 1, '\0');
  text.resize(static_cast<std::size_t>(
      EVP_EncodeBlock(reinterpret_cast<unsigned char*>(text.data()), bytes.data(), static_cast<int>(bytes.size()))));
  return text;
}

std::vector<std::uint8_t> FromHex(std::string_view hex) {
  std::vector<std::uint8_t> bytes(hex.size() / 2);
  std::size_t length = 0;
  const std::string text(hex);
  OPENSSL_hexstr2buf_ex(bytes.data(), bytes.size(), &length, text.c_str(), '\0');
  bytes.resize(length);
  return bytes;
}

}  // namespace

OpenSslFloor::OpenSslFloor(std::string_view serverPublicPem, std::vector<std::uint8_t> macKey,
                           std::vector<std::uint8_t> ivBlockKey, std::vector<std::uint8_t> blockKey)
    : prepared_(new Prepared) {
  BIO* bio = BIO_new_mem_buf(serverPublicPem.data(), static_cast<int>(serverPublicPem.size()));
  prepared_->server = PEM_read_bio_PUBKEY(bio, nullptr, nullptr, nullptr);
  BIO_free(bio);
  prepared_->encryption = EVP_PKEY_CTX_new(prepared_->server, nullptr);
  EVP_PKEY_encrypt_init(prepared_->encryption);
  EVP_PKEY_CTX_set_rsa_padding(prepared_->encryption, RSA_PKCS1_PADDING);
  prepared_->twoKeyCbc = EVP_CIPHER_fetch(nullptr, "DES-EDE-CBC", nullptr);
  prepared_->threeKeyCbc = EVP_CIPHER_fetch(nullptr, "DES-EDE3-CBC", nullptr);
  prepared_->macKey = std::move(macKey);
  prepared_->ivBlockKey = std::move(ivBlockKey);
  prepared_->blockKey = std::move(blockKey);
}

OpenSslFloor::~OpenSslFloor() {
  EVP_CIPHER_free(prepared_->twoKeyCbc);
  EVP_CIPHER_free(prepared_->threeKeyCbc);
  EVP_PKEY_CTX_free(prepared_->encryption);
  EVP_PKEY_free(prepared_->server);
  delete prepared_;
}

std::string OpenSslFloor::Seal(std::string_view document) {
  std::uint8_t key[24], iv[8] = {};
  RAND_bytes(key, 16);
  std::copy(key, key + 8, key + 16);
  const std::string cipher = Base64(Cipher(
      prepared_->threeKeyCbc, key, iv, reinterpret_cast<const std::uint8_t*>(document.data()), document.size(), 1, 1));
  std::vector<std::uint8_t> wrapped(256);
  std::size_t length = wrapped.size();
  EVP_PKEY_encrypt(prepared_->encryption, wrapped.data(), &length, key, 16);
  wrapped.resize(length);
  const std::string sealed = cipher + "%" + Base64(wrapped) + "%";
  std::vector<std::uint8_t> mac(EVP_MAX_MD_SIZE);
  unsigned int macLength = 0;
  HMAC(EVP_sha1(), prepared_->macKey.data(), static_cast<int>(prepared_->macKey.size()),
       reinterpret_cast<const unsigned char*>(sealed.data()), sealed.size(), mac.data(), &macLength);
  mac.resize(macLength);
  return sealed + Base64(mac);
}

std::size_t OpenSslFloor::DecipherBlocks(std::string_view d5, const std::vector<std::string_view>& others) {
  static const std::uint8_t kIvBlockIv[8] = {'2', '7', '1', '8', '2', '8', '1', '8'};
  const std::vector<std::uint8_t> ivCipher = FromHex(d5.substr(0, 16));
  const std::vector<std::uint8_t> iv =
      Cipher(prepared_->twoKeyCbc, prepared_->ivBlockKey.data(), kIvBlockIv, ivCipher.data(), 8, 0, 0);
  std::size_t total = 0;
  for (const std::string_view block : others) {
    const std::vector<std::uint8_t> cipher = FromHex(block);
    total +=
        Cipher(prepared_->twoKeyCbc, prepared_->blockKey.data(), iv.data(), cipher.data(), cipher.size(), 0, 0).size();
  }
  return total;
}

}  // namespace korvaden::bench
