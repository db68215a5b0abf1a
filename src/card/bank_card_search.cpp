#include "card/bank_card_search.h"

#include <tuple>

#include "card/card_commands.h"

namespace korvaden {
namespace {

// 9000, or 61xx: the selection answered, with more bytes to fetch.
bool Selected(const CardAnswer& answer) {
  constexpr unsigned kMoreBytes = 0x61;
  return answer.result == kScardSuccess &&
         (answer.statusWord == kStatusOk || AsInteger(answer.statusWord) >> 8 == kMoreBytes);
}

}  // namespace

PcscResult ListReaderPresence(ReaderModule& module, std::vector<ReaderPresence>& readers) {
  readers.clear();
  std::vector<std::string> names;
  if (const PcscResult listed = module.ReaderNames(names); Failed(listed)) return listed;
  for (std::string& name : names) {
    std::int32_t presence = kCardStateUnknown;
    // A reader that cannot say counts as empty: it is not asked anything else.
    std::ignore = module.ReaderGetPresence(name, presence);
    readers.push_back({std::move(name), presence == kCardPresent});
  }
  return kScardSuccess;
}

std::vector<std::string> ReadersWithBankCard(ReaderModule& module, const std::vector<ReaderPresence>& readers) {
  std::vector<std::string> found;
  for (const ReaderPresence& reader : readers) {
    PcscCard card = 0;
    if (!reader.cardPresent || Failed(module.ReaderConnectShared(card, reader.name))) continue;
    if (Selected(CardSelectApplication(module, card))) found.push_back(reader.name);
    std::ignore = module.ReaderDisconnect(card, kScardLeaveCard);
  }
  return found;
}

}  // namespace korvaden
