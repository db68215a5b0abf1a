#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <vector>

#include "control/members.h"
#include "support/flow_bench.h"

namespace korvaden {
namespace {

using test::FlowBench;

struct IdlMember {
  std::string name;
  std::vector<std::pair<std::string, std::string>> parameters;  // type, name
};

// The interface's members as the type library declares them.
std::vector<IdlMember> IdlMembers() {
  std::ifstream file(KORVADEN_IDL);
  std::stringstream text;
  text << file.rdbuf();
  const std::string idl = text.str();
  const std::regex method(R"(\[(?:propget, )?id\(\d+\)\]\s*HRESULT\s+(\w+)\(([^;]*)\);)");
  const std::regex parameter(R"(\[in\]\s+(\w+)\s+(\w+))");
  std::vector<IdlMember> members;
  for (std::sregex_iterator m(idl.begin(), idl.end(), method), end; m != end; ++m) {
    IdlMember member{(*m)[1], {}};
    const std::string list = (*m)[2];
    for (std::sregex_iterator p(list.begin(), list.end(), parameter); p != end; ++p) {
      member.parameters.emplace_back((*p)[1], (*p)[2]);
    }
    members.push_back(member);
  }
  return members;
}

TEST(MemberTable, HoldsTheTypeLibrarysMembersInItsOrder) {
  const std::vector<IdlMember> idl = IdlMembers();
  ASSERT_EQ(idl.size(), 9u) << "the interface's nine members, read from " << KORVADEN_IDL;
  std::set<std::string> others;
  for (const IdlMember& member : idl) {
    const MemberCall* call = FindMemberCall(member.name);
    if (call == nullptr) {
      EXPECT_TRUE(member.parameters.empty()) << member.name;
      others.insert(member.name);
      continue;
    }
    ASSERT_EQ(call->parameters.size(), member.parameters.size()) << member.name;
    for (std::size_t i = 0; i < member.parameters.size(); ++i) {
      const auto& [type, name] = member.parameters[i];
      const Parameter& parameter = call->parameters[i];
      EXPECT_EQ(parameter.name, name) << member.name << " parameter " << i;
      EXPECT_EQ(parameter.kind == ParameterKind::Integer, type == "LONG") << member.name << "." << name;
      EXPECT_EQ(parameter.kind == ParameterKind::SecretText, name == "PIN") << member.name << "." << name;
    }
  }
  EXPECT_EQ(others, (std::set<std::string>{std::string(kVersionMember), std::string(kMessageMember)}));
  EXPECT_EQ(MemberCalls().size(), idl.size() - others.size());
  EXPECT_EQ(FindMemberCall("fidoverify"), nullptr);
}

// Through the table with a distinct value per parameter, a call seals the
// same document and sends the card the same commands as the core's member
// called directly: a swapped or dropped argument would show in one of them.
// The customer's answers, and the message boxes, are the same for both: the
// boxes' captions tell members apart whose card commands are alike.
std::vector<std::string> BoxesShown(const FlowBench& bench) {
  std::vector<std::string> shown;
  for (const auto& box : bench.boxes.shown) shown.push_back(box.caption + ": " + box.text);
  return shown;
}

void ExpectSameAsDirect(std::string_view member, const std::vector<std::string>& values,
                        const std::function<ResultCode(ControlCore&)>& direct,
                        const std::function<void(FlowBench&)>& customer = {}) {
  FlowBench viaTable;
  FlowBench directly;
  if (customer) {
    customer(viaTable);
    customer(directly);
  }
  const MemberCall* call = FindMemberCall(member);
  ASSERT_NE(call, nullptr);
  ASSERT_EQ(values.size(), call->parameters.size());
  std::vector<Argument> arguments;
  for (std::size_t i = 0; i < values.size(); ++i) {
    const bool integer = call->parameters[i].kind == ParameterKind::Integer;
    arguments.push_back({values[i], integer ? std::stoi(values[i]) : 0});
  }
  const ResultCode result = call->call(viaTable.core, arguments);
  EXPECT_EQ(result, direct(directly.core)) << member;
  EXPECT_EQ(viaTable.card.log(), directly.card.log()) << member;
  EXPECT_EQ(BoxesShown(viaTable), BoxesShown(directly)) << member;
  if (result == kResultSuccess) {
    // A password enciphered for the bank differs with every padding drawn.
    const std::regex enciphered("<reason>[^<]*[^0-9<][^<]*</reason>");
    EXPECT_EQ(std::regex_replace(viaTable.Unsealed(), enciphered, "<reason/>"),
              std::regex_replace(directly.Unsealed(), enciphered, "<reason/>"))
        << member;
  }
}

TEST(MemberTable, EachCallReachesItsMemberWithTheArgumentsInOrder) {
  const test::TransferArgs t;
  ExpectSameAsDirect("TransIVESK",
                     {t.readerName, t.txCode, t.pCode, t.pin, t.loginIssuerId, t.loginIssuerAccount, t.ifdCheckCode,
                      t.ifdId, t.accountIndex, t.importAccount, t.money, t.transDateTime, "0", t.sessionId},
                     [&](ControlCore& core) {
                       return core.TransIVESK(t.readerName, t.txCode, t.pCode, t.pin, t.loginIssuerId,
                                              t.loginIssuerAccount, t.ifdCheckCode, t.ifdId, t.accountIndex,
                                              t.importAccount, t.money, t.transDateTime, 0, t.sessionId);
                     });
  const test::FidoArgs f;
  ExpectSameAsDirect(
      "FidoVerify",
      {f.readerName, f.sessionId, f.loginIssuerAccount, f.transDateTime, f.ifdCheckCode, f.ifdId, f.txCode, f.pin},
      [&](ControlCore& core) {
        return core.FidoVerify(f.readerName, f.sessionId, f.loginIssuerAccount, f.transDateTime, f.ifdCheckCode,
                               f.ifdId, f.txCode, f.pin);
      });
  ExpectSameAsDirect("FidoVerifyOB",
                     {f.readerName, f.sessionId, f.loginIssuerAccount, f.transDateTime, f.ifdCheckCode, f.ifdId,
                      f.txType, f.checkItem, f.id, f.pin},
                     [&](ControlCore& core) {
                       return core.FidoVerifyOB(f.readerName, f.sessionId, f.loginIssuerAccount, f.transDateTime,
                                                f.ifdCheckCode, f.ifdId, f.txType, f.checkItem, f.id, f.pin);
                     });
  // The services refuse the first block that is wrong: each block in another
  // one's place gives another code. Each runs to its sealed message with a
  // customer who fills the pad, and to the box of its own caption with the
  // card of another login.
  const auto customer = [](FlowBench& bench) {
    bench.dialogs.pinPadScripts = {"type 97531086; field 2; type 97531086; field 4; type 123456; code; confirm"};
    bench.dialogs.appConfirmScripts = {"confirm"};
  };
  for (const test::Blocks& b : {test::Blocks("2", "0012345678901234"), test::Blocks("2", "", "9999999999999999")}) {
    const std::vector<std::string> blocks{b["BHO_D5"], b["BHO_D1"], b["BHO_D2"],
                                          b["BHO_D3"], b["BHO_D4"], b["BHO_D11"]};
    for (std::string_view service : {"Reissue_iVeskAppCert", "CardLess_Apply", "CardLess_Reset"}) {
      std::vector<std::string> values = blocks;
      values.push_back("TITLE");
      ExpectSameAsDirect(
          service, values,
          [&](ControlCore& core) {
            const auto member = service == "CardLess_Apply"   ? &ControlCore::CardLess_Apply
                                : service == "CardLess_Reset" ? &ControlCore::CardLess_Reset
                                                              : &ControlCore::Reissue_iVeskAppCert;
            return (core.*member)(blocks[0], blocks[1], blocks[2], blocks[3], blocks[4], blocks[5], "TITLE");
          },
          customer);
    }
  }
  const test::Blocks b;
  const std::vector<std::string> blocks{b["BHO_D5"], b["BHO_D1"], b["BHO_D2"], b["BHO_D3"], b["BHO_D4"], b["BHO_D11"]};
  std::vector<std::string> bonding = blocks;
  bonding.push_back(b["BHO_D12"]);
  bonding.push_back("TITLE");
  ExpectSameAsDirect("BondingDevice_Apply", bonding, [&](ControlCore& core) {
    return core.BondingDevice_Apply(blocks[0], blocks[1], blocks[2], blocks[3], blocks[4], blocks[5], b["BHO_D12"],
                                    "TITLE");
  });
}

}  // namespace
}  // namespace korvaden
