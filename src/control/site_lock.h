#pragma once
// Only the bank's pages may drive the card. A page's origin (scheme, host and
// port, as a browser compares them) must be exactly one of the deployment's:
// no prefix or suffix match, the host without regard to case, a default port
// the same as none.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvaden {

struct Origin {
  std::string scheme;  // "https" or "http"
  std::string host;    // lower case
  int port = 0;        // 443 or 80 when the URL names none
  bool operator==(const Origin&) const = default;
};

// The origin of an http or https URL; none for any other URL, or one whose
// host part carries user information or characters no host name has.
[[nodiscard]] std::optional<Origin> OriginOf(std::string_view url);

// The origin as a browser shows it: the port only when it is not the scheme's default.
[[nodiscard]] std::string ShownOrigin(const Origin& origin);

[[nodiscard]] bool OriginAllowed(std::string_view pageUrl, const std::vector<std::string>& allowedOrigins);

}  // namespace korvaden
