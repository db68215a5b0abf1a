#pragma once
// The status words the card application answers that the control acts on,
// by name.
#include "base/result_codes.h"

namespace korvaden {

inline constexpr StatusWord kWrongPin{0x6608};
inline constexpr StatusWord kPinBlocked{0x6983};
inline constexpr StatusWord kFileNotFound{0x6A82};

// 63Cx: a wrong PIN from a card that counts the tries left (x of them).
constexpr bool IsTriesLeft(StatusWord word) { return (AsInteger(word) & 0xFFF0) == 0x63C0; }

// A refusal after which the customer types the PIN again: 6608, or 63Cx.
constexpr bool AsksForThePinAgain(StatusWord word) { return word == kWrongPin || IsTriesLeft(word); }

}  // namespace korvaden
