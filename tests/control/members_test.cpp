#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <vector>

#include "control/members.h"
#include "flows/card_transaction.h"
#include "flows/fido_verification.h"
#include "flows/service_flows.h"
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
  EXPECT_EQ(kMemberCalls.size(), idl.size() - others.size());
  EXPECT_EQ(FindMemberCall("fidoverify"), nullptr);
}

// The page API's member list, made from the table when the extension is
// built: each member with its parameters' names and which are integers.
TEST(MemberTable, ThePageApiListsTheTablesMembers) {
  std::ifstream file(KORVADEN_PAGE_API);
  std::stringstream text;
  text << file.rdbuf();
  const std::string script = text.str();
  const std::regex member(R"((\w+): Object\.freeze\(\[([^\]]*)\]\))");
  const std::regex parameter(R"re(\{name: "(\w+)", integer: (true|false)\})re");
  std::size_t listed = 0;
  for (std::sregex_iterator m(script.begin(), script.end(), member), end; m != end; ++m, ++listed) {
    const MemberCall* call = FindMemberCall((*m)[1].str());
    ASSERT_NE(call, nullptr) << (*m)[1];
    const std::string list = (*m)[2];
    std::vector<std::string> parameters;
    for (std::sregex_iterator p(list.begin(), list.end(), parameter); p != end; ++p) {
      parameters.push_back((*p)[1].str() + ((*p)[2] == "true" ? " integer" : ""));
    }
    std::vector<std::string> expected;
    for (const Parameter& p : call->parameters) {
      expected.push_back(std::string(p.name) + (p.kind == ParameterKind::Integer ? " integer" : ""));
    }
    EXPECT_EQ(parameters, expected) << call->name;
  }
  EXPECT_EQ(listed, kMemberCalls.size()) << "the members listed in " << KORVADEN_PAGE_API;
}

// Through the table with a distinct value per parameter, a call seals the
// same document and sends the card the same commands as the member's flow
// run directly with its request spelled out: an argument taken for another
// parameter would show in one of them. The customer's answers, and the
// message boxes, are the same for both: the boxes' captions tell members
// apart whose card commands are alike.
std::vector<std::string> BoxesShown(const FlowBench& bench) {
  std::vector<std::string> shown;
  for (const auto& box : bench.boxes.shown) shown.push_back(box.caption + ": " + box.text);
  return shown;
}

// The support log has the member's one line, and no argument, nothing the
// customer typed and nothing of the message in any line.
void ExpectLoggedWithoutSecrets(const FlowBench& bench, std::string_view member, ResultCode result,
                                std::vector<std::string> secrets) {
  const std::string memberLine =
      "member " + std::string(member) + " origin (local program) result " + std::to_string(AsInteger(result)) + " in ";
  EXPECT_EQ(
      std::ranges::count_if(bench.log.lines, [&](const std::string& line) { return line.starts_with("member "); }), 1);
  EXPECT_TRUE(std::ranges::any_of(bench.log.lines, [&](const std::string& line) {
    return line.starts_with(memberLine);
  })) << member;
  secrets.insert(secrets.end(), {"97531086", "123456", bench.core.TrnsMsg()});
  for (const std::string& line : bench.log.lines) {
    for (const std::string& secret : secrets) {
      if (secret.size() < 6) continue;
      EXPECT_EQ(line.find(secret), std::string::npos) << member << ": " << line;
    }
  }
}

std::string Opened(const std::string& sealed) {
  const auto opened = bank::Unseal(sealed, test::TestBankKeys());
  EXPECT_TRUE(opened.ok) << opened.error;
  // A password enciphered for the bank differs with every padding drawn.
  const std::regex enciphered("<reason>[^<]*[^0-9<][^<]*</reason>");
  return std::regex_replace(opened.value, enciphered, "<reason/>");
}

void ExpectSameAsFlow(std::string_view member, const std::vector<std::string>& values,
                      const std::function<ResultCode(TransATMiVeskClient&)>& flow,
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
    arguments.push_back(integer ? Argument(std::stoi(values[i])) : Argument(values[i]));
  }
  const ResultCode result = viaTable.core.Call(*call, arguments);
  ExpectLoggedWithoutSecrets(viaTable, member, result, values);
  std::string sealedDirectly;
  {
    TransATMiVeskClient client(directly.platform);
    EXPECT_EQ(result, flow(client)) << member;
    if (result == kResultSuccess) sealedDirectly = client.sealedMessage;
  }
  EXPECT_EQ(viaTable.card.log(), directly.card.log()) << member;
  EXPECT_EQ(BoxesShown(viaTable), BoxesShown(directly)) << member;
  if (result == kResultSuccess) {
    EXPECT_EQ(Opened(viaTable.core.TrnsMsg()), Opened(sealedDirectly)) << member;
  }
}

TEST(MemberTable, EachCallReachesItsFlowWithTheArgumentsInTheirPlaces) {
  const test::TransferArgs t;
  ExpectSameAsFlow("TransIVESK",
                   {t.readerName, t.txCode, t.pCode, t.pin, t.loginIssuerId, t.loginIssuerAccount, t.ifdCheckCode,
                    t.ifdId, t.accountIndex, t.importAccount, t.money, t.transDateTime, "0", t.sessionId},
                   [&](TransATMiVeskClient& client) {
                     return RunCardTransaction(
                         client, {t.readerName, t.txCode, t.pCode, t.pin, t.loginIssuerId, t.loginIssuerAccount,
                                  t.ifdCheckCode, t.ifdId, t.accountIndex, BuiltInDeployment().bankCode + "00000",
                                  t.importAccount, t.money, t.transDateTime, t.sessionId, 0});
                   });
  const test::FidoArgs f;
  ExpectSameAsFlow(
      "FidoVerify",
      {f.readerName, f.sessionId, f.loginIssuerAccount, f.transDateTime, f.ifdCheckCode, f.ifdId, f.txCode, f.pin},
      [&](TransATMiVeskClient& client) {
        return RunFidoVerify(client, {f.readerName, f.txCode, "2590", f.pin, f.loginIssuerAccount, f.ifdCheckCode,
                                      f.ifdId, "0000000000000000", f.transDateTime, f.sessionId});
      });
  ExpectSameAsFlow("FidoVerifyOB",
                   {f.readerName, f.sessionId, f.loginIssuerAccount, f.transDateTime, f.ifdCheckCode, f.ifdId, f.txType,
                    f.checkItem, f.id, f.pin},
                   [&](TransATMiVeskClient& client) {
                     return RunFidoVerifyOb(
                         client, {f.readerName, "2566", f.pin, f.loginIssuerAccount, f.ifdCheckCode, f.ifdId,
                                  "00000000000000", f.transDateTime, f.txType, f.checkItem, f.id, f.sessionId});
                   });
  // The services refuse the first block that is wrong: each block in another
  // one's place gives another code. Each runs to its sealed message with a
  // customer who fills the pad, and to the box of its own caption with the
  // card of another login.
  const auto customer = [](FlowBench& bench) {
    bench.dialogs.pinPadScripts = {"type 97531086; field 2; type 97531086; field 4; type 123456; code; confirm"};
    bench.dialogs.appConfirmScripts = {"confirm"};
  };
  const std::pair<std::string_view, ServiceKind> services[] = {{"Reissue_iVeskAppCert", ServiceKind::ReissueAppCert},
                                                               {"CardLess_Apply", ServiceKind::CardlessApply},
                                                               {"CardLess_Reset", ServiceKind::CardlessReset}};
  for (const test::Blocks& b : {test::Blocks("2", "0012345678901234"), test::Blocks("2", "", "9999999999999999")}) {
    const std::vector<std::string> blocks{b["BHO_D5"], b["BHO_D1"], b["BHO_D2"],
                                          b["BHO_D3"], b["BHO_D4"], b["BHO_D11"]};
    for (const auto& [service, kind] : services) {
      std::vector<std::string> values = blocks;
      values.push_back("TITLE");
      ExpectSameAsFlow(
          service, values,
          [&](TransATMiVeskClient& client) {
            return RunServiceFlow(
                client, kind,
                {{blocks[0], blocks[1], blocks[2], blocks[3], blocks[4], blocks[5], std::nullopt}, "TITLE"});
          },
          customer);
    }
  }
  const test::Blocks b;
  const std::vector<std::string> blocks{b["BHO_D5"], b["BHO_D1"], b["BHO_D2"], b["BHO_D3"], b["BHO_D4"], b["BHO_D11"]};
  std::vector<std::string> bonding = blocks;
  bonding.push_back(b["BHO_D12"]);
  bonding.push_back("TITLE");
  ExpectSameAsFlow("BondingDevice_Apply", bonding, [&](TransATMiVeskClient& client) {
    return RunServiceFlow(client, ServiceKind::BondingDevice,
                          {{blocks[0], blocks[1], blocks[2], blocks[3], blocks[4], blocks[5], b["BHO_D12"]}, "TITLE"});
  });
}

}  // namespace
}  // namespace korvaden
