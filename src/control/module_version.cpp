// Outside Windows the module has no version resource: its version is the build's.
#include "control/version.h"

namespace korvaden {

std::string ReadModuleFileVersion() { return KORVADEN_FILE_VERSION; }

}  // namespace korvaden
