// Taking a request apart: each way a frame can be wrong has its error name,
// and a well-formed one carries its arguments as the member takes them.
#include <gtest/gtest.h>

#include "base/text_checks.h"
#include "native/protocol.h"

namespace korvaden::native {
namespace {

using nlohmann::json;

std::variant<Request, ProtocolError> Parse(std::string_view text) {
  return ParseRequest({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

std::string ErrorOf(std::string_view text) {
  const auto parsed = Parse(text);
  const auto* error = std::get_if<ProtocolError>(&parsed);
  return error == nullptr ? "no error" : std::string(error->name);
}

json FidoCall(const json& args) {
  return {{"id", 9}, {"origin", "https://webatm.korvaden.test"}, {"member", "FidoVerify"}, {"args", args}};
}

const json kFidoArgs = {"Virtual PCD 00 00", "S",        "1234567890123456", "20230731123456",
                        "12345678",          "WEBATM01", "P611AD",           "1234"};

TEST(Protocol, EachWrongRequestHasItsErrorName) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"", "not_json"},
      {"{\"id\": 1,", "not_json"},
      {"{\"id\": 1} trailing", "not_json"},
      {"\xFF\xFE{}", "not_utf8"},
      {"{\"id\": 1, \"member\": \"\xC0\xAF\"}", "not_utf8"},          // an overlong '/'
      {"{\"id\": 1, \"member\": \"\xF4\x90\x80\x80\"}", "not_utf8"},  // past U+10FFFF
      {"\"hello\"", "not_an_object"},
      {"{\"member\": \"hello\"}", "bad_id"},
      {"{\"id\": \"1\", \"member\": \"hello\"}", "bad_id"},
      {"{\"id\": 1.5, \"member\": \"hello\"}", "bad_id"},
      {"{\"id\": 1}", "unknown_member"},
      {"{\"id\": 1, \"member\": \"fidoverify\", \"origin\": \"https://a.b\", \"args\": []}", "unknown_member"},
      {"{\"id\": 1, \"member\": \"GetAPIVersion\"}", "missing_origin"},
      {"{\"id\": 1, \"member\": \"GetAPIVersion\", \"origin\": \"\"}", "missing_origin"},
      {"{\"id\": 1, \"member\": \"GetAPIVersion\", \"origin\": \"https://a.b\", \"args\": [1]}",
       "wrong_argument_count"},
      {FidoCall(json::array()).dump(), "wrong_argument_count"},
      {FidoCall(json::object()).dump(), "wrong_argument_count"},
  };
  for (const auto& [text, error] : cases) EXPECT_EQ(ErrorOf(text), error) << text;

  json number = kFidoArgs;
  number[1] = 12;
  EXPECT_EQ(ErrorOf(FidoCall(number).dump()), "wrong_argument_kind");
  json list = kFidoArgs;
  list[7] = json::array({"1234"});
  EXPECT_EQ(ErrorOf(FidoCall(list).dump()), "wrong_argument_kind");
  json transfer = {{"id", 1},
                   {"origin", "https://a.b"},
                   {"member", "TransIVESK"},
                   {"args", json::array({"", "", "", "", "", "", "", "", "", "", "", "", "0", ""})}};
  EXPECT_EQ(ErrorOf(transfer.dump()), "wrong_argument_kind");  // ShowVerifyDialog is a number
  transfer["args"][12] = 1;
  EXPECT_EQ(ErrorOf(transfer.dump()), "no error");
}

Request Taken(std::string_view text) {
  auto parsed = Parse(text);
  if (auto* error = std::get_if<ProtocolError>(&parsed)) ADD_FAILURE() << error->name << ": " << text;
  return std::holds_alternative<Request>(parsed) ? std::move(std::get<Request>(parsed)) : Request{};
}

// What no card can take is the member's 8970, not a request the host cannot
// read: the page hears a value refused, not a broken road.
TEST(Protocol, ValuesNoMemberCanTakeAreRefusedAsValues) {
  json transfer = {{"id", 1},
                   {"origin", "https://a.b"},
                   {"member", "TransIVESK"},
                   {"args", json::array({"", "", "", "", "", "", "", "", "", "", "", "", 0, ""})}};
  for (const json& number :
       {json(1LL << 40), json(2147483648LL), json(-2147483649LL), json(18446744073709551615ULL), json(1.5)}) {
    transfer["args"][12] = number;
    EXPECT_TRUE(Taken(transfer.dump()).valueRefused) << number;
  }
  for (const json& number : {json(2147483647), json(-2147483647 - 1), json(0)}) {
    transfer["args"][12] = number;
    const Request request = Taken(transfer.dump());
    EXPECT_FALSE(request.valueRefused) << number;
    EXPECT_EQ(request.numbers.at(12), number.get<int>());
  }

  // A page's unpaired surrogate arrives as an escape: a value Big5 cannot
  // carry (the whole value is refused), where a pair, and an escaped
  // backslash before "u", are texts.
  const std::string call = R"({"id": 2, "origin": "https://webatm.korvaden.test", "member": "FidoVerify", "args": [)";
  const auto pinOf = [&](std::string_view pin) {
    const Request request = Taken(call + R"("R", "S", "A", "D", "C", "I", "P", ")" + std::string(pin) + "\"]}");
    return request.texts.size() == 8 ? std::string(request.texts[7].view()) : std::string("not taken");
  };
  const std::string refused(1, kUnconvertibleCharacter);
  EXPECT_EQ(pinOf(R"(\uD800)"), refused);
  EXPECT_EQ(pinOf(R"(12\udc0034)"), refused);
  EXPECT_EQ(pinOf(R"(\uD83D\u0041)"), refused);
  EXPECT_EQ(pinOf(R"(\uD83D\uDE00)"), refused);  // a whole emoji: no Big5 character either
  EXPECT_EQ(pinOf(R"(\\uD800)"), "\\uD800");
  EXPECT_EQ(pinOf(R"(\u0031\u0032)"), "12");
}

TEST(Protocol, AWellFormedCallCarriesItsArgumentsAsTheMemberTakesThem) {
  json args = kFidoArgs;
  args[1] = nullptr;         // a null is an empty text
  args[6] = "\xE8\xBD\x89";  // 轉, Big5 C2E0
  args[2] = "caf\xC3\xA9";   // no Big5 character: one the core refuses
  const auto parsed = Parse(FidoCall(args).dump());
  ASSERT_TRUE(std::holds_alternative<Request>(parsed)) << std::get<ProtocolError>(parsed).message;
  const Request& request = std::get<Request>(parsed);
  EXPECT_EQ(request.kind, RequestKind::Member);
  EXPECT_EQ(request.id, 9);
  EXPECT_EQ(request.origin, "https://webatm.korvaden.test");
  ASSERT_EQ(request.call, FindMemberCall("FidoVerify"));
  const std::vector<Argument> arguments = request.Arguments();
  ASSERT_EQ(arguments.size(), 8u);
  EXPECT_EQ(arguments[0].text, "Virtual PCD 00 00");
  EXPECT_EQ(arguments[1].text, "");
  EXPECT_EQ(arguments[2].text, std::string(1, kUnconvertibleCharacter));
  EXPECT_EQ(arguments[6].text, "\xC2\xE0");
  EXPECT_EQ(arguments[7].text, "1234");

  const auto hello = Parse(R"({"id": -3, "member": "hello", "extra": {"later": true}})");
  ASSERT_TRUE(std::holds_alternative<Request>(hello));
  EXPECT_EQ(std::get<Request>(hello).kind, RequestKind::Hello);
  EXPECT_EQ(json::parse(HelloAnswer(-3, "1.2")), json({{"id", -3}, {"protocol", 1}, {"host", "1.2"}}));
}

TEST(Protocol, TheAnswersHaveTheGuidesShapes) {
  EXPECT_EQ(json::parse(MemberAnswer(4, ResultCode{8960}, "")), json({{"id", 4}, {"retVal", 8960}, {"TrnsMsg", ""}}));
  EXPECT_EQ(json::parse(VersionAnswer(5, "1.2307.311")), json({{"id", 5}, {"version", "1.2307.311"}}));
  EXPECT_EQ(json::parse(ErrorAnswer({nullptr, errors::kNotJson, "x"})),
            json({{"id", nullptr}, {"error", "not_json"}, {"message", "x"}}));
}

}  // namespace
}  // namespace korvaden::native
