#pragma once
// Three kinds of result travel through the control, each with its own type so
// that one is never taken for another: the PC/SC service's codes, the card's
// status words and the codes a member leaves in retVal. They become a plain
// integer only at retVal (and in a dialog's end code).
#include <cstdint>

namespace korvaden {

// 0 or a service code 0x8010nnnn, read as signed.
enum class [[nodiscard]] PcscResult : std::int32_t{};

// SW1 * 256 + SW2 of the last card answer; 0 when no answer came.
enum class StatusWord : std::uint32_t {};

// What a member gives: one of the codes below, a card status word (a rejected
// PIN, e.g. 25538 for 63C2) or a negative PC/SC code.
enum class [[nodiscard]] ResultCode : std::int32_t{};

inline constexpr StatusWord kNoStatusWord{0};
inline constexpr StatusWord kStatusOk{0x9000};

inline constexpr ResultCode kResultSuccess{0};
inline constexpr ResultCode kResultDialogOk{1};              // a dialog ended by its hidden OK command
inline constexpr ResultCode kResultNoSelectionAnswer{7900};  // the card gave no answer to the selection
inline constexpr ResultCode kResultCardUnreadable{8800};     // account data unreadable, or no account
inline constexpr ResultCode kResultTacFailed{8900};          // the card did not compute the TAC
inline constexpr ResultCode kResultSealFailed{8950};         // the message could not be sealed for the server
inline constexpr ResultCode kResultPageRefused{8960};        // the page is not one the deployment allows
inline constexpr ResultCode kResultInvalidArgument{8970};    // a page value the message or the card cannot carry
inline constexpr ResultCode kResultBusy{8980};               // another member call is still running
inline constexpr ResultCode kResultCancelled{8990};          // reader, connection, cancellation, re-insertion
inline constexpr ResultCode kResultBlockD5Refused{9810};
inline constexpr ResultCode kResultBlockD1Refused{9811};
inline constexpr ResultCode kResultBlockD2Refused{9812};
inline constexpr ResultCode kResultBlockD3Refused{9813};
inline constexpr ResultCode kResultBlockD4Refused{9814};
inline constexpr ResultCode kResultBlockD11Refused{9821};
inline constexpr ResultCode kResultBlockD12Refused{9822};
inline constexpr ResultCode kResultParametersUnsplittable{9899};
inline constexpr ResultCode kResultWrongCard{9940};
inline constexpr ResultCode kResultTimedOut{9950};
inline constexpr ResultCode kResultPinPadCard6620{26144};

constexpr bool Failed(ResultCode code) { return code != kResultSuccess; }
constexpr bool Failed(PcscResult result) { return result != PcscResult{0}; }

// A PC/SC code or a status word that ends a flow is the member's result as it stands.
constexpr ResultCode FromPcsc(PcscResult result) { return ResultCode{static_cast<std::int32_t>(result)}; }
constexpr ResultCode FromStatusWord(StatusWord word) {
  return ResultCode{static_cast<std::int32_t>(static_cast<std::uint32_t>(word))};
}

constexpr std::int32_t AsInteger(ResultCode code) { return static_cast<std::int32_t>(code); }
constexpr std::int32_t AsInteger(PcscResult result) { return static_cast<std::int32_t>(result); }
constexpr std::uint32_t AsInteger(StatusWord word) { return static_cast<std::uint32_t>(word); }

}  // namespace korvaden
