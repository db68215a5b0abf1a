// Prints the cost of sealing one message and of deciphering one set of
// parameter blocks, in microseconds (median of many runs), each next to its
// floor (the same work written directly against OpenSSL, keys prepared once)
// measured in the same run, and the ratio.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include "bank.h"
#include "crypto/base64.h"
#include "crypto/deployment_keys.h"
#include "crypto/param_blocks.h"
#include "crypto/random.h"
#include "crypto/seal.h"
#include "openssl_floor.h"
#include "support/test_support.h"

namespace {

double MedianMicroseconds(int runs, const std::function<void()>& work) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const auto start = std::chrono::steady_clock::now();
    work();
    times.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
  }
  std::nth_element(times.begin(), times.begin() + runs / 2, times.end());
  return times[runs / 2];
}

}  // namespace

int main() {
  const korvaden::DeploymentKeys keys = korvaden::BuiltInDeployment();
  korvaden::SystemRandom random;
  const std::string document(420, 'x');  // about the size of a transfer document

  const double seal = MedianMicroseconds(500, [&] {
    if (!korvaden::SealForServer(document, keys, random).sealed()) std::abort();
  });

  const auto blocks = korvaden::test::BankBlocks({{"BHO_D1",
                                                   "181200000"
                                                   "1234567890123456"
                                                   "Virtual PCD 00 00"},
                                                  {"BHO_D2", "SESSION-0123456789"},
                                                  {"BHO_D3",
                                                   "ATM00001"
                                                   "12345678"
                                                   "XXXXXXXX"
                                                   "20230731123456"},
                                                  {"BHO_D4", "123456"},
                                                  {"BHO_D11", "2566"}});
  const korvaden::ParameterBlocks view{blocks.at("BHO_D5"), blocks.at("BHO_D1"), blocks.at("BHO_D2"),
                                       blocks.at("BHO_D3"), blocks.at("BHO_D4"), blocks.at("BHO_D11"),
                                       std::nullopt};
  const double parse = MedianMicroseconds(2000, [&] {
    korvaden::CParseEncParam parser(keys);
    if (korvaden::Failed(parser.DecryptAndSplit(view))) std::abort();
  });
  const auto bytes = [](const korvaden::KeyPieces& pieces) {
    const korvaden::SecureBytes decoded = korvaden::base64Decode(pieces.Joined());
    return std::vector<std::uint8_t>(decoded.begin(), decoded.end());
  };
  korvaden::bench::OpenSslFloor floor(keys.serverPublicPem, bytes(keys.macKey), bytes(keys.ivBlockKey),
                                      bytes(keys.paramBlockKey));
  const double sealFloor = MedianMicroseconds(500, [&] {
    if (floor.Seal(document).empty()) std::abort();
  });
  const std::vector<std::string_view> others = {blocks.at("BHO_D1"), blocks.at("BHO_D2"), blocks.at("BHO_D3"),
                                                blocks.at("BHO_D4"), blocks.at("BHO_D11")};
  const double parseFloor = MedianMicroseconds(2000, [&] {
    if (floor.DecipherBlocks(blocks.at("BHO_D5"), others) == 0) std::abort();
  });
  std::printf("%-58s %10s %10s %7s\n", "figure", "control", "floor", "ratio");
  std::printf("%-58s %8.1f us %7.1f us %6.1fx\n", "SealForServer (420-character document)", seal, sealFloor,
              seal / sealFloor);
  std::printf("%-58s %8.1f us %7.1f us %6.1fx\n", "parameter set (D5, D1, D2, D3, D4, D11 deciphered and split)", parse,
              parseFloor, parse / parseFloor);
  return 0;
}
