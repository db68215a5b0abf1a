// The page's UTF-8 into the core's Big5 and back, the same on Linux (glibc's
// CP950) and on Windows (code page 950). The Big5 bytes are iconv's:
// printf '轉帳' | iconv -f UTF-8 -t CP950 | xxd -p.
#include <gtest/gtest.h>

#include "base/utf8_text.h"
#ifdef _WIN32
#include "base/windows_text.h"
#endif

namespace korvaden {
namespace {

TEST(Utf8Text, BecomesCodePage950AndBack) {
  const std::vector<std::pair<std::string, std::string>> known = {
      {"\xE8\xBD\x89\xE5\xB8\xB3", "\xC2\xE0\xB1\x62"},  // 轉帳
      {"\xE2\x82\xAC", "\xA3\xE1"},                      // €, one of code page 950's own
      {"\xE7\xA2\x81", "\xF9\xD6"},                      // 碁, from the extension rows
      {"P611AD 1234", "P611AD 1234"},
      {"", ""},
  };
  for (const auto& [utf8, big5] : known) {
    SecureString converted;
    ASSERT_TRUE(Big5FromUtf8(utf8, converted)) << utf8;
    EXPECT_EQ(converted.view(), big5) << utf8;
    EXPECT_EQ(Utf8FromBig5(big5), utf8);
  }
}

TEST(Utf8Text, NothingIsReplaced) {
  for (const std::string text : {"caf\xC3\xA9",       // é: no Big5 character, and no look-alike taken
                                 "\xF0\x9F\x98\x80",  // an emoji
                                 "\xC3\x28",          // not UTF-8
                                 "\xED\xA0\x80"}) {   // a UTF-16 surrogate written as UTF-8
    SecureString converted;
    EXPECT_FALSE(Big5FromUtf8(text, converted)) << text;
  }
#ifdef _WIN32
  // The control's own conversion of a script's text: a control character,
  // which every member refuses (8970), not 'e' or '?'.
  EXPECT_EQ(Big5FromWide(L"caf\u00E9"), std::string("caf") + kUnconvertibleCharacter);
#endif
}

}  // namespace
}  // namespace korvaden
