#pragma once
// A PC/SC service served on loopback to the test-only winscard.dll that the
// Windows tests load under Wine: a virtual reader holding the card, or the
// system's real service (pcscd) for the Windows code to meet its semantics.
// One request per line:
//   EST | REL ctx | LIST ctx | CONN ctx name share protocols | STAT card
//   GSC ctx timeout name state | TX card command | DISC card disposition
// answered by the result code and the call's outputs; byte strings (names
// included) travel as hexadecimal, "-" when empty.
#include <functional>
#include <memory>

#include "base/pcsc_api.h"

namespace korvaden::card {

inline constexpr const char* kLoopbackReaderName = "Virtual PCD 00 00";

// Serves until stopped, each client process with a service of its own that it
// drops when it goes away; returns non-zero when the port cannot be opened.
int ServeLoopback(int port, const std::function<std::unique_ptr<PcscApi>()>& serviceForClient);

}  // namespace korvaden::card
