// The native host against korvaden-host through pcscd: the time from a
// FidoVerify request's first byte to its answer, the process's start
// included, for each program in the same run; and the host's resident
// memory before and after a member.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "native_host_process.h"
#include "support/pcsc_stack.h"

namespace {

// As a Chromium browser starts the host: with the caller's extension.
const std::vector<std::string> kNativeHost = {KORVADEN_NATIVE_BINARY, "chrome-extension://test/"};

using Clock = std::chrono::steady_clock;
using korvaden::test::NativeHostProcess;

const std::vector<std::string> kFido = {korvaden::test::PcscStack::kReaderName,
                                        "SESSION0123456789ABCDEF",
                                        "1234567890123456",
                                        "20230731123456",
                                        "12345678",
                                        "WEBATM01",
                                        "P611XX",
                                        ""};

double Milliseconds(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

long ResidentKiB(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  }
  return -1;
}

double NativeCall() {
  const auto start = Clock::now();
  NativeHostProcess host(kNativeHost);
  const auto answer = host.Call(korvaden::test::MemberRequest(1, "FidoVerify", kFido));
  const auto took = Clock::now() - start;
  if (answer.value("retVal", -1) != 0) std::printf("  korvaden-native answered %s\n", answer.dump().c_str());
  return Milliseconds(took);
}

double HostCall() {
  std::string command = std::string(KORVADEN_HOST_BINARY) + " FidoVerify";
  for (const std::string& arg : kFido) command += " '" + arg + "'";
  command += " > /dev/null";
  const auto start = Clock::now();
  if (std::system(command.c_str()) != 0) std::puts("  korvaden-host failed");
  return Milliseconds(Clock::now() - start);
}

}  // namespace

int main() {
  korvaden::test::PcscStack stack;
  if (!stack.ok() || !stack.InsertCard()) return std::puts(stack.error().c_str()), 1;
  constexpr int kRuns = 15;
  std::vector<double> native, host;
  for (int i = 0; i < kRuns; ++i) {  // alternated, so that both meet the same machine
    native.push_back(NativeCall());
    host.push_back(HostCall());
  }
  const double n = Median(native), h = Median(host);
  std::printf("FidoVerify without windows, first byte to answer, process start included (median of %d):\n", kRuns);
  std::printf(
      "  korvaden-native %7.1f ms\n  korvaden-host   %7.1f ms (floor)\n  ratio           %7.2f (goal <= 1.30)\n", n, h,
      n / h);

  NativeHostProcess process(kNativeHost);
  process.Call({{"id", 1}, {"member", "hello"}});
  const long before = ResidentKiB(process.pid());
  process.Call(korvaden::test::MemberRequest(2, "FidoVerify", kFido));
  const long after = ResidentKiB(process.pid());
  std::printf("korvaden-native resident memory: %.1f MB before a member, %.1f MB after (goal <= 15 MB)\n",
              before / 1024.0, after / 1024.0);
  return 0;
}
