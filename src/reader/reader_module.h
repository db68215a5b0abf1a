#pragma once
// The control's thin layer over PC/SC: one context, one card handle and one
// pair of command and response buffers for the whole module. Every operation
// returns the service's code unchanged and keeps it in lastScResult.
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/pcsc_api.h"
#include "base/result_codes.h"

namespace korvaden {

inline constexpr std::size_t kReaderBufferSize = 10240;
inline constexpr std::size_t kReaderTableEntries = 40;
inline constexpr std::size_t kReaderTableEntrySize = 50;

struct ReaderTable {
  std::array<std::array<char, kReaderTableEntrySize>, kReaderTableEntries> names{};
  std::int32_t count = 0;
  std::string_view Name(std::size_t i) const { return names[i].data(); }
};

struct ReaderStatus {
  std::uint32_t state = 0;
  std::uint32_t protocol = 0;
  std::uint32_t atrLength = 0;
  std::array<std::uint8_t, 32> atr{};
};

// Presence values of ReaderGetPresence.
inline constexpr std::int32_t kCardPresent = 0;
inline constexpr std::int32_t kCardAbsent = 1;
inline constexpr std::int32_t kCardStateUnknown = 2;

class ReaderModule {
 public:
  explicit ReaderModule(PcscApi& api) : api_(api) {}
  ReaderModule(const ReaderModule&) = delete;
  ReaderModule& operator=(const ReaderModule&) = delete;

  // A context still open is released before it is replaced, so repeated
  // establishing (the presence polling does it every step) leaks none.
  PcscResult ReaderEstablishContext();
  PcscResult ReaderReleaseContext();
  // Names of 50 characters or more are cut to the entry's 49; at most 40.
  PcscResult ReaderListReaders(ReaderTable& table);
  // Every reader's whole name.
  PcscResult ReaderNames(std::vector<std::string>& names);
  PcscResult ReaderGetStatus(PcscCard card, std::string_view readerName, ReaderStatus& status);
  // 0 card present, 1 no card, 2 neither; untouched on a service error.
  PcscResult ReaderGetPresence(std::string_view readerName, std::int32_t& presence);
  PcscResult ReaderConnect(PcscCard& card, std::string_view readerName, ReaderStatus& status);
  // A connection that leaves the card to other programs too, for a look at a
  // card that may not be the bank's.
  PcscResult ReaderConnectShared(PcscCard& card, std::string_view readerName);
  PcscResult ReaderDisconnect(PcscCard card, std::uint32_t disposition);
  // Sends `command`, receives into responseBuffer and copies what fits into
  // `response`; `responseLength` gets the bytes copied.
  PcscResult ReaderTransmit(PcscCard card, std::span<const std::uint8_t> command, std::span<std::uint8_t> response,
                            std::uint32_t& responseLength);

  // The last exchange's answer as received.
  std::span<const std::uint8_t> LastResponse() const { return {responseBuffer.data(), responseLength}; }
  std::span<std::uint8_t> Command() { return commandBuffer; }
  // Overwrites the command buffer, which may have held a PIN block.
  void WipeCommand();

  PcscCard cardHandle = 0;
  PcscResult lastScResult = kScardSuccess;

 private:
  PcscApi& api_;
  PcscContext readerContext_ = 0;
  bool contextOpen_ = false;
  std::array<std::uint8_t, kReaderBufferSize> commandBuffer{};
  std::array<std::uint8_t, kReaderBufferSize> responseBuffer{};
  std::uint32_t responseLength = 0;
};

}  // namespace korvaden
