#pragma once
#include <string>
#include <string_view>

namespace korvaden {

// The module's FileVersion text, or "0,0,0,0" when it cannot be read.
std::string ReadModuleFileVersion();

// The version as the page sees it: the first two components followed by dots,
// the rest joined without one (1.2307.31.1 gives 1.2307.311).
std::string NormaliseVersion(std::string_view text);

}  // namespace korvaden
