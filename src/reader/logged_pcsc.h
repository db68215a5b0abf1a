#pragma once
// The PC/SC calls with a line in the support log for each that fails and for
// each answer of the card that is not 9000: the call and its code, or the
// command's four header bytes and the status word. Never a command's data
// (a PIN block travels there) nor an answer's (the card's records).
#include "base/pcsc_api.h"
#include "base/support_log.h"

namespace korvaden {

class LoggedPcsc final : public PcscApi {
 public:
  LoggedPcsc(PcscApi& pcsc, SupportLog& log) : pcsc_(pcsc), log_(log) {}

  PcscResult EstablishContext(std::uint32_t scope, PcscContext& context) override;
  PcscResult ReleaseContext(PcscContext context) override;
  PcscResult ListReaders(PcscContext context, char* buffer, std::uint32_t& length) override;
  PcscResult Connect(PcscContext context, const char* reader, std::uint32_t shareMode, std::uint32_t protocols,
                     PcscCard& card, std::uint32_t& activeProtocol) override;
  PcscResult Status(PcscCard card, char* name, std::uint32_t& nameLength, std::uint32_t& state, std::uint32_t& protocol,
                    std::uint8_t* atr, std::uint32_t& atrLength) override;
  PcscResult GetStatusChange(PcscContext context, std::uint32_t timeoutMs, const char* reader,
                             std::uint32_t currentState, std::uint32_t& eventState) override;
  PcscResult Transmit(PcscCard card, const std::uint8_t* command, std::uint32_t commandLength, std::uint8_t* response,
                      std::uint32_t& responseLength) override;
  PcscResult Disconnect(PcscCard card, std::uint32_t disposition) override;

 private:
  PcscResult Logged(const char* call, PcscResult result);

  PcscApi& pcsc_;
  SupportLog& log_;
};

}  // namespace korvaden
