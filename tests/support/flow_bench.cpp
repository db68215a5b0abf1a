#include "support/flow_bench.h"

namespace korvaden::test {

std::string ExpectedDocument(const std::string& txCode, const std::string& sessionId, const std::string& dttm,
                             const std::string& atmNo, const std::string& checkCode, const std::string& tacId,
                             const std::string& outAccount, const std::string& amount, const std::string& tsac) {
  std::string remark;
  for (int i = 0; i < 30; ++i) remark += "20";
  return "<Korvaden><tx_code>" + txCode + "</tx_code><session_id>" + sessionId +
         "</session_id><issuer_id>81200000</issuer_id><issuer_account>1234567890123456</issuer_account>"
         "<issuer_remark>" +
         remark + "</issuer_remark><client_dttm>" + dttm + "</client_dttm><atm><atm_no>" + atmNo +
         "</atm_no><atm_checkcode>" + checkCode + "</atm_checkcode></atm><trns><tac_id>" + tacId +
         "</tac_id><trns_out_bank>81200000</trns_out_bank><trns_out_account>" + outAccount +
         "</trns_out_account><trns_amount>" + amount + "</trns_amount><icc_no>SN000001</icc_no><tsac>" + tsac +
         "</tsac></trns></Korvaden>";
}

}  // namespace korvaden::test
