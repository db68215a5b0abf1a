// The encoders: Base64 and hexadecimal of any bytes decode to those bytes,
// and any text decodes without reading out of bounds.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string_view>
#include <tuple>

#include "base/hex.h"
#include "crypto/base64.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace korvaden;
  const std::span<const std::uint8_t> bytes(data, size);
  const SecureBytes decoded = base64Decode(base64Encode(bytes));
  if (!std::equal(decoded.begin(), decoded.end(), bytes.begin(), bytes.end())) std::abort();
  std::ignore = base64Decode({reinterpret_cast<const char*>(data), size});
  const std::string hex = BytesToHex(bytes);
  Bytes back(size);
  HexToBytes(hex, hex.size(), back);
  if (!std::equal(back.begin(), back.end(), bytes.begin(), bytes.end())) std::abort();
  return 0;
}
