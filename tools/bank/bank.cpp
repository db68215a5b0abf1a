#include "bank.h"

#include <openssl/bio.h>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/rsa.h>

#include <algorithm>
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

// The value of a hexadecimal digit, -1 for any other character.
int Nibble(char c) {
  c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return c >= '0' && c <= '9' ? c - '0' : (c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1);
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

std::optional<std::vector<std::uint8_t>> DecodeBase64(std::string_view text) {
  std::string compact;
  for (const char c : text) {
    if (c == '\n') continue;
    const bool alphabet = std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '/';
    // "=" pads only the last group: none may follow it but another "=".
    if (!alphabet && c != '=') return std::nullopt;
    if (alphabet && !compact.empty() && compact.back() == '=') return std::nullopt;
    compact += c;
  }
  const std::size_t padding = compact.size() - std::min(compact.size(), compact.find('='));
  if (compact.empty() || compact.size() % 4 != 0 || padding > 2) return std::nullopt;
  std::vector<std::uint8_t> out(compact.size() / 4 * 3);
  const int n = EVP_DecodeBlock(out.data(), reinterpret_cast<const unsigned char*>(compact.data()),
                                static_cast<int>(compact.size()));
  if (n != static_cast<int>(out.size())) return std::nullopt;
  out.resize(out.size() - padding);
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

std::optional<std::vector<std::uint8_t>> FromHex(std::string_view hex) {
  if (hex.size() % 2 != 0) return std::nullopt;
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    const int high = Nibble(hex[i]), low = Nibble(hex[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
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

namespace {

bool IsMessageKeyCharacter(std::uint8_t c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z'); }

// The MAC's Base64 (28 characters and a line feed) closes the text.
constexpr std::size_t kMacText = 29;

bool MacMatches(const std::string& text, const BankKeys& keys) {
  if (text.size() < kMacText || text.back() != '\n') return false;
  const std::string_view document(text.data(), text.size() - kMacText);
  std::string window(document.size() > 32 ? document.substr(32, 30) : std::string_view());
  window = window.substr(0, window.find('\0'));
  const auto macKey = DecodeBase64(keys.macKey);
  const auto given = DecodeBase64(std::string_view(text).substr(text.size() - kMacText));
  unsigned char mac[EVP_MAX_MD_SIZE];
  unsigned int macLength = 0;
  if (!macKey || macKey->size() < 16 || !given ||
      !HMAC(EVP_sha1(), macKey->data(), 16, reinterpret_cast<const unsigned char*>(window.data()), window.size(), mac,
            &macLength)) {
    return false;
  }
  return given->size() == macLength && CRYPTO_memcmp(given->data(), mac, macLength) == 0;
}

}  // namespace

Outcome OpenSealed(std::string_view sealed, const BankKeys& keys) {
  const Outcome refused{false, {}, kMessageDoesNotOpen};
  const auto first = sealed.find('%');
  const auto second = first == std::string_view::npos ? first : sealed.find('%', first + 1);
  if (second == std::string_view::npos || second + 1 != sealed.size()) return refused;
  const auto cipher = DecodeBase64(sealed.substr(0, first));
  const auto wrappedKey = DecodeBase64(sealed.substr(first + 1, second - first - 1));
  if (!cipher || !wrappedKey) return refused;

  // From here every step runs whatever the one before it found, and only the
  // end tells: a key that does not decrypt is replaced by a random one, a
  // padding that does not check by the text without it.
  bool opens = true;
  auto messageKey = RsaPrivateDecrypt(keys.serverPrivatePem, *wrappedKey);
  if (!messageKey || messageKey->size() != 16 ||
      !std::all_of(messageKey->begin(), messageKey->end(), IsMessageKeyCharacter)) {
    opens = false;
    messageKey = std::vector<std::uint8_t>(16);
    RAND_bytes(messageKey->data(), 16);
  }
  auto plain = DesEdeCbc(false, *messageKey, kMessageIv, *cipher, true);
  if (!plain) {
    opens = false;
    plain = DesEdeCbc(false, *messageKey, kMessageIv, *cipher, false);
  }
  const std::string text = plain ? std::string(plain->begin(), plain->end()) : std::string();
  opens = MacMatches(text, keys) && opens;
  if (!opens) return refused;
  return {true, text.substr(0, text.size() - kMacText), {}};
}

Outcome Unseal(std::string_view sealed, const BankKeys& keys) {
  Outcome opened = OpenSealed(sealed, keys);
  if (opened.ok && !DocumentInForm(opened.value)) return {false, {}, kMessageDoesNotOpen};
  return opened;
}

namespace {

enum class Characters { Digits, UpperHex, CodeCharacters, Text };

bool AllOf(std::string_view value, Characters kind) {
  return std::all_of(value.begin(), value.end(), [kind](char c) {
    const auto u = static_cast<unsigned char>(c);
    switch (kind) {
      case Characters::Digits:
        return std::isdigit(u) != 0;
      case Characters::UpperHex:
        return std::isdigit(u) != 0 || (c >= 'A' && c <= 'F');
      case Characters::CodeCharacters:
        return std::isdigit(u) != 0 || (c >= 'A' && c <= 'Z');
      case Characters::Text:
        break;
    }
    return u >= 0x20 && u < 0x7F && c != '<' && c != '>' && c != '&';
  });
}

// Reads one document from its start: literal tags and element values in turn.
class DocumentReader {
 public:
  explicit DocumentReader(std::string_view document) : rest_(document) {}

  bool Tag(std::string_view tag) {
    if (!rest_.starts_with(tag)) return false;
    rest_.remove_prefix(tag.size());
    return true;
  }
  // <name>value</name>: the value, none when the element is not next.
  std::optional<std::string_view> Element(std::string_view name) {
    const std::string open = "<" + std::string(name) + ">", close = "</" + std::string(name) + ">";
    if (!Tag(open)) return std::nullopt;
    const std::string_view value = rest_.substr(0, rest_.find('<'));
    rest_.remove_prefix(value.size());
    if (!Tag(close)) return std::nullopt;
    return value;
  }
  // The same, the value `min` to `max` characters of `kind`.
  std::optional<std::string_view> Element(std::string_view name, std::size_t min, std::size_t max, Characters kind) {
    const auto value = Element(name);
    if (!value || value->size() < min || value->size() > max || !AllOf(*value, kind)) return std::nullopt;
    return value;
  }
  bool AtEnd() const { return rest_.empty(); }

 private:
  std::string_view rest_;
};

constexpr std::size_t kAny = std::string_view::npos;

// A <reason> as the services write it: a 6-digit certificate password, or a
// PIN block, the Base64 of 256 bytes in lines of 64 characters.
bool ReasonInForm(std::string_view reason) {
  if (reason.size() == 6 && AllOf(reason, Characters::Digits)) return true;
  constexpr std::size_t kPinBlockText = 344 + 6;
  if (reason.size() != kPinBlockText || reason.back() != '\n') return false;
  for (std::size_t line = 64; line < reason.size() - 1; line += 65) {
    if (reason[line] != '\n') return false;
  }
  const auto block = DecodeBase64(reason);
  return block && block->size() == 256;
}

}  // namespace

bool DocumentInForm(std::string_view document) {
  using C = Characters;
  DocumentReader r(document);
  if (!r.Tag("<Korvaden>")) return false;
  const auto txCode = r.Element("tx_code", 4, 4, C::CodeCharacters);
  const auto issuerId =
      txCode && r.Element("session_id", 1, kAny, C::Text) ? r.Element("issuer_id", 8, 8, C::Digits) : std::nullopt;
  if (!issuerId || !r.Element("issuer_account", 16, 16, C::Digits) ||
      !r.Element("issuer_remark", 60, 60, C::UpperHex) || !r.Element("client_dttm", 14, 14, C::Digits) ||
      !r.Tag("<atm>") || !r.Element("atm_no", 1, kAny, C::Text) || !r.Element("atm_checkcode", 8, 8, C::Digits) ||
      !r.Tag("</atm><trns>")) {
    return false;
  }
  const auto tacId = r.Element("tac_id", 4, 6, C::Digits);
  const auto outBank = r.Element("trns_out_bank", 8, 8, C::Digits);
  const auto amount = outBank && r.Element("trns_out_account", 16, 16, C::Digits)
                          ? r.Element("trns_amount", 14, 16, C::Digits)
                          : std::nullopt;
  const auto tsac = amount && r.Element("icc_no", 1, 8, C::Text) ? r.Element("tsac", 2, 32, C::UpperHex) : std::nullopt;
  if (!tacId || !tsac || *outBank != *issuerId || tsac->size() % 2 != 0) return false;

  // Which member wrote it: the services carry a reason, the verifications
  // their processing code twice.
  const bool verification = (*txCode == "2590" || *txCode == "2566") && *tacId == *txCode;
  bool inForm = false;
  if (const auto reason = r.Element("reason")) {
    inForm = ReasonInForm(*reason) && tacId->size() == 6 && *amount == std::string(14, '0');
  } else if (verification) {
    inForm = *amount == std::string(16, '0');
  } else {
    inForm = tacId->size() == 6 && amount->size() == 14;
  }
  return inForm && r.Tag("</trns></Korvaden>") && r.AtEnd();
}

namespace {

// The reference digits a PIN block is made over: 12 account digits, or an
// identity number of a letter, a letter or digit, then digits (at most 10).
bool ReferenceInForm(PinBlockKind kind, std::string_view reference) {
  if (kind == PinBlockKind::Cardless) return reference.size() == 12 && AllOf(reference, Characters::Digits);
  return reference.size() >= 2 && reference.size() <= 10 && reference[0] >= 'A' && reference[0] <= 'Z' &&
         (std::isdigit(static_cast<unsigned char>(reference[1])) || (reference[1] >= 'A' && reference[1] <= 'Z')) &&
         AllOf(reference.substr(2), Characters::Digits);
}

}  // namespace

Outcome RecoverPassword(std::string_view reason, PinBlockKind kind, std::string_view reference, const BankKeys& keys) {
  if (!ReferenceInForm(kind, reference)) {
    return {false,
            {},
            kind == PinBlockKind::Cardless ? "the reference is not 12 digits"
                                           : "the identity number is not a letter, a letter or digit, then digits"};
  }
  const auto cipher = DecodeBase64(reason);
  if (!cipher) return {false, {}, "the PIN block is not Base64"};
  const auto block = RsaPrivateDecrypt(keys.hsmPrivatePem, *cipher);
  if (!block || block->size() != 8) return {false, {}, "the PIN block does not decrypt"};
  const auto field = ReferenceField(kind, reference);
  std::vector<std::uint8_t> pin(8);
  for (int i = 0; i < 8; ++i) pin[i] = (*block)[i] ^ field[i];
  // Cardless passwords have 6 to 12 digits, bonding passwords 6.
  const std::size_t length = pin[0];
  const std::size_t longest = kind == PinBlockKind::Cardless ? 12 : 6;
  const std::string digits = ToHex({pin.begin() + 1, pin.end()});
  if (length < 6 || length > longest || !AllOf(std::string_view(digits).substr(0, length), Characters::Digits) ||
      digits.find_first_not_of('F', length) != std::string::npos) {
    return {false, {}, "the PIN field is malformed"};
  }
  return {true, digits.substr(0, length), {}};
}

Outcome VerifyTac(std::string_view cardKeyHex, std::string_view inputHex, std::string_view tsacHex) {
  const auto key = FromHex(cardKeyHex);
  if (!key || key->size() != 16) return {false, {}, "the card key is not 32 hexadecimal digits"};
  auto data = FromHex(inputHex);
  if (!data || data->empty() || data->size() > 255) {
    return {false, {}, "the input is not 1 to 255 bytes of hexadecimal"};
  }
  const auto given = FromHex(tsacHex);
  if (!given || given->size() != 8) return {false, {}, "the TAC is not 16 hexadecimal digits"};
  data->push_back(0x80);
  while (data->size() % 8 != 0) data->push_back(0);
  const auto cipher = DesEdeCbc(true, *key, std::vector<std::uint8_t>(8, 0), *data, false);
  if (!cipher) return {false, {}, "the card key is unusable"};
  const std::vector<std::uint8_t> expected(cipher->end() - 8, cipher->end());
  if (*given != expected) return {false, {}, "TAC mismatch: expected " + ToHex(expected)};
  return {true, "TAC valid", {}};
}

std::optional<std::map<std::string, std::string>> MakeBlocks(const std::map<std::string, std::string>& plaintexts,
                                                             const BankKeys& keys, std::string& error) {
  const auto ivKey = DecodeBase64(keys.ivBlockKey);
  const auto paramKey = DecodeBase64(keys.paramBlockKey);
  if (!ivKey || ivKey->size() < 16 || !paramKey || paramKey->size() < 16) {
    error = "the deployment has no usable iv_block_key and param_block_key";
    return std::nullopt;
  }
  std::vector<std::uint8_t> iv(8);
  if (RAND_bytes(iv.data(), static_cast<int>(iv.size())) != 1) {
    error = "the random generator failed: no block IV";
    return std::nullopt;
  }
  std::map<std::string, std::string> blocks;
  const auto ivBlock = DesEdeCbc(true, *ivKey, kMessageIv, iv, false);
  if (!ivBlock) {
    error = "the IV block does not encipher";
    return std::nullopt;
  }
  blocks["BHO_D5"] = ToHex(*ivBlock);
  for (const auto& [name, plain] : plaintexts) {
    const auto block = DesEdeCbc(true, *paramKey, iv, Bytes(plain), true);
    if (!block) {
      error = name + " does not encipher";
      return std::nullopt;
    }
    blocks[name] = ToHex(*block);
  }
  return blocks;
}

}  // namespace korvaden::bank
