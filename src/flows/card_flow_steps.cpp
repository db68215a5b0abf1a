#include "flows/card_flow_steps.h"

#include <chrono>

#include "card/card_commands.h"
#include "control/result_codes.h"
#include "crypto/seal.h"
#include "ui/texts.h"

namespace korvaden {
namespace {

constexpr std::chrono::milliseconds kBeforeConnect{100};
constexpr std::size_t kAccountLength = 16;
constexpr std::array<std::uint8_t, 2> kTacP1P2 = {0x10, 0x80};

}  // namespace

void CardFlowSteps::Tell(std::string_view message) const {
  client_.platform().messageBoxes.Show(message, caption_, MessageIcon::Warning);
}

int CardFlowSteps::OpenSession(std::string_view readerName) {
  if (client_.EstablishContext() != kScardSuccess) {
    Tell(texts::kReaderMessage);
    return kResultCancelled;
  }
  client_.platform().sleeper.Sleep(kBeforeConnect);
  if (client_.ConnectCard(readerName) != 0) {
    Tell(texts::kCardConnectionMessage);
    return kResultCancelled;
  }
  return 0;
}

int CardFlowSteps::ReadAccounts(std::string_view accountIndex, CardTransactionRecord& record) {
  if (const int result = CheckAccounts()) return result;
  return ReadRecords(accountIndex, record);
}

int CardFlowSteps::CheckAccounts() {
  if (client_.CountAccounts() != 0) {
    Tell(texts::kCardReadMessage);
    client_.ReleaseReader();
    return kResultCardUnreadable;
  }
  if (client_.accountCount == 0) {
    Tell(texts::kNoAccountsMessage);
    client_.ReleaseReader();
    return kResultCardUnreadable;
  }
  return 0;
}

int CardFlowSteps::ReadRecords(std::string_view accountIndex, CardTransactionRecord& record) {
  CardRecords records;
  client_.lastResult = client_.ReadCardData(accountIndex, records);
  if (client_.lastResult != 0) return client_.lastResult;
  // A refused file selection ends the read with 0 but no data: that is no success.
  if (client_.statusWord != kStatusOk || records.outAccount.size() < kAccountLength) return kResultCardUnreadable;
  record.issuerId = std::move(records.issuerId);
  record.issuerRemark = std::move(records.issuerRemark);
  record.issuerAccount = std::move(records.issuerAccount);
  record.outAccount = std::move(records.outAccount);
  return 0;
}

int CardFlowSteps::CheckLoginCard(std::optional<std::string_view> loginIssuerId, std::string_view loginAccount,
                                  std::string* mainAccountOut) {
  const std::string issuerId = client_.ReadIssuerId();
  const std::string mainAccount = client_.ReadMainAccount();
  if (mainAccountOut != nullptr) *mainAccountOut = mainAccount;
  if ((loginIssuerId && issuerId != *loginIssuerId) || mainAccount != loginAccount) {
    client_.platform().messageBoxes.Show(texts::kWrongCardMessage, wrongCardCaption_, MessageIcon::Warning);
    return kResultWrongCard;
  }
  return 0;
}

int CardFlowSteps::VerifyPinIfGiven(std::string_view pin) {
  if (pin.empty()) return 0;
  const int result = client_.VerifyPin(pin);
  if (result == 0 && client_.statusWord == kStatusOk) return 0;
  // No status word means no answer: the reader's code tells why.
  return result != 0 ? result : client_.lastResult;
}

int CardFlowSteps::ComputeTac(const Bytes& input, CardTransactionRecord& record) {
  Bytes answer;
  const PcscResult result = CardComputeTac(client_.reader(), client_.reader().cardHandle, kTacP1P2, input, answer,
                                           client_.statusWord);
  const auto parsed = result == kScardSuccess && client_.statusWord == kStatusOk ? ParseTacAnswer(answer)
                                                                                 : std::nullopt;
  if (!parsed) {
    client_.lastResult = kResultTacFailed;
    return kResultTacFailed;
  }
  client_.lastResult = 0;
  record.iccNo = parsed->iccNo;
  record.tsac = parsed->tsac;
  return 0;
}

int CardFlowSteps::SealMessage(const MessageValues& values) {
  auto document = AssembleMessage(values);
  if (!document) return kResultCardUnreadable;
  client_.plainMessage = std::move(*document);
  Platform& platform = client_.platform();
  SealedMessage sealed = SealForServer(client_.plainMessage, platform.keys, platform.random, platform.messageBoxes);
  if (!sealed.sealed) return kResultSealFailed;
  client_.sealedMessage = std::move(sealed.text);
  return 0;
}

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
