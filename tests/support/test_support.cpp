#include "support/test_support.h"

#include "reader/hex.h"

namespace korvaden::test {

std::vector<std::uint8_t> FromHex(std::string_view hex) {
  std::vector<std::uint8_t> bytes((hex.size() + 1) / 2);
  HexToBytes(hex, hex.size(), bytes);
  return bytes;
}

}  // namespace korvaden::test
