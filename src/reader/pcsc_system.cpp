#include "reader/pcsc_system.h"

#ifdef _WIN32
#include <windows.h>

#include <winscard.h>
#else
#include <PCSC/winscard.h>
// pcsc-lite has only the 8-bit entry points, under the plain names.
#define SCardListReadersA SCardListReaders
#define SCardConnectA SCardConnect
#define SCardStatusA SCardStatus
#define SCardGetStatusChangeA SCardGetStatusChange
using SCARD_READERSTATEA = SCARD_READERSTATE;
#endif

namespace korvaden {
namespace {

PcscResult AsResult(LONG rc) { return static_cast<PcscResult>(static_cast<std::uint32_t>(rc)); }

class SystemPcscApi final : public PcscApi {
 public:
  PcscResult EstablishContext(std::uint32_t scope, PcscContext& context) override {
    SCARDCONTEXT handle = 0;
    const LONG rc = SCardEstablishContext(scope, nullptr, nullptr, &handle);
    if (rc == SCARD_S_SUCCESS) context = static_cast<PcscContext>(handle);
    return AsResult(rc);
  }
  PcscResult ReleaseContext(PcscContext context) override {
    return AsResult(SCardReleaseContext(static_cast<SCARDCONTEXT>(context)));
  }
  PcscResult ListReaders(PcscContext context, char* buffer, std::uint32_t& length) override {
    DWORD size = length;
    const LONG rc = SCardListReadersA(static_cast<SCARDCONTEXT>(context), nullptr, buffer, &size);
    length = static_cast<std::uint32_t>(size);
    return AsResult(rc);
  }
  PcscResult Connect(PcscContext context, const char* reader, std::uint32_t shareMode, std::uint32_t protocols,
                     PcscCard& card, std::uint32_t& activeProtocol) override {
    SCARDHANDLE handle = 0;
    DWORD active = 0;
    const LONG rc = SCardConnectA(static_cast<SCARDCONTEXT>(context), reader, shareMode, protocols, &handle, &active);
    if (rc == SCARD_S_SUCCESS) {
      card = static_cast<PcscCard>(handle);
      activeProtocol = static_cast<std::uint32_t>(active);
    }
    return AsResult(rc);
  }
  PcscResult Status(PcscCard card, char* name, std::uint32_t& nameLength, std::uint32_t& state, std::uint32_t& protocol,
                    std::uint8_t* atr, std::uint32_t& atrLength) override {
    DWORD nameSize = nameLength, cardState = 0, cardProtocol = 0, atrSize = atrLength;
    const LONG rc =
        SCardStatusA(static_cast<SCARDHANDLE>(card), name, &nameSize, &cardState, &cardProtocol, atr, &atrSize);
    if (rc == SCARD_S_SUCCESS) {
      nameLength = static_cast<std::uint32_t>(nameSize);
      state = static_cast<std::uint32_t>(cardState);
      protocol = static_cast<std::uint32_t>(cardProtocol);
      atrLength = static_cast<std::uint32_t>(atrSize);
    }
    return AsResult(rc);
  }
  PcscResult GetStatusChange(PcscContext context, std::uint32_t timeoutMs, const char* reader,
                             std::uint32_t currentState, std::uint32_t& eventState) override {
    SCARD_READERSTATEA state{};
    state.szReader = reader;
    state.dwCurrentState = currentState;
    const LONG rc = SCardGetStatusChangeA(static_cast<SCARDCONTEXT>(context), timeoutMs, &state, 1);
    if (rc == SCARD_S_SUCCESS) eventState = static_cast<std::uint32_t>(state.dwEventState);
    return AsResult(rc);
  }
  PcscResult Transmit(PcscCard card, const std::uint8_t* command, std::uint32_t commandLength, std::uint8_t* response,
                      std::uint32_t& responseLength) override {
    DWORD size = responseLength;
    const LONG rc =
        SCardTransmit(static_cast<SCARDHANDLE>(card), SCARD_PCI_T1, command, commandLength, nullptr, response, &size);
    if (rc == SCARD_S_SUCCESS) responseLength = static_cast<std::uint32_t>(size);
    return AsResult(rc);
  }
  PcscResult Disconnect(PcscCard card, std::uint32_t disposition) override {
    return AsResult(SCardDisconnect(static_cast<SCARDHANDLE>(card), disposition));
  }
};

}  // namespace

PcscApi& SystemPcsc() {
  static SystemPcscApi api;
  return api;
}

}  // namespace korvaden
