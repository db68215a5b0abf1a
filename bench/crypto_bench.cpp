// Prints the cost of sealing one message and of deciphering one set of
// parameter blocks, in microseconds (median of many runs).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include "bank.h"
#include "crypto/deployment_keys.h"
#include "crypto/param_blocks.h"
#include "crypto/random.h"
#include "crypto/seal.h"
#include "support/test_support.h"

namespace {

class SilentBoxes final : public korvaden::MessageBoxes {
 public:
  void Show(std::string_view, std::string_view, korvaden::MessageIcon) override {}
};

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
  const korvaden::bank::BankKeys& bankKeys = korvaden::test::TestBankKeys();
  const korvaden::DeploymentKeys keys = korvaden::BuiltInDeployment();
  korvaden::SystemRandom random;
  SilentBoxes boxes;
  const std::string document(420, 'x');  // about the size of a transfer document

  const double seal = MedianMicroseconds(500, [&] {
    if (!korvaden::SealForServer(document, keys, random, boxes).sealed) std::abort();
  });

  const auto blocks = korvaden::bank::MakeBlocks({{"BHO_D1",
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
                                                  {"BHO_D11", "2566"}},
                                                 bankKeys);
  const korvaden::ParameterBlocks view{blocks.at("BHO_D5"), blocks.at("BHO_D1"), blocks.at("BHO_D2"),
                                       blocks.at("BHO_D3"), blocks.at("BHO_D4"), blocks.at("BHO_D11"),
                                       std::nullopt};
  const double parse = MedianMicroseconds(2000, [&] {
    korvaden::CParseEncParam parser(keys);
    if (korvaden::Failed(parser.DecryptAndSplit(view))) std::abort();
  });
  std::printf("SealForServer (420-character document): %.1f us\n", seal);
  std::printf("Parameter blocks D5, D1, D2, D3, D4, D11 deciphered and split: %.1f us\n", parse);
  return 0;
}
