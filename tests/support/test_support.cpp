#include "support/test_support.h"

#include "base/hex.h"

#include <stdexcept>

namespace korvaden {

void PrintTo(ResultCode code, std::ostream* out) { *out << AsInteger(code); }

void PrintTo(PcscResult result, std::ostream* out) {
  *out << "0x" << std::hex << std::uppercase << static_cast<std::uint32_t>(AsInteger(result)) << std::dec;
}

void PrintTo(StatusWord word, std::ostream* out) {
  *out << "SW " << std::hex << std::uppercase << AsInteger(word) << std::dec;
}

}  // namespace korvaden

namespace korvaden::test {

std::vector<std::uint8_t> FromHex(std::string_view hex) {
  std::vector<std::uint8_t> bytes((hex.size() + 1) / 2);
  HexToBytes(hex, hex.size(), bytes);
  return bytes;
}

std::map<std::string, std::string> BankBlocks(const std::map<std::string, std::string>& plaintexts) {
  std::string error;
  auto blocks = bank::MakeBlocks(plaintexts, TestBankKeys(), error);
  if (!blocks) throw std::runtime_error(error);
  return *blocks;
}

}  // namespace korvaden::test
