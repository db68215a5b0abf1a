// The transaction client's reader operations: context, presence and the
// take-out-and-reinsert step.
#include <chrono>

#include "control/transaction_client.h"

namespace korvaden {
namespace {

using std::chrono::milliseconds;
constexpr milliseconds kStepWait{100};
constexpr milliseconds kCheckWait{500};
constexpr int kPollBudget = 600;

}  // namespace

std::int32_t TransATMiVeskClient::EstablishContext() {
  lastResult = reader().ReaderEstablishContext();
  return lastResult;
}

std::int32_t TransATMiVeskClient::ReleaseContext() {
  lastResult = reader().ReaderReleaseContext();
  reader().cardHandle = 0;
  return lastResult;
}

std::int32_t TransATMiVeskClient::DisconnectCard() {
  if (reader().cardHandle == 0) return kScardInvalidParameter;
  lastResult = reader().ReaderDisconnect(reader().cardHandle, kScardLeaveCard);
  return lastResult;
}

void TransATMiVeskClient::ReleaseReader() {
  if (reader().cardHandle != 0) DisconnectCard();
  ReleaseContext();
}

std::int32_t TransATMiVeskClient::GetCardPresence(std::int32_t& presence) {
  std::int32_t queried = kCardPresent;
  lastResult = readerName.size() > kMaxReaderNameLength ? kScardUnknownReader
                                                        : reader().ReaderGetPresence(readerName, queried);
  presence = lastResult == kScardSuccess ? queried : kCardPresent;
  return lastResult;
}

int TransATMiVeskClient::IsReaderAttached() {
  const std::string name = readerName;
  lastResult = reader().ReaderEstablishContext();
  lastResult = reader().ReaderListReaders(readerTable);
  for (std::int32_t i = 0; i < readerTable.count; ++i) {
    const std::string_view listed = readerTable.Name(static_cast<std::size_t>(i));
    if (!listed.empty() && name.find(listed) != std::string::npos) return 1;
  }
  return 0;
}

int TransATMiVeskClient::WaitCardReinsert() {
  cardPrompt = platform().cardPrompts.Open();
  if (!cardPrompt) return -1;
  cardPrompt->ShowStage(1);
  Sleeper& sleeper = platform().sleeper;
  int budget = kPollBudget;
  std::int32_t presence = kCardPresent;

  const auto end = [&](int result) {
    sleeper.Sleep(kCheckWait);
    CloseCardPrompt();
    return result;
  };
  constexpr int kSuccess = 0, kFailure = -1;

  GetCardPresence(presence);
  if (!IsReaderAttached()) return end(kFailure);
  while (presence == kCardPresent) {
    sleeper.Sleep(kStepWait);
    if (--budget == 0) return end(kFailure);
    GetCardPresence(presence);
    if (!IsReaderAttached()) return end(kFailure);
  }

  cardPrompt->ShowStage(2);
  sleeper.Sleep(kCheckWait);
  GetCardPresence(presence);
  sleeper.Sleep(kCheckWait);
  if (!IsReaderAttached()) return end(kFailure);
  for (;;) {
    sleeper.Sleep(kCheckWait);
    if (presence == kCardPresent) return end(kSuccess);
    sleeper.Sleep(kStepWait);
    if (--budget == 0) return end(kFailure);
    GetCardPresence(presence);
    sleeper.Sleep(kCheckWait);
    if (!IsReaderAttached()) return end(kFailure);
  }
}

int TransATMiVeskClient::CloseCardPrompt() {
  cardPrompt.reset();
  return 0;
}

}  // namespace korvaden
