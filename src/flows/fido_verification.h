#pragma once
// FidoVerify and FidoVerifyOB: a card-signed verification without moving
// money. The transfer's road without the confirmation: the TAC covers fixed
// codes, the terminal data and the date and time (and, for FidoVerifyOB, the
// page's TxType, CheckItem and ID).
#include <string_view>

#include "flows/transaction_client.h"

namespace korvaden {

struct FidoRequest {
  std::string_view readerName, txCode, processingCode, pin, loginIssuerAccount, ifdCheckCode, ifdId, amount,
      transDateTime, sessionId;
};

struct FidoObRequest {
  std::string_view readerName, processingCode, pin, loginIssuerAccount, ifdCheckCode, ifdId, amountBase, transDateTime,
      txType, checkItem, id, sessionId;
};

ResultCode RunFidoVerify(TransATMiVeskClient& client, const FidoRequest& request);
ResultCode RunFidoVerifyOb(TransATMiVeskClient& client, const FidoObRequest& request);

Bytes FidoTacInput(std::string_view processingCode, std::string_view amount, std::string_view txCode,
                   std::string_view ifdCheckCode, std::string_view transDateTime, std::string_view mainAccount);
Bytes FidoObTacInput(std::string_view processingCode, std::string_view amountBase, std::string_view mainAccount,
                     std::string_view ifdCheckCode, std::string_view transDateTime, std::string_view txType,
                     std::string_view checkItem, std::string_view id);

}  // namespace korvaden
