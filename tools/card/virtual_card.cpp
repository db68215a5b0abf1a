#include "virtual_card.h"

#include <openssl/evp.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <sstream>

namespace korvaden::card {
namespace {

constexpr std::uint16_t kOk = 0x9000;
constexpr std::uint16_t kWrongPin = 0x6608;
constexpr std::uint16_t kBlocked = 0x6983;
constexpr std::uint16_t kNotFound = 0x6A82;
constexpr std::uint16_t kRecordNotFound = 0x6A83;
constexpr std::uint16_t kNoCurrentFile = 0x6986;
constexpr std::uint16_t kWrongP1P2 = 0x6A86;
constexpr std::uint16_t kWrongLength = 0x6700;
constexpr std::uint16_t kUnknownInstruction = 0x6D00;

const Bytes kApplicationId = {0xA0, 0x00, 0x00, 0x01, 0x72, 0x95, 0x00, 0x01};

Bytes WithStatus(Bytes data, std::uint16_t status) {
  data.push_back(static_cast<std::uint8_t>(status >> 8));
  data.push_back(static_cast<std::uint8_t>(status));
  return data;
}

int ParseInt(std::string_view text) { return std::stoi(std::string(text)); }
std::uint16_t ParseStatus(std::string_view text) {
  return static_cast<std::uint16_t>(std::stoul(std::string(text), nullptr, 16));
}
// "N:SW" pairs.
std::pair<int, std::uint16_t> ParsePair(std::string_view text) {
  const auto colon = text.find(':');
  if (colon == std::string_view::npos) throw std::invalid_argument("expected N:SW");
  return {ParseInt(text.substr(0, colon)), ParseStatus(text.substr(colon + 1))};
}
// "INS#N": a hexadecimal instruction and its occurrence.
CommandAt ParseCommand(std::string_view text) {
  const auto hash = text.find('#');
  if (hash == std::string_view::npos) throw std::invalid_argument("expected INS#N");
  const int occurrence = ParseInt(text.substr(hash + 1));
  if (occurrence < 1) throw std::invalid_argument("occurrences count from 1");
  return {static_cast<std::uint8_t>(std::stoul(std::string(text.substr(0, hash)), nullptr, 16)), occurrence};
}
// "INS#N:SW".
std::pair<CommandAt, std::uint16_t> ParseCommandStatus(std::string_view text) {
  const auto colon = text.find(':');
  if (colon == std::string_view::npos) throw std::invalid_argument("expected INS#N:SW");
  return {ParseCommand(text.substr(0, colon)), ParseStatus(text.substr(colon + 1))};
}

// The PIN as the card stores it: its digits over 16 F, packed.
Bytes PinBlock(std::string_view pin) {
  std::string field(16, 'F');
  std::copy_n(pin.begin(), std::min<std::size_t>(pin.size(), 16), field.begin());
  return FromHex(field);
}

}  // namespace

std::string Hex(const Bytes& bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  for (std::uint8_t b : bytes) {
    text += kDigits[b >> 4];
    text += kDigits[b & 15];
  }
  return text;
}

Bytes FromHex(std::string_view hex) {
  Bytes bytes;
  const auto nibble = [](char c) {
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return c >= 'A' ? c - 'A' + 10 : c - '0';
  };
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes.push_back(static_cast<std::uint8_t>(nibble(hex[i]) * 16 + nibble(hex[i + 1])));
  }
  return bytes;
}

bool ApplyProfileSetting(CardProfile& p, std::string_view setting) {
  const auto equals = setting.find('=');
  if (equals == std::string_view::npos) return false;
  const std::string_view name = setting.substr(0, equals);
  const std::string_view value = setting.substr(equals + 1);
  try {
    if (name == "issuer_id")
      p.issuerId = value;
    else if (name == "remark_hex")
      p.remark = FromHex(value);
    else if (name.rfind("account", 0) == 0) {
      const int n = ParseInt(name.substr(7));
      if (n < 1 || n > 8) return false;
      p.accounts[static_cast<std::size_t>(n - 1)] = value;
    } else if (name == "pin")
      p.pin = value;
    else if (name == "serial")
      p.serial = value;
    else if (name == "tac_key")
      p.tacKey = FromHex(value);
    else if (name == "pin_tries")
      p.pinTries = ParseInt(value);
    else if (name == "wrong_pin_counts_tries")
      p.wrongPinCountsTries = value == "1";
    else if (name == "tac_length")
      p.tacLength = static_cast<std::size_t>(ParseInt(value));
    else if (name == "no_select_answer")
      p.noSelectAnswer = value == "1";
    else if (name == "status_at")
      p.statusAt.insert(ParseCommandStatus(value));
    else if (name == "transmit_failure_at")
      p.transmitFailureAt = ParseCommand(value);
    else if (name == "record_status")
      p.recordStatus.insert(ParsePair(value));
    else if (name == "select_file_status")
      p.selectFileStatus = ParseStatus(value);
    else if (name == "verify_status")
      p.verifyStatus = ParseStatus(value);
    else if (name == "tac_status")
      p.tacStatus = ParseStatus(value);
    else if (name == "remove_after")
      p.removeAfter = ParseCommand(value);
    else if (name == "remove_after_polls")
      p.removeAfterPolls = ParseInt(value);
    else if (name == "reinsert_after_polls")
      p.reinsertAfterPolls = ParseInt(value);
    else if (name == "reinsert_after_ms")
      p.reinsertAfterMs = ParseInt(value);
    else
      return false;
  } catch (const std::exception&) {
    return false;
  }
  return true;
}

std::optional<CardProfile> ParseProfile(std::string_view text, std::string& error) {
  CardProfile profile;
  std::istringstream lines{std::string(text)};
  for (std::string line; std::getline(lines, line);) {
    while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back()))) line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    if (!ApplyProfileSetting(profile, line)) {
      error = "cannot understand profile line: " + line;
      return std::nullopt;
    }
  }
  return profile;
}

Bytes ComputeCardTac(const Bytes& key, const Bytes& input) {
  Bytes padded = input;
  padded.push_back(0x80);
  while (padded.size() % 8 != 0) padded.push_back(0x00);
  std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> context(EVP_CIPHER_CTX_new(), EVP_CIPHER_CTX_free);
  const std::uint8_t zeroIv[8] = {};
  Bytes out(padded.size() + 8);
  int written = 0;
  if (key.size() < 16 || !context ||
      EVP_EncryptInit_ex(context.get(), EVP_des_ede_cbc(), nullptr, key.data(), zeroIv) != 1 ||
      EVP_CIPHER_CTX_set_padding(context.get(), 0) != 1 ||
      EVP_EncryptUpdate(context.get(), out.data(), &written, padded.data(), static_cast<int>(padded.size())) != 1) {
    return {};
  }
  return Bytes(out.begin() + written - 8, out.begin() + written);
}

VirtualCard::VirtualCard(CardProfile profile) : profile_(std::move(profile)), triesLeft_(profile_.pinTries) {}

void VirtualCard::PowerCycle() {
  applicationSelected_ = false;
  fileSelected_ = false;
}

void VirtualCard::SetPresent(bool present) {
  if (present && !present_) PowerCycle();
  present_ = present;
  pollsAway_ = 0;
}

bool VirtualCard::Poll() {
  ++polls_;
  if (present_ && profile_.removeAfterPolls > 0 && polls_ == profile_.removeAfterPolls)
    SetPresent(false);
  else if (!present_ && profile_.reinsertAfterPolls > 0 && ++pollsAway_ >= profile_.reinsertAfterPolls)
    SetPresent(true);
  return present_;
}

int VirtualCard::CommandsSeen(std::uint8_t ins) const {
  const auto seen = commandsSeen_.find(ins);
  return seen == commandsSeen_.end() ? 0 : seen->second;
}

VirtualCard::Exchange VirtualCard::Process(const Bytes& command) {
  const std::uint8_t ins = command.size() > 1 ? command[1] : 0;
  const CommandAt at{ins, ++commandsSeen_[ins]};
  const std::string line = Hex(command);
  log_.push_back(line);
  if (onCommand) onCommand(line);
  Exchange exchange;
  if (profile_.transmitFailureAt == at) {
    exchange.transmitted = false;
  } else if (const auto forced = profile_.statusAt.find(at); forced != profile_.statusAt.end()) {
    exchange.answer = WithStatus({}, forced->second);
  } else {
    exchange.answer = Answer(command);
  }
  if (profile_.removeAfter == at) SetPresent(false);
  return exchange;
}

// A record is a 2-byte header (tag 70 and the data length) and the data.
Bytes VirtualCard::Record(int number) const {
  const auto text = [](std::string_view t) { return Bytes(t.begin(), t.end()); };
  const Bytes data = number == 1   ? text(profile_.issuerId)
                     : number == 2 ? profile_.remark
                                   : text(profile_.accounts[static_cast<std::size_t>(number - 3)]);
  Bytes record(data.size() + 2);
  record[0] = 0x70;
  record[1] = static_cast<std::uint8_t>(data.size());
  std::copy(data.begin(), data.end(), record.begin() + 2);
  return record;
}

Bytes VirtualCard::Answer(const Bytes& c) {
  if (c.size() < 4) return WithStatus({}, kWrongLength);
  const std::uint8_t ins = c[1], p1 = c[2], p2 = c[3];
  const std::size_t lc = c.size() > 5 ? c[4] : 0;
  const auto data = [&] {
    return Bytes(c.begin() + 5, c.begin() + 5 + static_cast<std::ptrdiff_t>(std::min(lc, c.size() - 5)));
  };

  if (ins == kInsSelect && p1 == 0x04) {
    if (profile_.noSelectAnswer) return {};
    applicationSelected_ = data() == kApplicationId;
    fileSelected_ = false;
    return WithStatus({}, applicationSelected_ ? kOk : kNotFound);
  }
  if (ins == kInsSelect && p1 == 0x02) {
    if (profile_.selectFileStatus) return WithStatus({}, *profile_.selectFileStatus);
    fileSelected_ = applicationSelected_ && data() == Bytes{0x10, 0x01};
    return WithStatus({}, fileSelected_ ? kOk : kNotFound);
  }
  if (ins == kInsReadRecord) {
    if (!fileSelected_) return WithStatus({}, kNoCurrentFile);
    if (const auto forced = profile_.recordStatus.find(p1); forced != profile_.recordStatus.end()) {
      return WithStatus({}, forced->second);
    }
    if (p1 < 1 || p1 > 10) return WithStatus({}, kRecordNotFound);
    return WithStatus(Record(p1), kOk);
  }
  if (ins == kInsVerify) {
    if (profile_.verifyStatus) return WithStatus({}, *profile_.verifyStatus);
    if (p2 != 0x10) return WithStatus({}, kWrongP1P2);
    if (lc != 8 || c.size() < 13) return WithStatus({}, kWrongLength);
    if (triesLeft_ <= 0) return WithStatus({}, kBlocked);
    if (data() != PinBlock(profile_.pin)) {
      --triesLeft_;
      if (triesLeft_ <= 0) return WithStatus({}, kBlocked);
      return WithStatus(
          {}, profile_.wrongPinCountsTries ? static_cast<std::uint16_t>(0x63C0 | (triesLeft_ & 0x0F)) : kWrongPin);
    }
    triesLeft_ = profile_.pinTries;
    return WithStatus({}, kOk);
  }
  if (ins == kInsComputeTac) {
    if (profile_.tacStatus) return WithStatus({}, *profile_.tacStatus);
    if (p1 != 0x10 || p2 != 0x80) return WithStatus({}, kWrongP1P2);
    if (!applicationSelected_) return WithStatus({}, kNotFound);
    Bytes code = ComputeCardTac(profile_.tacKey, data());
    if (profile_.tacLength) code.resize(std::min(code.size(), *profile_.tacLength));
    Bytes answer = {0x00};
    std::string serial = profile_.serial;
    serial.resize(8, '\0');
    answer.insert(answer.end(), serial.begin(), serial.end());
    answer.push_back(static_cast<std::uint8_t>(code.size() >> 8));
    answer.push_back(static_cast<std::uint8_t>(code.size()));
    answer.insert(answer.end(), code.begin(), code.end());
    return WithStatus(answer, kOk);
  }
  return WithStatus({}, kUnknownInstruction);
}

}  // namespace korvaden::card
