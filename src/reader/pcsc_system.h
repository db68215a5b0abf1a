#pragma once
#include "base/pcsc_api.h"

namespace korvaden {

// The platform's PC/SC service (winscard on Windows, pcsc-lite elsewhere).
PcscApi& SystemPcsc();

}  // namespace korvaden
