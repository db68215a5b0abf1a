#include <gtest/gtest.h>

#include "flows/transaction_message.h"

namespace korvaden {
namespace {

CardTransactionRecord Card() {
  return {"81200000", "4142  \t", "1234567890123456", "5555555555555555", "SN000001", "ABCD", "2566"};
}

TEST(TransactionMessage, ReasonIsTheLastElementOfTrns) {
  const CardTransactionRecord card = Card();
  const auto with = AssembleMessage({"2566", "S", "D", "A", "C", "T", "00", card, "654321"});
  ASSERT_TRUE(with);
  EXPECT_EQ(with->view(),
            "<Korvaden><tx_code>2566</tx_code><session_id>S</session_id><issuer_id>81200000</issuer_id>"
            "<issuer_account>1234567890123456</issuer_account><issuer_remark>4142</issuer_remark>"
            "<client_dttm>D</client_dttm><atm><atm_no>A</atm_no><atm_checkcode>C</atm_checkcode></atm><trns>"
            "<tac_id>T</tac_id><trns_out_bank>81200000</trns_out_bank>"
            "<trns_out_account>5555555555555555</trns_out_account><trns_amount>00</trns_amount>"
            "<icc_no>SN000001</icc_no><tsac>ABCD</tsac><reason>654321</reason></trns></Korvaden>");
  const auto without = AssembleMessage({"2566", "", "", "", "", "", "", card, std::nullopt});
  ASSERT_TRUE(without);
  EXPECT_NE(without->view().find("<session_id></session_id>"), std::string_view::npos);
  EXPECT_TRUE(without->view().ends_with("<tsac>ABCD</tsac></trns></Korvaden>"));
}

TEST(TransactionMessage, MarkupInAnyValueIsRefused) {
  CardTransactionRecord card = Card();
  EXPECT_FALSE(AssembleMessage({"2566", "a&b", "", "", "", "", "", card, std::nullopt}));
  EXPECT_FALSE(AssembleMessage({"2566", "", "", "", "", "", "", card, "<"}));
  card.iccNo = "SN>";
  EXPECT_FALSE(AssembleMessage({"2566", "", "", "", "", "", "", card, std::nullopt}));
}

}  // namespace
}  // namespace korvaden
