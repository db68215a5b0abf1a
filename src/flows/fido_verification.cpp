#include "flows/fido_verification.h"

#include <initializer_list>
#include <string>

#include "base/result_codes.h"
#include "card/ebcdic.h"
#include "flows/card_flow_steps.h"
#include "ui/texts.h"

namespace korvaden {
namespace {

constexpr std::string_view kMainAccountIndex = "01";
constexpr std::string_view kReinsertTxCode = "P611AD";

// The page values that enter the document or a fixed-width TAC field.
bool Acceptable(std::string_view ifdCheckCode, std::string_view transDateTime, std::string_view pin,
                std::initializer_list<std::string_view> documentValues) {
  return ifdCheckCode.size() <= 8 && transDateTime.size() <= 14 && PinAcceptable(pin) && !HasMarkup(documentValues) &&
         FitsTheDocument(documentValues);
}

// The road both flows share; `reinsert` says whether the card must be taken
// out and put back, `tacInput` makes the block from the main account.
template <class TacInput>
ResultCode RunVerification(TransATMiVeskClient& client, std::string_view readerName, std::string_view processingCode,
                           std::string_view pin, bool reinsert, std::string_view loginAccount, std::string_view amount,
                           std::string_view transDateTime, std::string_view ifdId, std::string_view ifdCheckCode,
                           const TacInput& tacInput) {
  CardFlowSteps steps(client, texts::kTransferCaption, "");
  CardTransactionRecord record;
  if (const ResultCode result = steps.FindReader(readerName); Failed(result)) return result;
  if (const ResultCode result = steps.OpenSession(); Failed(result)) return result;
  if (const ResultCode result = steps.ReadAccounts(kMainAccountIndex, record); Failed(result)) return result;
  record.txCode = processingCode;

  if (!reinsert) {
    client.reader.ReleaseReader();
  } else if (!client.reader.WaitCardReinsert()) {
    return kResultCancelled;
  }

  if (const ResultCode result = steps.OpenSession(); Failed(result)) return result;
  if (const ResultCode result = steps.CheckLoginCard(std::nullopt, loginAccount); Failed(result)) return result;
  if (const ResultCode result = steps.VerifyPinIfGiven(pin); Failed(result)) return result;
  if (const ResultCode result = steps.ComputeTac(tacInput(record.outAccount), record); Failed(result)) return result;
  return steps.SealMessage({processingCode, client.sessionId, transDateTime, ifdId, ifdCheckCode, processingCode,
                            amount, record, std::nullopt});
}

}  // namespace

Bytes FidoTacInput(std::string_view processingCode, std::string_view amount, std::string_view txCode,
                   std::string_view ifdCheckCode, std::string_view transDateTime, std::string_view mainAccount) {
  Bytes block;
  block.reserve(64);
  AppendField(block, processingCode, 4);
  AppendField(block, amount, 16);
  AppendBytes(block, EbcdicField(txCode, 6));
  AppendBytes(block, EbcdicField(ifdCheckCode, 8));
  AppendBytes(block, EbcdicField(transDateTime, 14));
  AppendField(block, mainAccount, 16);
  return block;
}

Bytes FidoObTacInput(std::string_view processingCode, std::string_view amountBase, std::string_view mainAccount,
                     std::string_view ifdCheckCode, std::string_view transDateTime, std::string_view txType,
                     std::string_view checkItem, std::string_view id) {
  Bytes block;
  block.reserve(90);
  AppendField(block, processingCode, 4);
  AppendField(block, amountBase, 14);
  AppendField(block, mainAccount, 16);
  AppendField(block, ifdCheckCode, 8);
  AppendField(block, transDateTime, 14);
  AppendField(block, txType, 2);
  AppendField(block, checkItem, 2);
  AppendField(block, id, 30);
  return block;
}

ResultCode RunFidoVerify(TransATMiVeskClient& client, const FidoRequest& r) {
  client.sessionId = r.sessionId;
  client.txCode = r.processingCode;
  if (r.txCode.size() > 6 ||
      !Acceptable(r.ifdCheckCode, r.transDateTime, r.pin, {r.sessionId, r.transDateTime, r.ifdId, r.ifdCheckCode})) {
    return kResultInvalidArgument;
  }
  const bool reinsert = !r.pin.empty() && r.txCode == kReinsertTxCode;
  return RunVerification(client, r.readerName, r.processingCode, r.pin, reinsert, r.loginIssuerAccount, r.amount,
                         r.transDateTime, r.ifdId, r.ifdCheckCode, [&](std::string_view mainAccount) {
                           return FidoTacInput(r.processingCode, r.amount, r.txCode, r.ifdCheckCode, r.transDateTime,
                                               mainAccount);
                         });
}

ResultCode RunFidoVerifyOb(TransATMiVeskClient& client, const FidoObRequest& r) {
  client.sessionId = r.sessionId;
  client.txCode = r.processingCode;
  if (!Acceptable(r.ifdCheckCode, r.transDateTime, r.pin, {r.sessionId, r.transDateTime, r.ifdId, r.ifdCheckCode})) {
    return kResultInvalidArgument;
  }
  const std::string amount = ZeroPadLeft(std::string(r.amountBase) + "00", 14);
  return RunVerification(client, r.readerName, r.processingCode, r.pin, !r.pin.empty(), r.loginIssuerAccount, amount,
                         r.transDateTime, r.ifdId, r.ifdCheckCode, [&](std::string_view mainAccount) {
                           return FidoObTacInput(r.processingCode, r.amountBase, mainAccount, r.ifdCheckCode,
                                                 r.transDateTime, r.txType, r.checkItem, r.id);
                         });
}

}  // namespace korvaden
