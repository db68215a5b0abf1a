#include "control/version.h"

namespace korvaden {
namespace {

constexpr std::string_view kWhiteSpace = " \t\r\n\f\v";

std::string_view TrimLeft(std::string_view t) {
  const auto first = t.find_first_not_of(kWhiteSpace);
  return first == std::string_view::npos ? std::string_view() : t.substr(first);
}

std::string_view TrimRight(std::string_view t) {
  const auto last = t.find_last_not_of(kWhiteSpace);
  return last == std::string_view::npos ? std::string_view() : t.substr(0, last + 1);
}

// The first `count` characters, none when the position is npos.
std::string_view Head(std::string_view t, std::size_t count) {
  return count == std::string_view::npos ? std::string_view() : t.substr(0, count);
}

// From just after position `at`; the whole text when `at` is npos.
std::string_view After(std::string_view t, std::size_t at) {
  return at == std::string_view::npos ? t : t.substr(std::min(at + 1, t.size()));
}

}  // namespace

std::string NormaliseVersion(std::string_view text) {
  if (text.empty()) return {};
  text = TrimRight(text);
  const char separator = text.find(',') != std::string_view::npos   ? ','
                         : text.find('.') != std::string_view::npos ? '.'
                                                                    : '\0';
  if (separator == '\0') return {};

  std::size_t at = text.find(separator);
  text = TrimLeft(text);
  std::string result = std::string(Head(text, at)) + ".";
  text = TrimLeft(After(text, at));

  at = text.find(separator);
  result += Head(text, at);
  result += ".";
  for (;;) {
    text = TrimLeft(After(text, at));
    at = text.find(separator);
    if (text.empty() || at == std::string_view::npos) break;
    result += Head(text, at);
  }
  result += text;
  return result;
}

}  // namespace korvaden
