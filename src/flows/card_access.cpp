#include "flows/card_access.h"

#include "card/status_words.h"
#include "flows/transaction_client.h"

namespace korvaden {
namespace {

class ClientCardConnection final : public CardConnection {
 public:
  explicit ClientCardConnection(Platform& platform) : client_(platform) {}

  // The reader state is the module's: whatever the flow holds is dropped
  // first. A context that cannot be established shows in the connection.
  bool Open(std::string_view readerName) {
    client_.reader.ReleaseReader();
    return !Failed(client_.reader.EstablishContext()) && !Failed(client_.card.Connect(readerName));
  }
  PinCheck VerifyPin(const SecureString& pin) override {
    using enum PinCheck::Verdict;
    CardApplication& card = client_.card;
    if (!Failed(card.VerifyPin(pin)) && card.statusWord() == kStatusOk) return {Accepted};
    const StatusWord word = card.statusWord();
    if (word == kNoStatusWord) return {NoAnswer};
    return {AsksForThePinAgain(word) ? TypeAgain : Refused, word};
  }
  bool WaitCardReinsert() override { return client_.reader.WaitCardReinsert(); }

 private:
  TransATMiVeskClient client_;
};

}  // namespace

std::unique_ptr<CardConnection> ClientCardAccess::Connect(std::string_view readerName) {
  auto connection = std::make_unique<ClientCardConnection>(platform_);
  if (!connection->Open(readerName)) return nullptr;
  return connection;
}

}  // namespace korvaden
