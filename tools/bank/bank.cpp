#include "bank.h"

#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/rsa.h>

#include <cctype>
#include <fstream>
#include <memory>
#include <sstream>

namespace korvaden::bank {
namespace {

const std::vector<std::uint8_t> kMessageIv = {'2', '7', '1', '8', '2', '8', '1', '8'};

std::vector<std::uint8_t> Bytes(std::string_view text) { return {text.begin(), text.end()}; }

std::optional<std::vector<std::uint8_t>> RsaPrivateDecrypt(std::string_view pem,
                                                           const std::vector<std::uint8_t>& cipher) {
  std::unique_ptr<BIO, decltype(&BIO_free)> bio(BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())), BIO_free);
  std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> key(
      bio ? PEM_read_bio_PrivateKey(bio.get(), nullptr, nullptr, nullptr) : nullptr, EVP_PKEY_free);
  if (!key) return std::nullopt;
  std::unique_ptr<EVP_PKEY_CTX, decltype(&EVP_PKEY_CTX_free)> context(EVP_PKEY_CTX_new(key.get(), nullptr),
                                                                      EVP_PKEY_CTX_free);
  std::size_t length = 0;
  if (!context || EVP_PKEY_decrypt_init(context.get()) <= 0 ||
      EVP_PKEY_CTX_set_rsa_padding(context.get(), RSA_PKCS1_PADDING) <= 0 ||
      EVP_PKEY_decrypt(context.get(), nullptr, &length, cipher.data(), cipher.size()) <= 0) {
    return std::nullopt;
  }
  std::vector<std::uint8_t> plain(length);
  if (EVP_PKEY_decrypt(context.get(), plain.data(), &length, cipher.data(), cipher.size()) <= 0) {
    return std::nullopt;
  }
  plain.resize(length);
  return plain;
}

int Nibble(char c) {
  c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return c >= '0' && c <= '9' ? c - '0' : (c >= 'A' && c <= 'F' ? c - 'A' + 10 : 0);
}

// Packs pairs of digits into out[first...]; a missing low digit counts as 0.
void Pack(std::string_view digits, std::vector<std::uint8_t>& out, std::size_t first) {
  for (std::size_t i = 0; i < digits.size() && first + i / 2 < out.size(); i += 2) {
    const char low = i + 1 < digits.size() ? digits[i + 1] : '0';
    out[first + i / 2] = static_cast<std::uint8_t>(Nibble(digits[i]) * 16 + Nibble(low));
  }
}

std::vector<std::uint8_t> ReferenceField(PinBlockKind kind, std::string_view reference) {
  std::vector<std::uint8_t> field(8, 0);
  if (kind == PinBlockKind::Cardless) {
    Pack(reference, field, 2);
  } else if (!reference.empty()) {
    field[0] = static_cast<std::uint8_t>(reference[0] - 0x40);
    if (reference.size() > 1 && std::isalpha(static_cast<unsigned char>(reference[1]))) {
      field[1] = static_cast<std::uint8_t>(reference[1] - 0x40);
      Pack(reference.substr(2), field, 2);
    } else {
      Pack(reference.substr(1), field, 1);
    }
  }
  return field;
}

std::string ReadFile(const std::string& path, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot read " + path;
    return {};
  }
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

std::vector<std::uint8_t> DecodeBase64(std::string_view text) {
  std::string compact;
  for (char c : text)
    if (!std::isspace(static_cast<unsigned char>(c))) compact += c;
  if (compact.size() % 4 != 0) return {};
  std::vector<std::uint8_t> out(compact.size() / 4 * 3);
  const int n = EVP_DecodeBlock(out.data(), reinterpret_cast<const unsigned char*>(compact.data()),
                                static_cast<int>(compact.size()));
  if (n < 0) return {};
  std::size_t length = static_cast<std::size_t>(n);
  for (std::size_t i = compact.size(); i > 0 && compact[i - 1] == '='; --i) --length;
  out.resize(length);
  return out;
}

std::string ToHex(const std::vector<std::uint8_t>& bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  for (std::uint8_t b : bytes) {
    hex += kDigits[b >> 4];
    hex += kDigits[b & 15];
  }
  return hex;
}

std::vector<std::uint8_t> FromHex(std::string_view hex) {
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes.push_back(static_cast<std::uint8_t>(Nibble(hex[i]) * 16 + Nibble(hex[i + 1])));
  }
  return bytes;
}

std::optional<std::vector<std::uint8_t>> DesEdeCbc(bool encrypt, const std::vector<std::uint8_t>& key,
                                                   const std::vector<std::uint8_t>& iv,
                                                   const std::vector<std::uint8_t>& data, bool padding) {
  if (key.size() < 16 || iv.size() < 8) return std::nullopt;
  std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> context(EVP_CIPHER_CTX_new(), EVP_CIPHER_CTX_free);
  std::vector<std::uint8_t> out(data.size() + 16);
  int written = 0, last = 0;
  if (!context || EVP_CipherInit_ex(context.get(), EVP_des_ede_cbc(), nullptr, key.data(), iv.data(), encrypt) != 1 ||
      EVP_CIPHER_CTX_set_padding(context.get(), padding ? 1 : 0) != 1 ||
      EVP_CipherUpdate(context.get(), out.data(), &written, data.data(), static_cast<int>(data.size())) != 1 ||
      EVP_CipherFinal_ex(context.get(), out.data() + written, &last) != 1) {
    return std::nullopt;
  }
  out.resize(static_cast<std::size_t>(written + last));
  return out;
}

std::map<std::string, std::string> ParseDeploymentText(std::string_view text) {
  std::map<std::string, std::string> values;
  std::istringstream lines{std::string(text)};
  for (std::string line; std::getline(lines, line);) {
    if (line.empty() || line[0] == '#') continue;
    const auto equals = line.find('=');
    if (equals == std::string::npos) continue;
    std::string value = line.substr(equals + 1);
    while (!value.empty() && std::isspace(static_cast<unsigned char>(value.back()))) value.pop_back();
    values[line.substr(0, equals)] = value;
  }
  return values;
}

std::optional<BankKeys> LoadDeploymentFolder(const std::string& folder, std::string& error) {
  BankKeys keys;
  keys.serverPrivatePem = ReadFile(folder + "/server-private.pem", error);
  keys.hsmPrivatePem = ReadFile(folder + "/hsm-private.pem", error);
  const auto values = ParseDeploymentText(ReadFile(folder + "/deployment.txt", error));
  if (!error.empty()) return std::nullopt;
  const auto value = [&](const char* name) {
    const auto found = values.find(name);
    return found == values.end() ? std::string() : found->second;
  };
  keys.macKey = value("mac_key");
  keys.ivBlockKey = value("iv_block_key");
  keys.paramBlockKey = value("param_block_key");
  return keys;
}

Outcome Unseal(std::string_view sealed, const BankKeys& keys) {
  const auto first = sealed.find('%');
  const auto second = first == std::string_view::npos ? first : sealed.find('%', first + 1);
  if (second == std::string_view::npos || second + 1 != sealed.size()) {
    return {false, {}, "not a sealed text: expected cipher%key%"};
  }
  const auto cipher = DecodeBase64(sealed.substr(0, first));
  const auto wrappedKey = DecodeBase64(sealed.substr(first + 1, second - first - 1));
  if (cipher.empty() || wrappedKey.empty()) return {false, {}, "the parts are not Base64"};
  const auto messageKey = RsaPrivateDecrypt(keys.serverPrivatePem, wrappedKey);
  if (!messageKey || messageKey->size() != 16) return {false, {}, "the message key does not decrypt"};
  const auto plain = DesEdeCbc(false, *messageKey, kMessageIv, cipher, true);
  if (!plain) return {false, {}, "the message does not decrypt"};

  // The MAC's Base64 (28 characters and a line feed) closes the text.
  const std::string text(plain->begin(), plain->end());
  constexpr std::size_t kMacText = 29;
  if (text.size() < kMacText || text.back() != '\n') return {false, {}, "the message has no MAC"};
  const std::string document = text.substr(0, text.size() - kMacText);
  std::string window = document.size() > 32 ? document.substr(32, 30) : std::string();
  window = window.substr(0, window.find('\0'));
  const auto macKey = DecodeBase64(keys.macKey);
  unsigned char mac[EVP_MAX_MD_SIZE];
  unsigned int macLength = 0;
  if (macKey.size() < 16 || !HMAC(EVP_sha1(), macKey.data(), 16, reinterpret_cast<const unsigned char*>(window.data()),
                                  window.size(), mac, &macLength)) {
    return {false, {}, "the MAC key is unusable"};
  }
  if (DecodeBase64(text.substr(text.size() - kMacText)) != std::vector<std::uint8_t>(mac, mac + macLength)) {
    return {false, {}, "MAC mismatch"};
  }
  return {true, document, {}};
}

Outcome RecoverPassword(std::string_view reason, PinBlockKind kind, std::string_view reference, const BankKeys& keys) {
  const auto block = RsaPrivateDecrypt(keys.hsmPrivatePem, DecodeBase64(reason));
  if (!block || block->size() != 8) return {false, {}, "the PIN block does not decrypt"};
  const auto field = ReferenceField(kind, reference);
  std::vector<std::uint8_t> pin(8);
  for (int i = 0; i < 8; ++i) pin[i] = (*block)[i] ^ field[i];
  const std::size_t length = pin[0];
  const std::string digits = ToHex({pin.begin() + 1, pin.end()});
  if (length > 14) return {false, {}, "the PIN field is malformed"};
  for (std::size_t i = length; i < digits.size(); ++i) {
    if (digits[i] != 'F') return {false, {}, "the PIN field is not filled with F"};
  }
  return {true, digits.substr(0, length), {}};
}

Outcome VerifyTac(std::string_view cardKeyHex, std::string_view inputHex, std::string_view tsacHex) {
  auto data = FromHex(inputHex);
  data.push_back(0x80);
  while (data.size() % 8 != 0) data.push_back(0);
  const auto cipher = DesEdeCbc(true, FromHex(cardKeyHex), std::vector<std::uint8_t>(8, 0), data, false);
  if (!cipher) return {false, {}, "the card key is unusable"};
  const std::string expected = ToHex({cipher->end() - 8, cipher->end()});
  std::string given(tsacHex);
  for (char& c : given) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (given != expected) return {false, {}, "TAC mismatch: expected " + expected};
  return {true, "TAC valid", {}};
}

std::map<std::string, std::string> MakeBlocks(const std::map<std::string, std::string>& plaintexts,
                                              const BankKeys& keys) {
  std::vector<std::uint8_t> iv(8);
  RAND_bytes(iv.data(), static_cast<int>(iv.size()));
  std::map<std::string, std::string> blocks;
  blocks["BHO_D5"] =
      ToHex(DesEdeCbc(true, DecodeBase64(keys.ivBlockKey), kMessageIv, iv, true).value_or(std::vector<std::uint8_t>{}));
  for (const auto& [name, plain] : plaintexts) {
    blocks[name] = ToHex(DesEdeCbc(true, DecodeBase64(keys.paramBlockKey), iv, Bytes(plain), true)
                             .value_or(std::vector<std::uint8_t>{}));
  }
  return blocks;
}

}  // namespace korvaden::bank
