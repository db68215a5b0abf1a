#pragma once
// The transaction message: one XML document with the root <Korvaden>, written
// by plain concatenation in a fixed element order, then sealed for the server.
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "base/secure_memory.h"

namespace korvaden {

// The seven card-derived texts of a flow.
struct CardTransactionRecord {
  std::string issuerId;
  std::string issuerRemark;
  std::string issuerAccount;
  std::string outAccount;
  std::string iccNo;
  std::string tsac;
  std::string txCode;
};

struct MessageValues {
  std::string_view txCode, sessionId, clientDttm, atmNo, atmCheckcode, tacId, trnsAmount;
  const CardTransactionRecord& card;
  std::optional<std::string_view> reason;  // only the account services carry it
};

// The document, or none when a value holds "<", ">" or "&": the document is
// not escaped, so such a value would break it.
[[nodiscard]] std::optional<SecureString> AssembleMessage(const MessageValues& values);

// True when one of the texts holds "<", ">" or "&".
// Whether the page's values of a document leave room, within the 65536
// characters the seal takes, for the elements and the card's values.
[[nodiscard]] bool FitsTheDocument(std::initializer_list<std::string_view> pageValues);

[[nodiscard]] bool HasMarkup(std::initializer_list<std::string_view> texts);

}  // namespace korvaden
