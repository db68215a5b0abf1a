// The card's answers across whole members: the first commands of a transfer
// and a verification get answers from the input (a length byte, then that
// many bytes, each), the rest the virtual card's. Whatever the card answers,
// a member gives 0 only with a message the bank opens, and nothing else then.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "bank.h"
#include "control/control_core.h"
#include "support/card_bench.h"

namespace {

using namespace korvaden;

class FuzzedAnswers final : public PcscApi {
 public:
  FuzzedAnswers(PcscApi& card, std::span<const std::uint8_t> input) : card_(card), input_(input) {}
  PcscResult EstablishContext(std::uint32_t scope, PcscContext& context) override {
    return card_.EstablishContext(scope, context);
  }
  PcscResult ReleaseContext(PcscContext context) override { return card_.ReleaseContext(context); }
  PcscResult ListReaders(PcscContext context, char* buffer, std::uint32_t& length) override {
    return card_.ListReaders(context, buffer, length);
  }
  PcscResult Connect(PcscContext context, const char* reader, std::uint32_t share, std::uint32_t protocols,
                     PcscCard& card, std::uint32_t& active) override {
    return card_.Connect(context, reader, share, protocols, card, active);
  }
  PcscResult Status(PcscCard card, char* name, std::uint32_t& nameLength, std::uint32_t& state, std::uint32_t& protocol,
                    std::uint8_t* atr, std::uint32_t& atrLength) override {
    return card_.Status(card, name, nameLength, state, protocol, atr, atrLength);
  }
  PcscResult GetStatusChange(PcscContext context, std::uint32_t timeout, const char* reader, std::uint32_t current,
                             std::uint32_t& event) override {
    return card_.GetStatusChange(context, timeout, reader, current, event);
  }
  PcscResult Transmit(PcscCard card, const std::uint8_t* command, std::uint32_t commandLength, std::uint8_t* response,
                      std::uint32_t& responseLength) override {
    const PcscResult sent = card_.Transmit(card, command, commandLength, response, responseLength);
    if (input_.empty()) return sent;
    const std::size_t length = std::min<std::size_t>({input_[0], input_.size() - 1, responseLength});
    std::copy_n(input_.begin() + 1, length, response);
    responseLength = static_cast<std::uint32_t>(length);
    input_ = input_.subspan(1 + length);
    return kScardSuccess;
  }
  PcscResult Disconnect(PcscCard card, std::uint32_t disposition) override {
    return card_.Disconnect(card, disposition);
  }

 private:
  PcscApi& card_;
  std::span<const std::uint8_t> input_;
};

void ExpectOpensOnlyOnSuccess(ResultCode result, const ControlCore& core) {
  if (result != kResultSuccess) {
    if (!core.TrnsMsg().empty()) std::abort();  // a failure that hands out a message
    return;
  }
  const auto opened = bank::OpenSealed(core.TrnsMsg(), test::TestBankKeys());
  if (!opened.ok || opened.value.rfind("<Korvaden>", 0) != 0) std::abort();  // success the bank cannot open
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  test::CardBench bench;
  FuzzedAnswers answers(bench.readers, {data, size});
  ReaderModule module(answers);
  Platform platform{module, bench.sleeper, bench.prompts, bench.random, bench.boxes, bench.dialogs, bench.keys};
  MemberGate gate;
  ControlCore core(platform, gate);
  ExpectOpensOnlyOnSuccess(core.Call(Member::TransIVESK, {test::kReaderName, "123456", "2510", "", "81200000",
                                                          "1234567890123456", "12345678", "WEBATM01", "1", "123456789",
                                                          "100", "20230731123456", 0, "FUZZ-SESSION"}),
                           core);
  ExpectOpensOnlyOnSuccess(
      core.Call(Member::FidoVerify, {test::kReaderName, "FUZZ-SESSION", "1234567890123456", "20230731123456",
                                     "12345678", "WEBATM01", "P611XX", "123456"}),
      core);
  return 0;
}
