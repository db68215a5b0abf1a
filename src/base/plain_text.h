#pragma once
// A std::string with the Resize(n) and data() that SecureString has, for the
// conversions that fill either kind of text.
#include <cstddef>
#include <string>

namespace korvaden {

struct PlainText {
  std::string text;
  void Resize(std::size_t n) { text.resize(n); }
  char* data() { return text.data(); }
};

}  // namespace korvaden
