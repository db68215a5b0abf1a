#include "native/protocol.h"

#include <limits>

#include "base/text_checks.h"
#include "base/utf8_text.h"

namespace korvaden::native {
namespace {

using nlohmann::json;

// Well-formed UTF-8 (no overlong forms, surrogates or code points past
// U+10FFFF), so that "not UTF-8" is told apart from "not JSON".
bool IsUtf8(std::span<const std::uint8_t> bytes) {
  for (std::size_t i = 0; i < bytes.size();) {
    const std::uint8_t lead = bytes[i];
    std::size_t more = 0;
    std::uint32_t point = 0;
    if (lead < 0x80) {
      ++i;
      continue;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      more = 1, point = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      more = 2, point = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      more = 3, point = lead & 0x07;
    } else {
      return false;
    }
    if (i + more >= bytes.size()) return false;
    for (std::size_t k = 1; k <= more; ++k) {
      if ((bytes[i + k] & 0xC0) != 0x80) return false;
      point = (point << 6) | (bytes[i + k] & 0x3F);
    }
    const std::uint32_t least = more == 1 ? 0x80 : more == 2 ? 0x800 : 0x10000;
    if (point < least || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) return false;
    i += more + 1;
  }
  return true;
}

ProtocolError Error(const json& id, std::string_view name, std::string message) {
  return {id, name, std::move(message)};
}

// An argument of the kind its parameter takes, into the request. A null is
// an empty text or 0, as the control takes a script's null.
bool TakeArgument(const json& value, const Parameter& parameter, Request& request) {
  SecureString text;
  int number = 0;
  if (parameter.kind == ParameterKind::Integer) {
    if (value.is_number_integer()) {
      const auto wide = value.get<std::int64_t>();
      if (wide < std::numeric_limits<int>::min() || wide > std::numeric_limits<int>::max()) return false;
      number = static_cast<int>(wide);
    } else if (!value.is_null()) {
      return false;
    }
  } else if (value.is_string()) {
    // A text Big5 cannot carry is handed on as one the core refuses (8970).
    if (!Big5FromUtf8(value.get_ref<const json::string_t&>(), text))
      text = std::string_view(&kUnconvertibleCharacter, 1);
  } else if (!value.is_null()) {
    return false;
  }
  request.texts.push_back(std::move(text));
  request.numbers.push_back(number);
  return true;
}

std::variant<Request, ProtocolError> FromJson(const json& message) {
  if (!message.is_object()) return Error(nullptr, errors::kNotAnObject, "a request is a JSON object");
  const auto id = message.find("id");
  if (id == message.end() || !id->is_number_integer()) {
    return Error(nullptr, errors::kBadId, "a request needs an integer \"id\"");
  }
  Request request;
  request.id = *id;
  const auto member = message.find("member");
  if (member == message.end() || !member->is_string()) {
    return Error(*id, errors::kUnknownMember, "a request needs a \"member\" text");
  }
  const std::string& name = member->get_ref<const json::string_t&>();
  if (name == kHelloMember) return request;

  request.call = FindMemberCall(name);
  if (request.call == nullptr && name != kVersionMember) {
    return Error(*id, errors::kUnknownMember, "no member is named \"" + name + "\"");
  }
  const auto origin = message.find("origin");
  if (origin == message.end() || !origin->is_string() || origin->get_ref<const json::string_t&>().empty()) {
    return Error(*id, errors::kMissingOrigin, "a member call needs the page's \"origin\"");
  }
  request.origin = origin->get<std::string>();

  const auto args = message.find("args");
  const bool noArgs = args == message.end() || (args->is_array() && args->empty());
  if (request.call == nullptr) {
    if (!noArgs) return Error(*id, errors::kWrongArgumentCount, "GetAPIVersion takes no arguments");
    request.kind = RequestKind::Version;
    return request;
  }
  request.kind = RequestKind::Member;
  const std::size_t expected = request.call->parameters.size();
  if (args == message.end() || !args->is_array() || args->size() != expected) {
    return Error(*id, errors::kWrongArgumentCount,
                 name + " takes " + std::to_string(expected) + " arguments in \"args\"");
  }
  for (std::size_t i = 0; i < expected; ++i) {
    const Parameter& parameter = request.call->parameters[i];
    if (!TakeArgument((*args)[i], parameter, request)) {
      return Error(
          *id, errors::kWrongArgumentKind,
          std::string(parameter.name) + (parameter.kind == ParameterKind::Integer ? " is an integer" : " is a text"));
    }
  }
  return request;
}

std::string Dump(const json& answer) { return answer.dump(-1, ' ', false, json::error_handler_t::replace); }

}  // namespace

std::vector<Argument> Request::Arguments() const {
  std::vector<Argument> arguments;
  for (std::size_t i = 0; i < texts.size(); ++i) arguments.push_back({texts[i].view(), numbers[i]});
  return arguments;
}

std::variant<Request, ProtocolError> ParseRequest(std::span<const std::uint8_t> frame) {
  if (!IsUtf8(frame)) return Error(nullptr, errors::kNotUtf8, "the request is not UTF-8");
  const json message = json::parse(frame.begin(), frame.end(), nullptr, false);
  if (message.is_discarded()) return Error(nullptr, errors::kNotJson, "the request is not JSON");
  return FromJson(message);
}

std::string ErrorAnswer(const ProtocolError& error) {
  return Dump({{"id", error.id}, {"error", error.name}, {"message", error.message}});
}

std::string HelloAnswer(const json& id, std::string_view hostVersion) {
  return Dump({{"id", id}, {"protocol", kProtocolVersion}, {"host", hostVersion}});
}

std::string VersionAnswer(const json& id, std::string_view versionBig5) {
  return Dump({{"id", id}, {"version", Utf8FromBig5(versionBig5)}});
}

std::string MemberAnswer(const json& id, ResultCode result, std::string_view trnsMsgBig5) {
  return Dump({{"id", id}, {"retVal", AsInteger(result)}, {"TrnsMsg", Utf8FromBig5(trnsMsgBig5)}});
}

}  // namespace korvaden::native
