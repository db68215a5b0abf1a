#pragma once
// A control core over the in-process card, with the request values most
// tests share, and the bank's view of what came out.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>

#include "bank.h"
#include "control/control_core.h"
#include "support/card_bench.h"

namespace korvaden::test {

struct TransferArgs {
  std::string readerName = kReaderName, txCode = "123456", pCode = "2510", pin, loginIssuerId = "81200000",
              loginIssuerAccount = "1234567890123456", ifdCheckCode = "12345678", ifdId = "WEBATM01",
              accountIndex = "1", importAccount = "123456789", money = "100", transDateTime = "20230731123456";
  int showVerifyDialog = 0;
  std::string sessionId = "SESSION0123456789ABCDEF";
};

struct FidoArgs {
  std::string readerName = kReaderName, sessionId = "SESSION0123456789ABCDEF", loginIssuerAccount = "1234567890123456",
              transDateTime = "20230731123456", ifdCheckCode = "12345678", ifdId = "WEBATM01", txCode = "P611AD", pin,
              txType = "01", checkItem = "02", id = "A123456789";
};

class FlowBench : public CardBench {
 public:
  using CardBench::CardBench;

  ResultCode Transfer(const TransferArgs& a) {
    return core.Call(Member::TransIVESK, {a.readerName, a.txCode, a.pCode, a.pin, a.loginIssuerId, a.loginIssuerAccount,
                                          a.ifdCheckCode, a.ifdId, a.accountIndex, a.importAccount, a.money,
                                          a.transDateTime, a.showVerifyDialog, a.sessionId});
  }
  ResultCode Fido(const FidoArgs& a) {
    return core.Call(Member::FidoVerify, {a.readerName, a.sessionId, a.loginIssuerAccount, a.transDateTime,
                                          a.ifdCheckCode, a.ifdId, a.txCode, a.pin});
  }
  ResultCode FidoOb(const FidoArgs& a) {
    return core.Call(Member::FidoVerifyOB, {a.readerName, a.sessionId, a.loginIssuerAccount, a.transDateTime,
                                            a.ifdCheckCode, a.ifdId, a.txType, a.checkItem, a.id, a.pin});
  }

  // The document the bank opens from TrnsMsg; fails the test when it cannot.
  std::string Unsealed() const {
    const auto opened = bank::Unseal(core.TrnsMsg(), TestBankKeys());
    EXPECT_TRUE(opened.ok) << opened.error;
    return opened.value;
  }
  // The data of the last compute-TAC command the card received.
  std::string LastTacInput() const {
    for (auto it = card.log().rbegin(); it != card.log().rend(); ++it) {
      if (it->rfind("00E21080", 0) == 0) return it->substr(10, it->size() - 12);
    }
    return {};
  }
  bool NothingLeftOpen() const { return readers.openContexts() == 0 && readers.openConnections() == 0; }

  MemberGate gate;
  ControlCore core{platform, gate};
};

// An account service's blocks as the bank renders them for the default card.
struct Blocks {
  std::map<std::string, std::string> hex;
  explicit Blocks(const std::string& pinMode = "2", const std::string& serviceAccount = "",
                  const std::string& loginAccount = "1234567890123456",
                  const std::string& identityNumber = "A123456789", const std::string& readerName = kReaderName)
      : hex(test::BankBlocks({{"BHO_D1", pinMode + "81200000" + loginAccount + readerName},
                              {"BHO_D2", "SERVICE-SESSION-01"},
                              {"BHO_D3",
                               "ATM00001"
                               "87654321"
                               "XXXXXXXX"
                               "20231201093000" +
                                   serviceAccount},
                              {"BHO_D4", "654321"},
                              {"BHO_D11", "2571"},
                              {"BHO_D12", identityNumber}})) {}
  const std::string& operator[](const char* name) const { return hex.at(name); }
};

// The document the flows write for the default card and the given values.
std::string ExpectedDocument(const std::string& txCode, const std::string& sessionId, const std::string& dttm,
                             const std::string& atmNo, const std::string& checkCode, const std::string& tacId,
                             const std::string& outAccount, const std::string& amount, const std::string& tsac);

}  // namespace korvaden::test
