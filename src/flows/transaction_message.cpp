#include "flows/transaction_message.h"

#include "crypto/seal.h"

namespace korvaden {
namespace {

std::string_view TrimTrailingWhiteSpace(std::string_view text) {
  const auto last = text.find_last_not_of(" \t\r\n\f\v");
  return last == std::string_view::npos ? std::string_view() : text.substr(0, last + 1);
}

// The elements, the card's values (records, serial, code, a PIN block in
// reason) and the MAC take far less.
constexpr std::size_t kDocumentReserve = 4096;

}  // namespace

bool FitsTheDocument(std::initializer_list<std::string_view> pageValues) {
  std::size_t total = 0;
  for (const std::string_view value : pageValues) total += value.size();
  return total <= kMaxSealedPlainLength - kDocumentReserve;
}

bool HasMarkup(std::initializer_list<std::string_view> texts) {
  for (const std::string_view text : texts) {
    if (text.find_first_of("<>&") != std::string_view::npos) return true;
  }
  return false;
}

std::optional<SecureString> AssembleMessage(const MessageValues& v) {
  const CardTransactionRecord& card = v.card;
  const std::string_view remark = TrimTrailingWhiteSpace(card.issuerRemark);
  if (HasMarkup({v.txCode, v.sessionId, v.clientDttm, v.atmNo, v.atmCheckcode, v.tacId, v.trnsAmount,
                 v.reason.value_or(""), card.issuerId, card.issuerAccount, remark, card.outAccount, card.iccNo,
                 card.tsac})) {
    return std::nullopt;
  }
  SecureString document;
  document.Reserve(1024);
  const auto element = [&](std::string_view name, std::string_view value) {
    document += "<";
    document += name;
    document += ">";
    document += value;
    document += "</";
    document += name;
    document += ">";
  };
  document += "<Korvaden>";
  element("tx_code", v.txCode);
  element("session_id", v.sessionId);
  element("issuer_id", card.issuerId);
  element("issuer_account", card.issuerAccount);
  element("issuer_remark", remark);
  element("client_dttm", v.clientDttm);
  document += "<atm>";
  element("atm_no", v.atmNo);
  element("atm_checkcode", v.atmCheckcode);
  document += "</atm><trns>";
  element("tac_id", v.tacId);
  element("trns_out_bank", card.issuerId);
  element("trns_out_account", card.outAccount);
  element("trns_amount", v.trnsAmount);
  element("icc_no", card.iccNo);
  element("tsac", card.tsac);
  if (v.reason) element("reason", *v.reason);
  document += "</trns></Korvaden>";
  return document;
}

}  // namespace korvaden
