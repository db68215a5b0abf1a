#pragma once
// A virtual reader holding the card, served on loopback to the test-only
// winscard.dll that the Windows tests load under Wine. One request per line:
//   EST | REL ctx | LIST ctx | CONN ctx name share protocols | STAT card
//   GSC ctx timeout name state | TX card command | DISC card disposition
// answered by the result code and the call's outputs; byte strings (names
// included) travel as hexadecimal, "-" when empty.
#include "virtual_card.h"

namespace korvaden::card {

inline constexpr const char* kLoopbackReaderName = "Virtual PCD 00 00";

// Serves until stopped; returns non-zero when the port cannot be opened.
int ServeLoopback(int port, VirtualCard& card);

}  // namespace korvaden::card
