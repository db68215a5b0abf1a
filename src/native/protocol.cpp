#include "native/protocol.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <optional>

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

// The UTF-16 unit of a "\\uXXXX" escape at `at`, if one is there.
std::optional<std::uint16_t> HexUnit(std::span<const std::uint8_t> bytes, std::size_t at) {
  if (at + 6 > bytes.size() || bytes[at] != '\\' || bytes[at + 1] != 'u') return std::nullopt;
  const char* digits = reinterpret_cast<const char*>(bytes.data() + at + 2);
  std::uint16_t unit = 0;
  const auto [end, error] = std::from_chars(digits, digits + 4, unit, 16);
  if (error != std::errc() || end != digits + 4) return std::nullopt;
  return unit;
}

bool IsHighSurrogate(std::uint16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(std::uint16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// A browser writes a text's unpaired UTF-16 surrogate (a page's "\uD800") as
// an escape, which the JSON parser refuses as no JSON at all, with no id to
// answer. Such an escape is read as U+FFFD instead: Big5 cannot carry it, so
// the value is refused (8970), not the request. Null when there is none.
std::optional<SecureBytes> UnpairedSurrogatesReplaced(std::span<const std::uint8_t> frame) {
  std::optional<SecureBytes> mended;
  for (std::size_t i = 0; i < frame.size();) {
    if (frame[i] != '\\') {
      ++i;
      continue;
    }
    const std::optional<std::uint16_t> unit = HexUnit(frame, i);
    if (!unit) {
      i += 2;  // another escape, "\\" among them
      continue;
    }
    if (IsHighSurrogate(*unit)) {
      const std::optional<std::uint16_t> next = HexUnit(frame, i + 6);
      if (next && IsLowSurrogate(*next)) {
        i += 12;
        continue;
      }
    }
    if (IsHighSurrogate(*unit) || IsLowSurrogate(*unit)) {
      if (!mended) mended.emplace(frame.begin(), frame.end());
      std::copy_n("FFFD", 4, mended->begin() + static_cast<std::ptrdiff_t>(i + 2));
    }
    i += 6;
  }
  return mended;
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
    // A number that is no 32-bit integer is a value the control refuses, as
    // a script's that its dispatch cannot convert.
    if (value.is_number()) {
      const bool fits = value.is_number_unsigned()  ? value.get<std::uint64_t>() <= std::numeric_limits<int>::max()
                        : value.is_number_integer() ? value.get<std::int64_t>() >= std::numeric_limits<int>::min() &&
                                                          value.get<std::int64_t>() <= std::numeric_limits<int>::max()
                                                    : false;
      if (fits) number = static_cast<int>(value.get<std::int64_t>());
      request.valueRefused |= !fits;
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
  for (std::size_t i = 0; i < texts.size(); ++i) {
    const bool integer = call->parameters[i].kind == ParameterKind::Integer;
    arguments.push_back(integer ? Argument(numbers[i]) : Argument(texts[i].view()));
  }
  return arguments;
}

std::variant<Request, ProtocolError> ParseRequest(std::span<const std::uint8_t> frame) {
  if (!IsUtf8(frame)) return Error(nullptr, errors::kNotUtf8, "the request is not UTF-8");
  const std::optional<SecureBytes> mended = UnpairedSurrogatesReplaced(frame);
  if (mended) frame = *mended;
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

std::string AskingNotice(const json& id, std::string_view asking) {
  return Dump({{"id", id}, {"asking", std::string(asking)}});
}

}  // namespace korvaden::native
