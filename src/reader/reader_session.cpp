#include "reader/reader_session.h"

#include <chrono>
#include <tuple>

namespace korvaden {
namespace {

using std::chrono::milliseconds;
constexpr milliseconds kStepWait{100};
constexpr milliseconds kCheckWait{500};
constexpr int kPollBudget = 600;

}  // namespace

ReaderSession::~ReaderSession() {
  cardPrompt_.reset();
  ReleaseReader();
}

PcscResult ReaderSession::EstablishContext() { return module_.ReaderEstablishContext(); }

PcscResult ReaderSession::ReleaseContext() {
  const PcscResult result = module_.ReaderReleaseContext();
  module_.cardHandle = 0;
  return result;
}

PcscResult ReaderSession::DisconnectCard() {
  if (module_.cardHandle == 0) return kScardInvalidParameter;
  return module_.ReaderDisconnect(module_.cardHandle, kScardLeaveCard);
}

void ReaderSession::ReleaseReader() {
  // Nothing is left to do when the service refuses either step.
  if (module_.cardHandle != 0) std::ignore = DisconnectCard();
  std::ignore = ReleaseContext();
}

PcscResult ReaderSession::Connect(std::string_view name) {
  readerName_ = name;
  return readerName_.size() > kMaxReaderNameLength
             ? kScardUnknownReader
             : module_.ReaderConnect(module_.cardHandle, readerName_, readerStatus_);
}

PcscResult ReaderSession::GetCardPresence(std::int32_t& presence, std::int32_t onFailure) {
  std::int32_t queried = kCardPresent;
  const PcscResult result =
      readerName_.size() > kMaxReaderNameLength ? kScardUnknownReader : module_.ReaderGetPresence(readerName_, queried);
  presence = result == kScardSuccess ? queried : onFailure;
  return result;
}

bool ReaderSession::IsReaderAttached() {
  // A failed establishing shows as an empty or failed listing.
  std::ignore = module_.ReaderEstablishContext();
  ReaderTable readerTable;
  std::ignore = module_.ReaderListReaders(readerTable);
  for (std::int32_t i = 0; i < readerTable.count; ++i) {
    const std::string_view listed = readerTable.Name(static_cast<std::size_t>(i));
    if (!listed.empty() && readerName_.find(listed) != std::string::npos) return true;
  }
  return false;
}

bool ReaderSession::WaitCardReinsert() {
  cardPrompt_ = prompts_.Open();
  if (!cardPrompt_) return false;
  cardPrompt_->ShowStage(1);
  int budget = kPollBudget;
  std::int32_t presence = kCardPresent;

  const auto end = [&](bool reinserted) {
    sleeper_.Sleep(kCheckWait);
    CloseCardPrompt();
    return reinserted;
  };
  // A failed presence query proves nothing: while the card must go out it
  // counts as still in, while it must come back as still out.
  const auto poll = [&](std::int32_t onFailure) { std::ignore = GetCardPresence(presence, onFailure); };

  poll(kCardPresent);
  if (!IsReaderAttached()) return end(false);
  while (presence == kCardPresent) {
    sleeper_.Sleep(kStepWait);
    if (--budget == 0) return end(false);
    poll(kCardPresent);
    if (!IsReaderAttached()) return end(false);
  }

  cardPrompt_->ShowStage(2);
  sleeper_.Sleep(kCheckWait);
  poll(kCardAbsent);
  sleeper_.Sleep(kCheckWait);
  if (!IsReaderAttached()) return end(false);
  for (;;) {
    sleeper_.Sleep(kCheckWait);
    if (presence == kCardPresent) return end(true);
    sleeper_.Sleep(kStepWait);
    if (--budget == 0) return end(false);
    poll(kCardAbsent);
    sleeper_.Sleep(kCheckWait);
    if (!IsReaderAttached()) return end(false);
  }
}

}  // namespace korvaden
