#include "flows/card_flow_steps.h"

#include <chrono>

#include "base/text_checks.h"
#include "card/bank_card_search.h"
#include "crypto/seal.h"
#include "ui/texts.h"

namespace korvaden {
namespace {

constexpr std::chrono::milliseconds kBeforeConnect{100};
constexpr std::size_t kAccountLength = 16;
constexpr std::array<std::uint8_t, 2> kTacP1P2 = {0x10, 0x80};

// What the customer is told when the connection to the reader's card fails.
const char* ConnectionMessage(ResultCode connected) {
  if (connected == FromPcsc(kScardUnknownReader)) return texts::kReaderNotFoundMessage;
  if (connected == FromPcsc(kScardNoSmartcard) || connected == FromPcsc(kScardRemovedCard)) {
    return texts::kNoCardInReaderMessage;
  }
  return texts::kCardConnectionMessage;  // a card that did not answer, as one inserted the wrong way round
}

}  // namespace

void CardFlowSteps::Tell(std::string_view message) const {
  client_.platform().messageBoxes.Show(message, caption_, MessageIcon::Warning);
}

ResultCode CardFlowSteps::FindReader(std::string_view requested) {
  if (!requested.empty()) {
    client_.reader.UseReader(requested);
    return kResultSuccess;
  }
  if (Failed(client_.reader.EstablishContext())) {
    Tell(texts::kReaderMessage);
    return kResultCancelled;
  }
  ReaderModule& module = client_.reader.module();
  std::vector<ReaderPresence> readers;
  const bool listed = !Failed(ListReaderPresence(module, readers));
  const std::vector<std::string> found = listed ? ReadersWithBankCard(module, readers) : std::vector<std::string>{};
  client_.reader.ReleaseReader();
  if (found.size() == 1) {
    client_.reader.UseReader(found.front());
    return kResultSuccess;
  }
  if (!listed || readers.empty()) {
    Tell(texts::kReaderMessage);
  } else {
    Tell(found.empty() ? texts::kNoBankCardMessage : texts::kSeveralBankCardsMessage);
  }
  return kResultCancelled;
}

ResultCode CardFlowSteps::OpenSession() {
  if (Failed(client_.reader.EstablishContext())) {
    Tell(texts::kReaderMessage);
    return kResultCancelled;
  }
  client_.platform().sleeper.Sleep(kBeforeConnect);
  if (const ResultCode connected = client_.card.Connect(client_.reader.readerName()); Failed(connected)) {
    Tell(ConnectionMessage(connected));
    return kResultCancelled;
  }
  return kResultSuccess;
}

ResultCode CardFlowSteps::ReadAccounts(std::string_view accountIndex, CardTransactionRecord& record) {
  if (const ResultCode result = CheckAccounts(); Failed(result)) return result;
  return ReadRecords(accountIndex, record);
}

ResultCode CardFlowSteps::CheckAccounts() {
  if (Failed(client_.card.CountAccounts())) {
    Tell(texts::kCardReadMessage);
    client_.reader.ReleaseReader();
    return kResultCardUnreadable;
  }
  if (client_.card.accountCount() == 0) {
    Tell(texts::kNoAccountsMessage);
    client_.reader.ReleaseReader();
    return kResultCardUnreadable;
  }
  return kResultSuccess;
}

ResultCode CardFlowSteps::ReadRecords(std::string_view accountIndex, CardTransactionRecord& record) {
  CardRecords records;
  CardApplication& card = client_.card;
  if (const ResultCode result = card.ReadCardData(accountIndex, records); Failed(result)) return result;
  // A refused file selection ends the read with 0 but no data: that is no success.
  if (card.statusWord() != kStatusOk || records.outAccount.size() < kAccountLength) return kResultCardUnreadable;
  record.issuerId = std::move(records.issuerId);
  record.issuerRemark = std::move(records.issuerRemark);
  record.issuerAccount = std::move(records.issuerAccount);
  record.outAccount = std::move(records.outAccount);
  return kResultSuccess;
}

ResultCode CardFlowSteps::CheckLoginCard(std::optional<std::string_view> loginIssuerId, std::string_view loginAccount,
                                         std::string* mainAccountOut) {
  const std::string issuerId = client_.card.ReadIssuerId();
  const std::string mainAccount = client_.card.ReadMainAccount();
  if (mainAccountOut != nullptr) *mainAccountOut = mainAccount;
  if ((loginIssuerId && issuerId != *loginIssuerId) || mainAccount != loginAccount) {
    client_.platform().messageBoxes.Show(texts::kWrongCardMessage, wrongCardCaption_, MessageIcon::Warning);
    return kResultWrongCard;
  }
  return kResultSuccess;
}

ResultCode CardFlowSteps::VerifyPinIfGiven(std::string_view pin) {
  if (pin.empty()) return kResultSuccess;
  CardApplication& card = client_.card;
  const ResultCode result = card.VerifyPin(pin);
  if (!Failed(result) && card.statusWord() == kStatusOk) return kResultSuccess;
  if (Failed(result)) return result;
  // No status word means no answer: the reader's code tells why. An exchange
  // that went through with no status word is no acceptance either.
  return card.lastResult() == kResultSuccess ? kResultCancelled : card.lastResult();
}

ResultCode CardFlowSteps::ComputeTac(const Bytes& input, CardTransactionRecord& record) {
  const auto answer = client_.card.ComputeTac(kTacP1P2, input);
  if (!answer) return kResultTacFailed;
  record.iccNo = answer->iccNo;
  record.tsac = answer->tsac;
  return kResultSuccess;
}

ResultCode CardFlowSteps::SealMessage(const MessageValues& values) {
  auto document = AssembleMessage(values);
  if (!document) return kResultCardUnreadable;
  client_.plainMessage = std::move(*document);
  Platform& platform = client_.platform();
  SealedMessage sealed = SealForServer(client_.plainMessage, platform.keys, platform.random);
  if (!sealed.sealed()) {
    // A MAC that fails has no box of its own.
    const char* box = sealed.failure == SealFailure::Cipher      ? "Error DES"
                      : sealed.failure == SealFailure::Random    ? "Error RAND"
                      : sealed.failure == SealFailure::ServerKey ? "Error RSA"
                                                                 : nullptr;
    if (box != nullptr) platform.messageBoxes.Show(box, "", MessageIcon::Error);
    return kResultSealFailed;
  }
  client_.sealedMessage = std::move(sealed.text);
  return kResultSuccess;
}

bool PinAcceptable(std::string_view pin) { return pin.size() <= kMaxPinLength && AllDigits(pin); }

void AppendField(Bytes& block, std::string_view text, std::size_t length) {
  text = text.substr(0, length);
  block.insert(block.end(), text.begin(), text.end());
  block.resize(block.size() + length - text.size(), 0);
}

void AppendBytes(Bytes& block, const Bytes& bytes) { block.insert(block.end(), bytes.begin(), bytes.end()); }

std::string ZeroPadLeft(std::string_view text, std::size_t width) {
  return text.size() >= width ? std::string(text) : std::string(width - text.size(), '0') + std::string(text);
}

}  // namespace korvaden
