#pragma once
// What the institution's server does with the control's output and input:
// opening sealed messages, recovering passwords from PIN blocks and enciphering
// parameter blocks. Written against the library directly, independent of the
// control's own code, so that it checks the control from the other side.
//
// Everything that comes from outside (a sealed message, a PIN block, a key, a
// hexadecimal text) is refused unless it is exactly what the formats allow.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvaden::bank {

struct BankKeys {
  std::string serverPrivatePem;
  std::string hsmPrivatePem;
  std::string macKey;         // Base64
  std::string ivBlockKey;     // Base64
  std::string paramBlockKey;  // Base64
};

struct Outcome {
  bool ok = false;
  std::string value;  // the result when ok
  std::string error;  // why not
};

// Reads "name=value" lines (comments start with #).
std::map<std::string, std::string> ParseDeploymentText(std::string_view text);
// server-private.pem, hsm-private.pem and deployment.txt of a deployment folder.
std::optional<BankKeys> LoadDeploymentFolder(const std::string& folder, std::string& error);

// The one answer to a message that does not open, whatever step refused it: a
// server that told the steps apart would let a holder of a sealed message
// read it block by block through the padding.
inline constexpr char kMessageDoesNotOpen[] = "the message does not open";

// Opens "cipher%key%": the key with the server's private key, the message with
// that key, then checks the MAC over characters 32 to 61. Gives the document
// with its MAC checked, nothing more.
Outcome OpenSealed(std::string_view sealed, const BankKeys& keys);
// OpenSealed, and the document must have exactly the form the control writes
// for one of its members: the MAC covers 30 characters only, so a change
// anywhere after them shows only as a document out of form.
Outcome Unseal(std::string_view sealed, const BankKeys& keys);
// The document's elements, their order, widths and characters, by member.
bool DocumentInForm(std::string_view document);

enum class PinBlockKind { Cardless, Bonding };
// Decrypts a <reason> PIN block and gives back the password, given the 12
// account digits (cardless) or the identity number (bonding).
Outcome RecoverPassword(std::string_view reason, PinBlockKind kind, std::string_view reference, const BankKeys& keys);

// Enciphers the named plaintexts ("BHO_D1" ...) under a random block IV and
// gives "BHO_D5" (16 hexadecimal digits) and every named block as upper-case
// hexadecimal; none, with `error`, when a block key is missing or the random
// draw fails.
std::optional<std::map<std::string, std::string>> MakeBlocks(const std::map<std::string, std::string>& plaintexts,
                                                             const BankKeys& keys, std::string& error);

// Checks a card's transaction authorisation code: the last block of two-key
// triple-DES CBC (zero IV) over the input block padded with 80 00...
Outcome VerifyTac(std::string_view cardKeyHex, std::string_view inputHex, std::string_view tsacHex);

// Bytes and texts as the server handles them. The decoders give none for
// anything but their exact form: Base64 of the standard alphabet with "="
// only at its end (line feeds between its characters are skipped), and
// hexadecimal of an even number of digits.
std::optional<std::vector<std::uint8_t>> DecodeBase64(std::string_view text);
std::string ToHex(const std::vector<std::uint8_t>& bytes);
std::optional<std::vector<std::uint8_t>> FromHex(std::string_view hex);
std::optional<std::vector<std::uint8_t>> DesEdeCbc(bool encrypt, const std::vector<std::uint8_t>& key,
                                                   const std::vector<std::uint8_t>& iv,
                                                   const std::vector<std::uint8_t>& data, bool padding);

}  // namespace korvaden::bank
