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

// What a member gives: one of the codes below, each with its meaning in the
// comment above it and, after "Customer:", what the page tells the customer
// (tools/build/result_codes.py makes the tables of the README and
// docs/integration.md from them), or:
// Table: a status word | the card rejected the PIN (for example 25538 for 63C2) | wrong PIN; 63Cn: n tries left
// Table: negative | a PC/SC error from selecting the card's account file | the reader failed; check it, retry
enum class [[nodiscard]] ResultCode : std::int32_t{};

inline constexpr StatusWord kNoStatusWord{0};
inline constexpr StatusWord kStatusOk{0x9000};

// success; `TrnsMsg` holds the sealed message
// Customer: nothing: the page sends `TrnsMsg` to the server
inline constexpr ResultCode kResultSuccess{0};
// a dialog was ended by its hidden OK command
// Customer: the request did not go through; try again
inline constexpr ResultCode kResultDialogOk{1};
// the card gave no answer to the application selection
// Customer: the card could not be read; take it out, insert it again and retry, or call the bank
inline constexpr ResultCode kResultNoSelectionAnswer{7900};
// the card's account data could not be read, or the card holds no account
// Customer: the card's accounts could not be read; insert the card again and retry, or call the bank
inline constexpr ResultCode kResultCardUnreadable{8800};
// the card did not compute the transaction authorisation code
// Customer: the card could not sign the request; insert the card again and retry, or call the bank
inline constexpr ResultCode kResultTacFailed{8900};
// the message could not be sealed for the server (unreadable server or HSM key, failed random draw, cipher failure);
// `TrnsMsg` stays empty
// Customer: the request could not be prepared; try again later, or reinstall the card control
inline constexpr ResultCode kResultSealFailed{8950};
// the page is not one the deployment allows (see the site lock); nothing reached the card
// Customer: this page may not use the card; open the web ATM from the bank's own address
inline constexpr ResultCode kResultPageRefused{8960};
// a page value that the message or the card cannot carry: a control character in any value, a `Money` or PIN that is
// not all digits, a value too long for its field or the message, markup in the message's values
// Customer: the data entered cannot be used; check it and try again
inline constexpr ResultCode kResultInvalidArgument{8970};
// a member was called while another member call was still running
// Customer: a request is still running; wait for it to end
inline constexpr ResultCode kResultBusy{8980};
// the user's member lock could not be taken: its folder is missing, not the user's own, or open to other users;
// nothing reached the card
// Customer: the card program cannot run under this computer account; call the bank's support
inline constexpr ResultCode kResultSessionLockUnusable{8981};
// reader or card not reachable, a dialog cancelled, the card not re-inserted, or (given by the browser extension)
// the page was left while the call ran
// Customer: the request was stopped; check that the reader is connected and the card inserted, then try again
inline constexpr ResultCode kResultCancelled{8990};
// given by the browser extension, never by the control: it could not start the native host (not installed, or its
// manifest does not name this extension)
// Customer: the bank's card program for this browser is missing; install it, then reload the page
inline constexpr ResultCode kResultNoNativeHost{8991};
// given by the browser extension: the native host ended before it answered (it crashed or was stopped)
// Customer: the card program stopped; try again, or reinstall it
inline constexpr ResultCode kResultNativeHostEnded{8992};
// given by the browser extension: the extension and the native host do not fit together (another protocol or major
// version), or the host could not take the request
// Customer: the card program and the browser extension do not fit; update both, then reload the page
inline constexpr ResultCode kResultRoadMismatch{8993};
// given by the browser extension: the extension was removed, disabled or updated while the page was open, so the
// page's copy of the page API no longer reaches it; nothing was started
// Customer: the bank's browser extension changed while this page was open; reload the page
inline constexpr ResultCode kResultExtensionChanged{8994};
// the parameter block `BHO_D5` is shorter than one cipher block or has an odd length
// Customer: the request could not be read; reload the page and try again, or call the bank
inline constexpr ResultCode kResultBlockD5Refused{9810};
// `BHO_D1` refused
// Customer: as 9810
inline constexpr ResultCode kResultBlockD1Refused{9811};
// `BHO_D2` refused
// Customer: as 9810
inline constexpr ResultCode kResultBlockD2Refused{9812};
// `BHO_D3` refused
// Customer: as 9810
inline constexpr ResultCode kResultBlockD3Refused{9813};
// `BHO_D4` refused
// Customer: as 9810
inline constexpr ResultCode kResultBlockD4Refused{9814};
// `BHO_D11` refused
// Customer: as 9810
inline constexpr ResultCode kResultBlockD11Refused{9821};
// `BHO_D12` refused
// Customer: as 9810
inline constexpr ResultCode kResultBlockD12Refused{9822};
// the parameters could not be split
// Customer: as 9810
inline constexpr ResultCode kResultParametersUnsplittable{9899};
// the card in the reader is not the card of the login
// Customer: this is not the card of the login; insert the card you logged in with
inline constexpr ResultCode kResultWrongCard{9940};
// a PIN pad or confirmation dialog ran out of time
// Customer: the time to answer ran out; start again
inline constexpr ResultCode kResultTimedOut{9950};
// the card answered a PIN pad's verification with 6620
// Customer: the card could not check the PIN; insert the card again and retry, or call the bank
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
