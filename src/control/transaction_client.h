#pragma once
// The per-call transaction client: created by a member for one call, it owns
// every text the flow gathers and closes the card connection and the reader
// context when it is destroyed, whatever path the flow took.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "control/platform.h"
#include "crypto/secure_memory.h"

namespace korvaden {

// The four outputs of ReadCardData.
struct CardRecords {
  std::string issuerId;
  std::string issuerRemark;
  std::string issuerAccount;
  std::string outAccount;
};

class TransATMiVeskClient {
 public:
  explicit TransATMiVeskClient(Platform& platform) : platform_(platform) {}
  TransATMiVeskClient(const TransATMiVeskClient&) = delete;
  TransATMiVeskClient& operator=(const TransATMiVeskClient&) = delete;
  virtual ~TransATMiVeskClient();

  // Reader context and connection.
  std::int32_t EstablishContext();
  std::int32_t ReleaseContext();
  std::int32_t DisconnectCard();
  // DisconnectCard (when a card is connected), ReleaseContext: the card stays in the reader.
  void ReleaseReader();

  // Card presence and the take-out-and-reinsert step.
  std::int32_t GetCardPresence(std::int32_t& presence);
  int IsReaderAttached();
  int WaitCardReinsert();
  int CloseCardPrompt();

  // The card application.
  std::int32_t ConnectCard(std::string_view readerName);
  std::int32_t SelectApplication();
  std::int32_t SelectFile(std::string_view fileIdHex);
  std::int32_t VerifyPin(std::string_view pin);
  std::int32_t CountAccounts();
  std::string ReadIssuerId();
  std::string ReadMainAccount();
  std::int32_t ReadCardData(std::string_view accountIndex, CardRecords& records);
  static std::string AmountToWhole(std::string_view amount, std::size_t decimals);

  Platform& platform() { return platform_; }
  ReaderModule& reader() { return platform_.reader; }

  std::int32_t lastResult = 0;
  std::uint32_t statusWord = 0;
  std::int32_t accountCount = 0;
  std::string readerName;
  std::string sessionId;
  std::string txCode;
  SecureString plainMessage;
  std::string sealedMessage;
  ReaderTable readerTable;
  ReaderStatus readerStatus;
  std::unique_ptr<CardPromptView> cardPrompt;

 private:
  // Reads a record after selecting "1001"; empty unless the read answered 9000.
  std::string ReadRecordText(std::uint8_t record, std::size_t length);
  bool SelectAccountFile();
  bool ReadRecord(std::uint8_t record, Bytes& data);

  Platform& platform_;
};

// Reader names longer than this are refused (the name buffers hold 149).
inline constexpr std::size_t kMaxReaderNameLength = 149;
// PINs longer than this are refused before anything is sent to the card.
inline constexpr std::size_t kMaxPinLength = 36;

}  // namespace korvaden
