#include "virtual_pcsc.h"

#include <algorithm>
#include <cstring>

namespace korvaden::card {
namespace {

constexpr PcscResult kSharingViolation = static_cast<PcscResult>(0x8010000Bu);
constexpr std::uint32_t kProtocolT1 = 2;
constexpr std::uint32_t kStateSpecific = 6;
const Bytes kAtr = {0x3B, 0x80, 0x01, 0x81};

}  // namespace

void VirtualReaders::AddReader(const std::string& name, VirtualCard* card) { readers_.push_back({name, card}); }

void VirtualReaders::RemoveReader(const std::string& name) {
  std::erase_if(readers_, [&](const Reader& r) { return r.name == name; });
  std::erase_if(connections_, [&](const auto& c) { return c.second.reader == name; });
}

VirtualReaders::Reader* VirtualReaders::Find(std::string_view name) {
  const auto found = std::find_if(readers_.begin(), readers_.end(), [&](const Reader& r) { return r.name == name; });
  return found == readers_.end() ? nullptr : &*found;
}

PcscResult VirtualReaders::EstablishContext(std::uint32_t, PcscContext& context) {
  ++establishCount;
  if (Failed(establishFailure)) return establishFailure;
  context = nextHandle_++;
  contexts_.insert(context);
  return kScardSuccess;
}

PcscResult VirtualReaders::ReleaseContext(PcscContext context) {
  if (contexts_.erase(context) != 1) return kScardInvalidHandle;
  std::erase_if(connections_, [&](const auto& c) { return c.second.context == context; });
  return kScardSuccess;
}

PcscResult VirtualReaders::ListReaders(PcscContext context, char* buffer, std::uint32_t& length) {
  if (!contexts_.contains(context)) return kScardInvalidHandle;
  if (readers_.empty()) return kScardNoReaders;
  std::string names;
  for (const Reader& r : readers_) names += r.name + '\0';
  names += '\0';
  if (names.size() > length) return kScardInsufficientBuffer;
  std::memcpy(buffer, names.data(), names.size());
  length = static_cast<std::uint32_t>(names.size());
  return kScardSuccess;
}

PcscResult VirtualReaders::Connect(PcscContext context, const char* reader, std::uint32_t shareMode, std::uint32_t,
                                   PcscCard& card, std::uint32_t& activeProtocol) {
  ++connectCount;
  if (!contexts_.contains(context)) return kScardInvalidHandle;
  if (Failed(connectFailure)) return connectFailure;
  Reader* r = Find(reader);
  if (r == nullptr) return kScardUnknownReader;
  if (r->card == nullptr || !r->card->present()) return kScardNoSmartcard;
  for (const auto& [handle, connection] : connections_) {
    if (connection.reader == r->name && !connection.cardLeft) return kSharingViolation;
  }
  card = nextHandle_++;
  connections_[card] = Connection{r->name, context, false};
  lastShareMode[r->name] = shareMode;
  activeProtocol = kProtocolT1;
  return kScardSuccess;
}

PcscResult VirtualReaders::Status(PcscCard card, char* name, std::uint32_t& nameLength, std::uint32_t& state,
                                  std::uint32_t& protocol, std::uint8_t* atr, std::uint32_t& atrLength) {
  const auto connection = connections_.find(card);
  if (connection == connections_.end()) return kScardInvalidHandle;
  Reader* r = Find(connection->second.reader);
  if (r == nullptr || r->card == nullptr || !r->card->present() || connection->second.cardLeft)
    return kScardRemovedCard;
  if (atrLength < kAtr.size()) return kScardInsufficientBuffer;
  if (nameLength > r->name.size()) {
    std::memcpy(name, r->name.c_str(), r->name.size() + 1);
    nameLength = static_cast<std::uint32_t>(r->name.size() + 1);
  }
  state = kStateSpecific;
  protocol = kProtocolT1;
  std::copy(kAtr.begin(), kAtr.end(), atr);
  atrLength = static_cast<std::uint32_t>(kAtr.size());
  return kScardSuccess;
}

PcscResult VirtualReaders::GetStatusChange(PcscContext context, std::uint32_t, const char* reader, std::uint32_t,
                                           std::uint32_t& eventState) {
  ++statusChangeCount;
  if (statusChangeFailsFrom > 0 && statusChangeCount >= statusChangeFailsFrom) return kScardNoService;
  if (!contexts_.contains(context)) return kScardInvalidHandle;
  Reader* r = Find(reader);
  if (r == nullptr) return kScardUnknownReader;
  const bool present = r->card != nullptr && r->card->Poll();
  if (!present) {
    for (auto& [handle, connection] : connections_) connection.cardLeft |= connection.reader == r->name;
  }
  eventState = present ? kScardStatePresent : kScardStateEmpty;
  return kScardSuccess;
}

PcscResult VirtualReaders::Transmit(PcscCard card, const std::uint8_t* command, std::uint32_t commandLength,
                                    std::uint8_t* response, std::uint32_t& responseLength) {
  const auto connection = connections_.find(card);
  if (connection == connections_.end()) return kScardInvalidHandle;
  Reader* r = Find(connection->second.reader);
  if (r == nullptr || r->card == nullptr || !r->card->present() || connection->second.cardLeft)
    return kScardRemovedCard;
  const VirtualCard::Exchange exchange = r->card->Process(Bytes(command, command + commandLength));
  if (!exchange.transmitted) return kScardCommError;
  if (exchange.answer.size() > responseLength) return kScardInsufficientBuffer;
  std::copy(exchange.answer.begin(), exchange.answer.end(), response);
  responseLength = static_cast<std::uint32_t>(exchange.answer.size());
  return kScardSuccess;
}

PcscResult VirtualReaders::Disconnect(PcscCard card, std::uint32_t disposition) {
  if (connections_.erase(card) != 1) return kScardInvalidHandle;
  if (disposition != kScardLeaveCard) ++cardsNotLeft;
  return kScardSuccess;
}

}  // namespace korvaden::card
