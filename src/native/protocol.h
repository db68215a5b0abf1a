#pragma once
// The native messaging protocol: what a request holds once it is taken apart,
// the error names of a request the host cannot take, and the answers.
//   {"id": N, "member": "hello"}                        -> {"id": N, "protocol": P, "host": "…"}
//   {"id": N, "origin": O, "member": "GetAPIVersion", "args": []} -> {"id": N, "version": "…"}
//   {"id": N, "origin": O, "member": M, "args": [ … ]}  -> {"id": N, "retVal": R, "TrnsMsg": "…"}
//   anything else                                       -> {"id": N or null, "error": "NAME", "message": "…"}
#include <nlohmann/json.hpp>

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "base/result_codes.h"
#include "base/secure_memory.h"
#include "control/members.h"

namespace korvaden::native {

inline constexpr int kProtocolVersion = 1;
inline constexpr std::string_view kHelloMember = "hello";

// The stable error names (the guide lists them with their meaning).
namespace errors {
inline constexpr std::string_view kFrameTooLong = "frame_too_long";
inline constexpr std::string_view kTruncatedFrame = "truncated_frame";
inline constexpr std::string_view kNotUtf8 = "not_utf8";
inline constexpr std::string_view kNotJson = "not_json";
inline constexpr std::string_view kNotAnObject = "not_an_object";
inline constexpr std::string_view kBadId = "bad_id";
inline constexpr std::string_view kUnknownMember = "unknown_member";
inline constexpr std::string_view kMissingOrigin = "missing_origin";
inline constexpr std::string_view kOriginRefused = "origin_refused";
inline constexpr std::string_view kWrongArgumentCount = "wrong_argument_count";
inline constexpr std::string_view kWrongArgumentKind = "wrong_argument_kind";
inline constexpr std::string_view kInternal = "internal";
}  // namespace errors

enum class RequestKind { Hello, Version, Member };

// A well-formed request. The texts are the core's Big5, in wiped storage.
struct Request {
  nlohmann::json id;
  RequestKind kind = RequestKind::Hello;
  std::string origin;
  const MemberCall* call = nullptr;
  std::vector<SecureString> texts;  // one per parameter; empty for an integer
  std::vector<int> numbers;         // one per parameter; 0 for a text
  // A value no member can take (a number that is no 32-bit integer): the
  // call is answered 8970 without the member.
  bool valueRefused = false;

  // The arguments for `call`, pointing into `texts`.
  std::vector<Argument> Arguments() const;
};

struct ProtocolError {
  nlohmann::json id;  // null when the request had no usable id
  std::string_view name;
  std::string message;
};

// Takes one frame apart; nothing in it reaches the core.
std::variant<Request, ProtocolError> ParseRequest(std::span<const std::uint8_t> frame);

std::string ErrorAnswer(const ProtocolError& error);
std::string HelloAnswer(const nlohmann::json& id, std::string_view hostVersion);
std::string VersionAnswer(const nlohmann::json& id, std::string_view versionBig5);
// `trnsMsgBig5` is the control's TrnsMsg, empty unless `result` is 0.
std::string MemberAnswer(const nlohmann::json& id, ResultCode result, std::string_view trnsMsgBig5);
// While member call `id` runs: what its windows ask of the customer now,
// before its answer (which has retVal, where this has none).
std::string AskingNotice(const nlohmann::json& id, std::string_view asking);

}  // namespace korvaden::native
