#pragma once
// The steps that every card flow takes in the same way: opening a card
// session, reading the accounts, checking the login card, having the card
// compute the TAC and sealing the document. Each gives 0 to go on or the
// flow's result code, having told the customer what the flow tells.
#include <optional>
#include <string>
#include <string_view>

#include "base/result_codes.h"
#include "base/secure_memory.h"
#include "flows/transaction_client.h"
#include "flows/transaction_message.h"

namespace korvaden {

class CardFlowSteps {
 public:
  // `caption` is the caption of the flow's message boxes; the wrong-card
  // message has `wrongCardCaption`.
  CardFlowSteps(TransATMiVeskClient& client, std::string_view caption, std::string_view wrongCardCaption)
      : client_(client), caption_(caption), wrongCardCaption_(wrongCardCaption) {}

  // The reader the member uses from here on: the page's name as it stands,
  // or, when the page names none, the one reader whose card answers the
  // selection of the financial application. 8990 with a message saying what
  // was found instead: no reader, no such card, or more than one.
  ResultCode FindReader(std::string_view requested);

  // Establish the context, wait 100 ms, connect to the member's reader and
  // select: 8990 with a message saying what failed (the service, no reader of
  // that name, no card in it, or a card that did not answer).
  ResultCode OpenSession();

  // Count the accounts: 8800 with a message, the reader released, when that
  // fails or finds none.
  ResultCode CheckAccounts();
  // Read the records for the account index. A read that ends without 9000, or
  // a debited account shorter than 16 characters, is 8800.
  ResultCode ReadRecords(std::string_view accountIndex, CardTransactionRecord& record);
  // Both, in that order.
  ResultCode ReadAccounts(std::string_view accountIndex, CardTransactionRecord& record);

  // The card in the reader must be the login card: its main account, and its
  // issuer id when one is given. 9940 with the wrong-card message otherwise.
  // `mainAccount` (when given) receives the card's main account.
  ResultCode CheckLoginCard(std::optional<std::string_view> loginIssuerId, std::string_view loginAccount,
                            std::string* mainAccount = nullptr);

  // Verify the PIN when one is given: 0, the card's status word, or the PC/SC
  // code when no answer came.
  ResultCode VerifyPinIfGiven(std::string_view pin);

  // Send the TAC input (P1 P2 10 80) and keep the serial and the code: 8900 on
  // any failure.
  ResultCode ComputeTac(const Bytes& input, CardTransactionRecord& record);

  // Assemble, store in plainMessage, seal into sealedMessage: 0, 8800 when a
  // card value cannot be carried by the document, 8950 when sealing fails.
  ResultCode SealMessage(const MessageValues& values);

  void Tell(std::string_view message) const;

 private:
  TransATMiVeskClient& client_;
  std::string_view caption_;
  std::string_view wrongCardCaption_;
};

// Empty, or digits the card's PIN field can take: anything else is refused
// before it can spend one of the card's PIN tries.
[[nodiscard]] bool PinAcceptable(std::string_view pin);

// Appends the first `length` characters of the text, zero-filled to `length`.
void AppendField(Bytes& block, std::string_view text, std::size_t length);
void AppendBytes(Bytes& block, const Bytes& bytes);

// Right-aligns the text in `width` characters, padding with "0"; longer texts unchanged.
std::string ZeroPadLeft(std::string_view text, std::size_t width);

}  // namespace korvaden
