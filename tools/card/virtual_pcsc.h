#pragma once
// Virtual readers behind the control's PC/SC interface, in process: each
// reader may hold a virtual card. Counts what is left open so that tests can
// check that nothing outlives a call.
#include <map>
#include <set>
#include <string>
#include <vector>

#include "base/pcsc_api.h"
#include "virtual_card.h"

namespace korvaden::card {

class VirtualReaders final : public PcscApi {
 public:
  void AddReader(const std::string& name, VirtualCard* card = nullptr);
  void RemoveReader(const std::string& name);  // the cable pulled

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

  std::size_t openContexts() const { return contexts_.size(); }
  std::size_t openConnections() const { return connections_.size(); }
  // Releasing a context drops its connections, as the PC/SC service does.
  int establishCount = 0;
  int connectCount = 0;
  int statusChangeCount = 0;
  PcscResult establishFailure = kScardSuccess;  // when set, EstablishContext answers it
  PcscResult connectFailure = kScardSuccess;    // when set, Connect answers it
  int statusChangeFailsFrom = 0;                // from this presence query on (counted from 1), each fails
  // How each reader was last connected (exclusive or shared), and how many
  // disconnections reset or ejected a card instead of leaving it.
  std::map<std::string, std::uint32_t> lastShareMode;
  int cardsNotLeft = 0;

 private:
  struct Reader {
    std::string name;
    VirtualCard* card;
  };
  Reader* Find(std::string_view name);

  std::vector<Reader> readers_;
  std::set<PcscContext> contexts_;
  struct Connection {
    std::string reader;
    PcscContext context;
    bool cardLeft;  // the card was taken out since: the handle is dead
  };
  std::map<PcscCard, Connection> connections_;
  std::uintptr_t nextHandle_ = 0x1000;
};

}  // namespace korvaden::card
