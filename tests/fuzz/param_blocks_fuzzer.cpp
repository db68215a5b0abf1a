// The parameter blocks as a page may send them: any texts, deciphered and
// split. Nothing may crash or read out of bounds; a split that succeeds
// fills every field from the blocks.
#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "crypto/deployment_keys.h"
#include "crypto/param_blocks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace korvaden;
  // Blocks D5, D1, D2, D3, D4, D11 and D12, separated by line feeds.
  std::vector<std::string> texts(7);
  std::size_t block = 0;
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == '\n' && block + 1 < texts.size()) {
      ++block;
    } else {
      texts[block] += static_cast<char>(data[i]);
    }
  }
  static const DeploymentKeys keys = BuiltInDeployment();
  CParseEncParam parser(keys);
  std::ignore = parser.DecryptAndSplit({texts[0], texts[1], texts[2], texts[3], texts[4], texts[5], texts[6]});
  return 0;
}
