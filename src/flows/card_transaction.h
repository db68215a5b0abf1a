#pragma once
// TransIVESK: the transfer. Reads the card's accounts, has the customer take
// the card out and put it back when a PIN is given, shows the transfer for
// confirmation when asked, verifies the PIN, checks the login card, has the
// card compute the TAC and seals the message.
#include <string_view>

#include "flows/transaction_client.h"

namespace korvaden {

struct TransferRequest {
  std::string_view readerName, txCode, pCode, pin, loginIssuerId, loginIssuerAccount, ifdCheckCode, ifdId, accountIndex,
      inBankCode, importAccount, money, transDateTime, sessionId;
  int showVerifyDialog = 0;
};

ResultCode RunCardTransaction(TransATMiVeskClient& client, const TransferRequest& request);

// The 64-byte TAC input of the transfer.
Bytes TransferTacInput(std::string_view pCode, std::string_view transferAmount, std::string_view transferInAccount,
                       std::string_view txCode, std::string_view ifdCheckCode, std::string_view transDateTime,
                       std::string_view outAccount);

}  // namespace korvaden
