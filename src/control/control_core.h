#pragma once
// The control without COM: the members on 8-bit texts, the wrapper every
// transaction member runs around its flow, and the last sealed message. The
// Windows control is a thin shell over it that converts BSTRs.
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "base/result_codes.h"
#include "card/platform.h"
#include "control/member_gate.h"
#include "crypto/param_blocks.h"

namespace korvaden {

enum class ServiceKind;

class ControlCore {
 public:
  // `gate` is the module's: every control of the module shares it.
  ControlCore(Platform& platform, MemberGate& gate) : platform_(platform), gate_(gate) {}

  ResultCode TransIVESK(std::string_view ReaderName, std::string_view TxCODE, std::string_view PCODE,
                        std::string_view PIN, std::string_view LoginIssuerID, std::string_view LoginIssuerAccount,
                        std::string_view IFD_CHK_Code, std::string_view IFD_Id, std::string_view AccountID_idx,
                        std::string_view ImportAccount, std::string_view Money, std::string_view TransDateTime,
                        int ShowVerifyDialog, std::string_view SessionID);
  ResultCode FidoVerify(std::string_view ReaderName, std::string_view SessionID, std::string_view LoginIssuerAccount,
                        std::string_view TransDateTime, std::string_view IFD_CHK_Code, std::string_view IFD_Id,
                        std::string_view TxCODE, std::string_view PIN);
  ResultCode FidoVerifyOB(std::string_view ReaderName, std::string_view SessionID, std::string_view LoginIssuerAccount,
                          std::string_view TransDateTime, std::string_view IFD_CHK_Code, std::string_view IFD_Id,
                          std::string_view TxType, std::string_view CheckItem, std::string_view ID,
                          std::string_view PIN);

  ResultCode Reissue_iVeskAppCert(std::string_view BHO_D5, std::string_view BHO_D1, std::string_view BHO_D2,
                                  std::string_view BHO_D3, std::string_view BHO_D4, std::string_view BHO_D11,
                                  std::string_view MSGTitle);
  ResultCode CardLess_Apply(std::string_view BHO_D5, std::string_view BHO_D1, std::string_view BHO_D2,
                            std::string_view BHO_D3, std::string_view BHO_D4, std::string_view BHO_D11,
                            std::string_view MSGTitle);
  ResultCode CardLess_Reset(std::string_view BHO_D5, std::string_view BHO_D1, std::string_view BHO_D2,
                            std::string_view BHO_D3, std::string_view BHO_D4, std::string_view BHO_D11,
                            std::string_view MSGTitle);
  ResultCode BondingDevice_Apply(std::string_view BHO_D5, std::string_view BHO_D1, std::string_view BHO_D2,
                                 std::string_view BHO_D3, std::string_view BHO_D4, std::string_view BHO_D11,
                                 std::string_view BHO_D12, std::string_view MSGTitle);

  // Where the control is sited. A local program does not site it (none): it
  // could reach the reader anyway. In a browser it gets the page's URL, or an
  // empty text when the page cannot be learned, and every member refuses a
  // page whose origin the deployment does not name.
  void SetPage(std::optional<std::string_view> pageUrl);
  bool PageRefused() const { return pageRefused_; }

  // A call with a value no member can take before its flow starts (a
  // script's number that is no 32-bit integer): 8970 as for any refused
  // value (8960 on a refused page), and no older message stays readable.
  ResultCode RefuseValues() {
    m_trnsMsg.clear();
    return pageRefused_ ? kResultPageRefused : kResultInvalidArgument;
  }

  // The last sealed message: empty before the first call and after a failed one.
  const std::string& TrnsMsg() const { return m_trnsMsg; }
  std::string GetAPIVersion() const;

 private:
  // Runs a flow with a fresh client; a call that arrives while another is
  // still inside (through a dialog's message loop) is refused and changes
  // nothing. `pageValues` are every text the page gave.
  template <class Flow>
  ResultCode RunMember(std::initializer_list<std::string_view> pageValues, const Flow& flow);
  ResultCode RunService(ServiceKind kind, const ParameterBlocks& blocks, std::string_view title);

  Platform& platform_;
  MemberGate& gate_;
  bool pageRefused_ = false;
  std::string m_trnsMsg;
};

}  // namespace korvaden
