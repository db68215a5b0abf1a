#pragma once
// Where the bank card is when the page names no reader. A reader is only
// asked whether it holds a card; a card is only asked to select the financial
// application, over a shared connection, and is left as it was (never reset):
// a security key, a modem's SIM or another program's card is not disturbed.
#include <string>
#include <vector>

#include "base/pcsc_api.h"
#include "reader/reader_module.h"

namespace korvaden {

struct ReaderPresence {
  std::string name;
  bool cardPresent = false;
};

// Every reader and whether it holds a card, on the module's open context; no
// card is spoken to.
PcscResult ListReaderPresence(ReaderModule& module, std::vector<ReaderPresence>& readers);

// Of `readers`, those whose card answers the selection of the financial
// application, in their order.
std::vector<std::string> ReadersWithBankCard(ReaderModule& module, const std::vector<ReaderPresence>& readers);

}  // namespace korvaden
