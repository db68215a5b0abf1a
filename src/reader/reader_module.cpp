#include "reader/reader_module.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <tuple>

#include "base/secure_memory.h"

namespace korvaden {

PcscResult ReaderModule::ReaderEstablishContext() {
  // Releasing a context that is replaced cannot fail in a way that matters.
  if (contextOpen_) std::ignore = ReaderReleaseContext();
  lastScResult = api_.EstablishContext(kScardScopeUser, readerContext_);
  contextOpen_ = lastScResult == kScardSuccess;
  return lastScResult;
}

PcscResult ReaderModule::ReaderReleaseContext() {
  contextOpen_ = false;
  return api_.ReleaseContext(readerContext_);
}

PcscResult ReaderModule::ReaderListReaders(ReaderTable& table) {
  table.count = 0;
  std::vector<std::string> names;
  if (ReaderNames(names) != kScardSuccess) return lastScResult;
  for (const std::string& name : names) {
    if (table.count == static_cast<int>(kReaderTableEntries)) break;
    auto& entry = table.names[static_cast<std::size_t>(table.count++)];
    entry.fill('\0');
    std::memcpy(entry.data(), name.data(), std::min(name.size(), kReaderTableEntrySize - 1));
  }
  return lastScResult;
}

PcscResult ReaderModule::ReaderNames(std::vector<std::string>& names) {
  names.clear();
  auto* list = reinterpret_cast<char*>(responseBuffer.data());
  responseLength = kReaderBufferSize;
  lastScResult = api_.ListReaders(readerContext_, list, responseLength);
  if (lastScResult != kScardSuccess) return lastScResult;
  const std::size_t used = std::min<std::size_t>(responseLength, kReaderBufferSize);
  for (std::size_t at = 0; at < used && list[at] != '\0';) {
    const std::size_t length = strnlen(list + at, used - at);
    names.emplace_back(list + at, length);
    at += length + 1;
  }
  return lastScResult;
}

PcscResult ReaderModule::ReaderGetStatus(PcscCard card, std::string_view readerName, ReaderStatus& status) {
  status.state = 0;
  status.protocol = 0;
  auto* name = reinterpret_cast<char*>(responseBuffer.data());
  const std::size_t copied = std::min(readerName.size(), kReaderBufferSize - 1);
  std::memcpy(name, readerName.data(), copied);
  name[copied] = '\0';
  std::uint32_t nameLength = kReaderBufferSize;
  std::uint32_t atrLength = static_cast<std::uint32_t>(status.atr.size());
  std::uint32_t state = 0, protocol = 0;
  lastScResult = api_.Status(card, name, nameLength, state, protocol, status.atr.data(), atrLength);
  if (lastScResult == kScardSuccess) {
    status.state = state;
    status.protocol = protocol;
    status.atrLength = atrLength;
  }
  return lastScResult;
}

PcscResult ReaderModule::ReaderGetPresence(std::string_view readerName, std::int32_t& presence) {
  const std::string name(readerName);
  std::uint32_t eventState = 0;
  lastScResult = api_.GetStatusChange(readerContext_, 0, name.c_str(), kScardStateUnaware, eventState);
  if (lastScResult != kScardSuccess) return lastScResult;
  if (eventState & kScardStatePresent) {
    presence = kCardPresent;
  } else if (eventState & kScardStateEmpty) {
    presence = kCardAbsent;
  } else {
    presence = kCardStateUnknown;
  }
  return lastScResult;
}

PcscResult ReaderModule::ReaderConnect(PcscCard& card, std::string_view readerName, ReaderStatus& status) {
  const std::string name(readerName);
  std::uint32_t activeProtocol = 0;
  lastScResult =
      api_.Connect(readerContext_, name.c_str(), kScardShareExclusive, kScardProtocolT0OrT1, card, activeProtocol);
  if (lastScResult != kScardSuccess) return lastScResult;
  return ReaderGetStatus(card, readerName, status);
}

PcscResult ReaderModule::ReaderConnectShared(PcscCard& card, std::string_view readerName) {
  const std::string name(readerName);
  std::uint32_t activeProtocol = 0;
  lastScResult =
      api_.Connect(readerContext_, name.c_str(), kScardShareShared, kScardProtocolT0OrT1, card, activeProtocol);
  return lastScResult;
}

PcscResult ReaderModule::ReaderDisconnect(PcscCard card, std::uint32_t disposition) {
  return api_.Disconnect(card, disposition);
}

PcscResult ReaderModule::ReaderTransmit(PcscCard card, std::span<const std::uint8_t> command,
                                        std::span<std::uint8_t> response, std::uint32_t& length) {
  responseLength = kReaderBufferSize;
  lastScResult = api_.Transmit(card, command.data(), static_cast<std::uint32_t>(command.size()), responseBuffer.data(),
                               responseLength);
  if (lastScResult != kScardSuccess) {
    responseLength = 0;
    return lastScResult;
  }
  responseLength = std::min<std::uint32_t>(responseLength, kReaderBufferSize);
  length = static_cast<std::uint32_t>(std::min<std::size_t>(responseLength, response.size()));
  std::copy_n(responseBuffer.begin(), length, response.begin());
  return lastScResult;
}

void ReaderModule::WipeCommand() { Cleanse(commandBuffer.data(), commandBuffer.size()); }

}  // namespace korvaden
