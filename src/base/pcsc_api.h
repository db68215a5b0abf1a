#pragma once
// The PC/SC calls the control makes, as one small interface: the system's
// service in the product, an in-process virtual card in the tests.
#include <cstdint>
#include <string>

#include "base/result_codes.h"

namespace korvaden {

using PcscContext = std::uintptr_t;
using PcscCard = std::uintptr_t;

inline constexpr PcscResult kScardSuccess{0};
inline constexpr PcscResult kScardCancelled{static_cast<std::int32_t>(0x80100002u)};
inline constexpr PcscResult kScardInvalidParameter{static_cast<std::int32_t>(0x80100004u)};
inline constexpr PcscResult kScardInsufficientBuffer{static_cast<std::int32_t>(0x80100008u)};
inline constexpr PcscResult kScardUnknownReader{static_cast<std::int32_t>(0x80100009u)};
inline constexpr PcscResult kScardNoService{static_cast<std::int32_t>(0x8010001Du)};
inline constexpr PcscResult kScardNoReaders{static_cast<std::int32_t>(0x8010002Eu)};
inline constexpr PcscResult kScardTimeout{static_cast<std::int32_t>(0x8010000Au)};
inline constexpr PcscResult kScardNoSmartcard{static_cast<std::int32_t>(0x8010000Cu)};
inline constexpr PcscResult kScardCommError{static_cast<std::int32_t>(0x80100013u)};
inline constexpr PcscResult kScardRemovedCard{static_cast<std::int32_t>(0x80100069u)};
inline constexpr PcscResult kScardUnresponsiveCard{static_cast<std::int32_t>(0x80100066u)};
inline constexpr PcscResult kScardInvalidHandle{static_cast<std::int32_t>(0x80100003u)};

inline constexpr std::uint32_t kScardScopeUser = 0;
inline constexpr std::uint32_t kScardShareExclusive = 1;
inline constexpr std::uint32_t kScardShareShared = 2;
inline constexpr std::uint32_t kScardProtocolT0OrT1 = 3;
inline constexpr std::uint32_t kScardStateUnaware = 0;
inline constexpr std::uint32_t kScardStateEmpty = 0x10;
inline constexpr std::uint32_t kScardStatePresent = 0x20;
inline constexpr std::uint32_t kScardLeaveCard = 0;

class PcscApi {
 public:
  virtual ~PcscApi() = default;
  virtual PcscResult EstablishContext(std::uint32_t scope, PcscContext& context) = 0;
  virtual PcscResult ReleaseContext(PcscContext context) = 0;
  // Fills `buffer` with NUL-terminated names and a final NUL; `length` is the
  // capacity on entry and the bytes used on return.
  virtual PcscResult ListReaders(PcscContext context, char* buffer, std::uint32_t& length) = 0;
  virtual PcscResult Connect(PcscContext context, const char* reader, std::uint32_t shareMode, std::uint32_t protocols,
                             PcscCard& card, std::uint32_t& activeProtocol) = 0;
  virtual PcscResult Status(PcscCard card, char* name, std::uint32_t& nameLength, std::uint32_t& state,
                            std::uint32_t& protocol, std::uint8_t* atr, std::uint32_t& atrLength) = 0;
  // One reader, no wait: gives the reader's event state.
  virtual PcscResult GetStatusChange(PcscContext context, std::uint32_t timeoutMs, const char* reader,
                                     std::uint32_t currentState, std::uint32_t& eventState) = 0;
  // Sends with the T=1 protocol control information.
  virtual PcscResult Transmit(PcscCard card, const std::uint8_t* command, std::uint32_t commandLength,
                              std::uint8_t* response, std::uint32_t& responseLength) = 0;
  virtual PcscResult Disconnect(PcscCard card, std::uint32_t disposition) = 0;
};

}  // namespace korvaden
