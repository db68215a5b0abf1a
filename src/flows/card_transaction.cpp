#include "flows/card_transaction.h"

#include "base/result_codes.h"
#include "base/text_checks.h"
#include "card/ebcdic.h"
#include "flows/card_flow_steps.h"
#include "ui/texts.h"

namespace korvaden {
namespace {

// What the TAC input and the message can carry: the fields of the TAC input
// have fixed widths, and the document is not escaped.
bool Acceptable(const TransferRequest& r, std::string_view transferAmount) {
  return r.pCode.size() >= 4 && r.txCode.size() <= 6 && r.ifdCheckCode.size() <= 8 && r.transDateTime.size() <= 14 &&
         r.importAccount.size() <= 16 && !r.money.empty() && AllDigits(r.money) && transferAmount.size() <= 14 &&
         PinAcceptable(r.pin) &&
         !HasMarkup({r.pCode, r.sessionId, r.transDateTime, r.ifdId, r.ifdCheckCode, r.txCode}) &&
         FitsTheDocument({r.pCode, r.sessionId, r.transDateTime, r.ifdId, r.ifdCheckCode, r.txCode, transferAmount});
}

}  // namespace

Bytes TransferTacInput(std::string_view pCode, std::string_view transferAmount, std::string_view transferInAccount,
                       std::string_view txCode, std::string_view ifdCheckCode, std::string_view transDateTime,
                       std::string_view outAccount) {
  Bytes block;
  block.reserve(64);
  AppendField(block, pCode, 4);
  AppendField(block, transferAmount, 14);
  AppendField(block, transferInAccount, 16);
  AppendBytes(block, PackDigitsField(txCode, 6));
  AppendBytes(block, PackDigitsField(ifdCheckCode, 8));
  AppendBytes(block, PackDigitsField(transDateTime, 14));
  AppendField(block, outAccount, 16);
  return block;
}

ResultCode RunCardTransaction(TransATMiVeskClient& client, const TransferRequest& r) {
  client.sessionId = r.sessionId;
  const std::string accountIndex = ZeroPadLeft(r.accountIndex, 2);
  const std::string transferInAccount = ZeroPadLeft(r.importAccount, 16);
  const std::string transferAmount = ZeroPadLeft(std::string(r.money) + "00", 14);
  client.txCode = r.pCode;
  if (!Acceptable(r, transferAmount)) return kResultInvalidArgument;

  CardFlowSteps steps(client, texts::kTransferCaption, "");
  CardTransactionRecord record;
  if (const ResultCode result = steps.FindReader(r.readerName); Failed(result)) return result;
  if (const ResultCode result = steps.OpenSession(); Failed(result)) return result;
  if (const ResultCode result = steps.ReadAccounts(accountIndex, record); Failed(result)) return result;
  record.txCode = r.pCode;

  if (r.pin.empty()) {
    client.reader.ReleaseReader();
  } else if (!client.reader.WaitCardReinsert()) {
    return kResultCancelled;
  }

  if (r.showVerifyDialog > 0) {
    const std::string bankCode(r.inBankCode.substr(0, 3));
    const TransferConfirmation confirmation{record.issuerId.substr(0, 3) + "/" + record.outAccount,
                                            bankCode + "/" + transferInAccount, AmountToWhole(transferAmount, 2)};
    if (client.platform().dialogs.RunTransferConfirmation(confirmation) == kTransferCancelled) return kResultCancelled;
  }

  if (const ResultCode result = steps.OpenSession(); Failed(result)) return result;
  if (const ResultCode result = steps.CheckLoginCard(r.loginIssuerId, r.loginIssuerAccount); Failed(result))
    return result;
  if (const ResultCode result = steps.VerifyPinIfGiven(r.pin); Failed(result)) return result;
  const Bytes input = TransferTacInput(r.pCode, transferAmount, transferInAccount, r.txCode, r.ifdCheckCode,
                                       r.transDateTime, record.outAccount);
  if (const ResultCode result = steps.ComputeTac(input, record); Failed(result)) return result;
  return steps.SealMessage(
      {r.pCode, r.sessionId, r.transDateTime, r.ifdId, r.ifdCheckCode, r.txCode, transferAmount, record, std::nullopt});
}

}  // namespace korvaden
