#pragma once
// Texts across the browser's boundary: the page's UTF-8 becomes the core's
// Big5 (code page 950, as the control converts its BSTRs), and the core's
// texts go back as UTF-8. Nothing is replaced: a text that is not UTF-8 or
// holds a character Big5 cannot carry does not convert, and the member
// answers 8970 before the reader.
#include <string>
#include <string_view>

#include "base/secure_memory.h"

namespace korvaden {

[[nodiscard]] bool Big5FromUtf8(std::string_view utf8, SecureString& big5);
std::string Utf8FromBig5(std::string_view big5);

}  // namespace korvaden
