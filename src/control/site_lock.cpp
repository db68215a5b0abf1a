#include "control/site_lock.h"

#include <algorithm>
#include <cctype>

namespace korvaden {
namespace {

std::string Lower(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower;
}

bool IsHostName(std::string_view host) {
  return !host.empty() &&
         std::all_of(host.begin(), host.end(), [](unsigned char c) { return std::isalnum(c) || c == '-' || c == '.'; });
}

}  // namespace

std::optional<Origin> OriginOf(std::string_view url) {
  const auto colon = url.find("://");
  if (colon == std::string_view::npos) return std::nullopt;
  Origin origin;
  origin.scheme = Lower(url.substr(0, colon));
  if (origin.scheme != "https" && origin.scheme != "http") return std::nullopt;
  // Browsers end the host part at a backslash too.
  std::string_view authority = url.substr(colon + 3);
  authority = authority.substr(0, authority.find_first_of("/?#\\"));
  if (authority.find('@') != std::string_view::npos) return std::nullopt;
  const auto portStart = authority.rfind(':');
  std::string_view host = authority.substr(0, portStart);
  origin.port = origin.scheme == "https" ? 443 : 80;
  if (portStart != std::string_view::npos) {
    const std::string_view port = authority.substr(portStart + 1);
    if (port.empty() || port.size() > 5 || !std::all_of(port.begin(), port.end(), ::isdigit)) return std::nullopt;
    origin.port = std::stoi(std::string(port));
    if (origin.port < 1 || origin.port > 65535) return std::nullopt;
  }
  if (!IsHostName(host)) return std::nullopt;
  origin.host = Lower(host);
  return origin;
}

std::string ShownOrigin(const Origin& origin) {
  const int defaultPort = origin.scheme == "https" ? 443 : 80;
  return origin.scheme + "://" + origin.host + (origin.port == defaultPort ? "" : ":" + std::to_string(origin.port));
}

bool OriginAllowed(std::string_view pageUrl, const std::vector<std::string>& allowedOrigins) {
  const auto page = OriginOf(pageUrl);
  return page && std::any_of(allowedOrigins.begin(), allowedOrigins.end(),
                             [&](const std::string& allowed) { return OriginOf(allowed) == page; });
}

}  // namespace korvaden
