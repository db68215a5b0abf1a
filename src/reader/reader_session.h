#pragma once
// One client's use of the module-wide reader: the context, the connection to
// the named reader, presence and the take-out-and-reinsert prompt. Destroying
// the session disconnects the card (leaving it in the reader) and releases the
// context, whatever path the flow took.
#include <cstdint>
#include <memory>
#include <string>

#include "base/pcsc_api.h"
#include "base/sleeper.h"
#include "reader/card_prompt.h"
#include "reader/reader_module.h"

namespace korvaden {

// Reader names longer than this are refused (the name buffers hold 149).
inline constexpr std::size_t kMaxReaderNameLength = 149;

class ReaderSession {
 public:
  ReaderSession(ReaderModule& module, Sleeper& sleeper, CardPromptFactory& prompts)
      : module_(module), sleeper_(sleeper), prompts_(prompts) {}
  ReaderSession(const ReaderSession&) = delete;
  ReaderSession& operator=(const ReaderSession&) = delete;
  ~ReaderSession();

  PcscResult EstablishContext();
  PcscResult ReleaseContext();
  // kScardInvalidParameter when no card is connected.
  PcscResult DisconnectCard();
  // DisconnectCard (when a card is connected), ReleaseContext: the card stays in the reader.
  void ReleaseReader();
  // Connects to `name` (kept as the reader's name) and reads its status.
  PcscResult Connect(std::string_view name);
  // The reader the presence checks and the prompt watch, before a connection.
  void UseReader(std::string_view name) { readerName_ = name; }

  // 0 card present, 1 no card, 2 neither; a failed query gives `onFailure`.
  PcscResult GetCardPresence(std::int32_t& presence, std::int32_t onFailure = kCardPresent);
  // Whether a listed reader's name is part of readerName.
  [[nodiscard]] bool IsReaderAttached();
  // The prompt has the customer take the card out and put it back: true when
  // that happened within the polling budget.
  [[nodiscard]] bool WaitCardReinsert();
  void CloseCardPrompt() { cardPrompt_.reset(); }
  bool CardPromptOpen() const { return cardPrompt_ != nullptr; }

  ReaderModule& module() { return module_; }
  PcscCard card() const { return module_.cardHandle; }
  const std::string& readerName() const { return readerName_; }
  // The connected reader's status (its ATR among it).
  const ReaderStatus& status() const { return readerStatus_; }

 private:
  std::string readerName_;
  ReaderStatus readerStatus_;
  std::unique_ptr<CardPromptView> cardPrompt_;
  ReaderModule& module_;
  Sleeper& sleeper_;
  CardPromptFactory& prompts_;
};

}  // namespace korvaden
