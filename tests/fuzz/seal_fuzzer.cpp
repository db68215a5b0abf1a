// Any document the flows could seal goes to the bank and back unchanged:
// sealed means the bank opens exactly that document; otherwise nothing.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "bank.h"
#include "crypto/random.h"
#include "crypto/seal.h"
#include "support/test_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace korvaden;
  const std::string document(reinterpret_cast<const char*>(data), size);
  static const DeploymentKeys keys = BuiltInDeployment();
  SystemRandom random;
  const SealedMessage sealed = SealForServer(document, keys, random);
  if (!sealed.sealed()) {
    if (!sealed.text.empty()) std::abort();
    return 0;
  }
  const auto opened = bank::OpenSealed(sealed.text, test::TestBankKeys());
  if (!opened.ok || opened.value != document) std::abort();
  return 0;
}
