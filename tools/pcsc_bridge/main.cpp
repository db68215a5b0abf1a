// korvaden-pcsc-bridge: carries the test winscard.dll's calls (under Wine) to
// the system's PC/SC service, so that the control inside the DLL meets the real
// service's semantics: exclusive access, the reset when a context is released,
// status changes. Serves on 127.0.0.1 and prints "serving on port N".
#include <cstdio>
#include <memory>
#include <set>
#include <string>

#include "loopback_server.h"
#include "reader/pcsc_system.h"

namespace {

// One client process's share of the system's service: the contexts it did not
// release are released when it goes away, as the service does for a process.
class ClientOfSystem final : public korvaden::PcscApi {
 public:
  ~ClientOfSystem() override {
    for (const korvaden::PcscContext context : contexts_) std::ignore = system_.ReleaseContext(context);
  }
  korvaden::PcscResult EstablishContext(std::uint32_t scope, korvaden::PcscContext& context) override {
    const korvaden::PcscResult result = system_.EstablishContext(scope, context);
    if (result == korvaden::kScardSuccess) contexts_.insert(context);
    return result;
  }
  korvaden::PcscResult ReleaseContext(korvaden::PcscContext context) override {
    contexts_.erase(context);
    return system_.ReleaseContext(context);
  }
  korvaden::PcscResult ListReaders(korvaden::PcscContext context, char* buffer, std::uint32_t& length) override {
    return system_.ListReaders(context, buffer, length);
  }
  korvaden::PcscResult Connect(korvaden::PcscContext context, const char* reader, std::uint32_t shareMode,
                               std::uint32_t protocols, korvaden::PcscCard& card,
                               std::uint32_t& activeProtocol) override {
    return system_.Connect(context, reader, shareMode, protocols, card, activeProtocol);
  }
  korvaden::PcscResult Status(korvaden::PcscCard card, char* name, std::uint32_t& nameLength, std::uint32_t& state,
                              std::uint32_t& protocol, std::uint8_t* atr, std::uint32_t& atrLength) override {
    return system_.Status(card, name, nameLength, state, protocol, atr, atrLength);
  }
  korvaden::PcscResult GetStatusChange(korvaden::PcscContext context, std::uint32_t timeoutMs, const char* reader,
                                       std::uint32_t currentState, std::uint32_t& eventState) override {
    return system_.GetStatusChange(context, timeoutMs, reader, currentState, eventState);
  }
  korvaden::PcscResult Transmit(korvaden::PcscCard card, const std::uint8_t* command, std::uint32_t commandLength,
                                std::uint8_t* response, std::uint32_t& responseLength) override {
    return system_.Transmit(card, command, commandLength, response, responseLength);
  }
  korvaden::PcscResult Disconnect(korvaden::PcscCard card, std::uint32_t disposition) override {
    return system_.Disconnect(card, disposition);
  }

 private:
  korvaden::PcscApi& system_ = korvaden::SystemPcsc();
  std::set<korvaden::PcscContext> contexts_;
};

}  // namespace

int main(int argc, char** argv) {
  const int port = argc > 1 ? std::stoi(argv[1]) : 0;
  return korvaden::card::ServeLoopback(port, [] { return std::make_unique<ClientOfSystem>(); });
}
