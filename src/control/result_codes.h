#pragma once
// The result codes a member leaves in retVal. Besides these: a card status word
// (a rejected PIN, e.g. 25538 for 63C2) or a negative PC/SC code.
namespace korvaden {

inline constexpr int kResultSuccess = 0;
inline constexpr int kResultDialogOk = 1;              // a dialog ended by its hidden OK command
inline constexpr int kResultNoSelectionAnswer = 7900;  // the card gave no answer to the selection
inline constexpr int kResultCardUnreadable = 8800;     // account data unreadable, or no account
inline constexpr int kResultTacFailed = 8900;          // the card did not compute the TAC
inline constexpr int kResultSealFailed = 8950;         // the message could not be sealed for the server
inline constexpr int kResultInvalidArgument = 8970;    // a page value the message or the card cannot carry
inline constexpr int kResultBusy = 8980;               // another member call is still running
inline constexpr int kResultCancelled = 8990;          // reader, connection, cancellation, re-insertion
inline constexpr int kResultBlockD5Refused = 9810;
inline constexpr int kResultBlockD1Refused = 9811;
inline constexpr int kResultBlockD2Refused = 9812;
inline constexpr int kResultBlockD3Refused = 9813;
inline constexpr int kResultBlockD4Refused = 9814;
inline constexpr int kResultBlockD11Refused = 9821;
inline constexpr int kResultBlockD12Refused = 9822;
inline constexpr int kResultParametersUnsplittable = 9899;
inline constexpr int kResultWrongCard = 9940;
inline constexpr int kResultTimedOut = 9950;
inline constexpr int kResultPinPadCard6620 = 26144;

}  // namespace korvaden
