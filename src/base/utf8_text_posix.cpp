#include <iconv.h>

#include "base/plain_text.h"
#include "base/utf8_text.h"

namespace korvaden {
namespace {

// glibc's CP950 is code page 950, with its extensions beyond plain Big5.
constexpr const char* kBig5 = "CP950";

// Converts all of `in` or nothing; `out` holds at most `room` bytes.
template <class Text>
bool Convert(const char* to, const char* from, std::string_view in, std::size_t room, Text& out) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  out.Resize(room);
  char* source = const_cast<char*>(in.data());
  std::size_t sourceLeft = in.size();
  char* target = out.data();
  std::size_t targetLeft = room;
  const bool done = iconv(cd, &source, &sourceLeft, &target, &targetLeft) != static_cast<std::size_t>(-1) &&
                    iconv(cd, nullptr, nullptr, &target, &targetLeft) != static_cast<std::size_t>(-1);
  iconv_close(cd);
  out.Resize(done ? room - targetLeft : 0);
  return done;
}

}  // namespace

// A Big5 character takes at most as many bytes as its UTF-8 (2 for 3 or 4).
bool Big5FromUtf8(std::string_view utf8, SecureString& big5) {
  return Convert(kBig5, "UTF-8", utf8, utf8.size(), big5);
}

// A UTF-8 character takes at most twice its Big5 bytes (3 for 2, 1 for 1).
std::string Utf8FromBig5(std::string_view big5) {
  PlainText utf8;
  Convert("UTF-8", kBig5, big5, big5.size() * 2, utf8);
  return utf8.text;
}

}  // namespace korvaden
