#include "reader/logged_pcsc.h"

#include <cstdio>

namespace korvaden {

PcscResult LoggedPcsc::Logged(const char* call, PcscResult result) {
  if (result != kScardSuccess) {
    char line[96];
    std::snprintf(line, sizeof line, "pcsc %s failed %08X", call, static_cast<unsigned>(AsInteger(result)));
    log_.Write(line);
  }
  return result;
}

PcscResult LoggedPcsc::EstablishContext(std::uint32_t scope, PcscContext& context) {
  return Logged("SCardEstablishContext", pcsc_.EstablishContext(scope, context));
}

PcscResult LoggedPcsc::ReleaseContext(PcscContext context) {
  return Logged("SCardReleaseContext", pcsc_.ReleaseContext(context));
}

PcscResult LoggedPcsc::ListReaders(PcscContext context, char* buffer, std::uint32_t& length) {
  return Logged("SCardListReaders", pcsc_.ListReaders(context, buffer, length));
}

PcscResult LoggedPcsc::Connect(PcscContext context, const char* reader, std::uint32_t shareMode,
                               std::uint32_t protocols, PcscCard& card, std::uint32_t& activeProtocol) {
  return Logged("SCardConnect", pcsc_.Connect(context, reader, shareMode, protocols, card, activeProtocol));
}

PcscResult LoggedPcsc::Status(PcscCard card, char* name, std::uint32_t& nameLength, std::uint32_t& state,
                              std::uint32_t& protocol, std::uint8_t* atr, std::uint32_t& atrLength) {
  return Logged("SCardStatus", pcsc_.Status(card, name, nameLength, state, protocol, atr, atrLength));
}

// Presence is polled: only a failure other than the wait running out is news.
PcscResult LoggedPcsc::GetStatusChange(PcscContext context, std::uint32_t timeoutMs, const char* reader,
                                       std::uint32_t currentState, std::uint32_t& eventState) {
  const PcscResult result = pcsc_.GetStatusChange(context, timeoutMs, reader, currentState, eventState);
  return result == kScardTimeout ? result : Logged("SCardGetStatusChange", result);
}

PcscResult LoggedPcsc::Transmit(PcscCard card, const std::uint8_t* command, std::uint32_t commandLength,
                                std::uint8_t* response, std::uint32_t& responseLength) {
  const PcscResult result =
      Logged("SCardTransmit", pcsc_.Transmit(card, command, commandLength, response, responseLength));
  if (result == kScardSuccess && commandLength >= 4 && responseLength >= 2) {
    const unsigned word = response[responseLength - 2] << 8 | response[responseLength - 1];
    if (word != 0x9000) {
      char line[64];
      std::snprintf(line, sizeof line, "card %02X%02X%02X%02X answered %04X", command[0], command[1], command[2],
                    command[3], word);
      log_.Write(line);
    }
  }
  return result;
}

PcscResult LoggedPcsc::Disconnect(PcscCard card, std::uint32_t disposition) {
  return Logged("SCardDisconnect", pcsc_.Disconnect(card, disposition));
}

}  // namespace korvaden
