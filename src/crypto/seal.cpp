#include "crypto/seal.h"

#include <openssl/evp.h>

#include <memory>

#include "crypto/mac.h"
#include "crypto/rsa.h"

namespace korvaden {
namespace {

constexpr unsigned char kMessageIv[8] = {'2', '7', '1', '8', '2', '8', '1', '8'};

struct CipherContextDeleter {
  void operator()(EVP_CIPHER_CTX* context) const { EVP_CIPHER_CTX_free(context); }
};

}  // namespace

SecureString MakeSessionKey(RandomSource& random) {
  static constexpr char kAlphabet[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  SecureString key;
  for (int i = 0; i < 16; ++i) key += kAlphabet[random.RandomNumber() % 36];
  return key;
}

std::string TripleDesEncryptBase64(std::string_view plain, std::string_view keyText) {
  plain = plain.substr(0, plain.find('\0'));
  if (plain.size() > kMaxSealedPlainLength) return {};
  unsigned char key[16] = {};
  keyText.substr(0, sizeof(key)).copy(reinterpret_cast<char*>(key), sizeof(key));

  std::unique_ptr<EVP_CIPHER_CTX, CipherContextDeleter> context(EVP_CIPHER_CTX_new());
  SecureBytes cipher(plain.size() + 8);
  int written = 0, last = 0;
  const bool ok =
      context && EVP_EncryptInit_ex(context.get(), EVP_des_ede_cbc(), nullptr, key, kMessageIv) == 1 &&
      EVP_EncryptUpdate(context.get(), cipher.data(), &written, reinterpret_cast<const unsigned char*>(plain.data()),
                        static_cast<int>(plain.size())) == 1 &&
      EVP_EncryptFinal_ex(context.get(), cipher.data() + written, &last) == 1;
  Cleanse(key, sizeof(key));
  if (!ok) return {};
  const std::size_t length = static_cast<std::size_t>(written + last);
  std::string encoded(4 * ((length + 2) / 3) + 1, '\0');
  const int encodedLength =
      EVP_EncodeBlock(reinterpret_cast<unsigned char*>(encoded.data()), cipher.data(), static_cast<int>(length));
  encoded.resize(static_cast<std::size_t>(encodedLength));
  return encoded;
}

SealedMessage SealForServer(std::string_view message, const DeploymentKeys& keys, RandomSource& random) {
  // The cipher takes the text only up to a NUL: the MAC after it would be
  // lost, and the server could not open the message.
  if (message.find('\0') != std::string_view::npos) return {SealFailure::Cipher, {}};
  const std::string mac = ComputeMessageMac(message, keys.macKey.Joined());
  if (mac.empty()) return {SealFailure::Mac, {}};  // the server would refuse a message without its MAC
  SecureString plain(message);
  plain += mac;
  const SecureString sessionKey = MakeSessionKey(random);
  if (random.Failed()) return {SealFailure::Random, {}};  // a key of zeros would open to anyone

  const std::string cipherPart = TripleDesEncryptBase64(plain, sessionKey);
  if (cipherPart.empty()) return {SealFailure::Cipher, {}};
  const std::string keyPart = RsaEncryptChunks(sessionKey, keys.serverPublicPem);
  if (keyPart.empty()) return {SealFailure::ServerKey, {}};
  return {SealFailure::None, cipherPart + "%" + keyPart};
}

}  // namespace korvaden
