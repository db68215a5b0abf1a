// The native host against korvaden-host through pcscd: the time from a
// FidoVerify request's first byte to its answer, the process's start
// included, for each program in the same run; and the host's resident
// memory before and after a member. On an X display also its windows: the
// time from a member call to its first window on the screen (the PIN pad of
// CardLess_Apply, the card prompt of FidoVerify with the PIN), next to a
// minimal GTK 4 program's time to its one window, and its resident memory
// with a PIN pad open, next to its memory after a member without one.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
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

// Whether a program shows a window: the X server lists one of its class.
bool WindowShown(const std::string& windowClass = "korvaden-native") {
  return std::system(("xdotool search --onlyvisible --classname " + windowClass + " > /dev/null 2>&1").c_str()) == 0;
}

bool WaitForWindow(const std::string& windowClass = "korvaden-native") {
  const auto deadline = Clock::now() + std::chrono::seconds(20);
  while (!WindowShown(windowClass)) {
    if (Clock::now() > deadline) return false;
    usleep(2000);
  }
  return true;
}

// The floor: a minimal GTK 4 program's start to its window on the screen.
double MinimalWindow() {
  char* const argv[] = {const_cast<char*>(KORVADEN_MINIMAL_WINDOW), nullptr};
  pid_t pid = -1;
  const auto start = Clock::now();
  if (posix_spawn(&pid, KORVADEN_MINIMAL_WINDOW, nullptr, nullptr, argv, environ) != 0) return -1;
  const bool shown = WaitForWindow("korvaden-minimal-window");
  const double took = Milliseconds(Clock::now() - start);
  kill(pid, SIGTERM);
  waitpid(pid, nullptr, 0);
  while (WindowShown("korvaden-minimal-window")) usleep(2000);
  return shown ? took : -1;
}

// A member call's start (the host's start included) to its first window on
// the screen; the browser then goes away and the window closes.
double FirstWindow(const std::string& member, const nlohmann::json& args) {
  const auto start = Clock::now();
  NativeHostProcess host(kNativeHost);
  host.Send(korvaden::test::MemberRequest(1, member, args));
  const bool shown = WaitForWindow();
  const double took = Milliseconds(Clock::now() - start);
  host.CloseInput();
  host.WaitForExit(std::chrono::seconds(5));
  while (WindowShown()) usleep(2000);
  return shown ? took : -1;
}

// The bank's parameter blocks of a CardLess_Apply for the default card.
nlohmann::json CardlessArguments() {
  const std::string command = std::string(KORVADEN_BANK_BINARY) + " blocks --d1 '2812000001234567890123456" +
                              korvaden::test::PcscStack::kReaderName +
                              "' --d2 BENCH --d3 ATM0000187654321XXXXXXXX20231201093000 --d4 654321 --d11 2571";
  nlohmann::json args = nlohmann::json::array();
  FILE* blocks = popen(command.c_str(), "r");
  if (blocks == nullptr) return args;
  std::map<std::string, std::string> values;
  char line[4096];
  while (std::fgets(line, sizeof line, blocks) != nullptr) {
    std::string text(line);
    const auto equals = text.find('=');
    if (equals != std::string::npos)
      values[text.substr(0, equals)] = text.substr(equals + 1, text.find('\n') - equals - 1);
  }
  pclose(blocks);
  for (const char* name : {"BHO_D5", "BHO_D1", "BHO_D2", "BHO_D3", "BHO_D4", "BHO_D11"}) args.push_back(values[name]);
  args.push_back("Activity");
  return args;
}

void MeasureWindows(long residentWithout) {
  std::vector<std::string> withPin = kFido;
  withPin[6] = "P611AD";  // the card out and back: the card prompt first
  withPin[7] = "123456";
  const nlohmann::json cardless = CardlessArguments();
  constexpr int kWindowRuns = 7;
  std::vector<double> minimal, toPad, toPrompt;
  for (int i = 0; i < kWindowRuns; ++i) {  // alternated, so that all meet the same machine
    minimal.push_back(MinimalWindow());
    toPad.push_back(FirstWindow("CardLess_Apply", cardless));
    toPrompt.push_back(FirstWindow("FidoVerify", withPin));
  }
  if (std::find(minimal.begin(), minimal.end(), -1) != minimal.end() ||
      std::find(toPad.begin(), toPad.end(), -1) != toPad.end() ||
      std::find(toPrompt.begin(), toPrompt.end(), -1) != toPrompt.end()) {
    return (void)std::puts("  a window did not come");
  }
  const double floor = Median(minimal);
  std::printf("Start to the first window on the screen, process start included (median of %d):\n", kWindowRuns);
  std::printf("  a minimal GTK 4 program, one window     %7.1f ms (floor)\n", floor);
  std::printf("  CardLess_Apply's PIN pad                %7.1f ms, %.2f x the floor (goal <= 1.30)\n", Median(toPad),
              Median(toPad) / floor);
  std::printf("  FidoVerify's card prompt, after the card %7.1f ms, %.2f x the floor\n", Median(toPrompt),
              Median(toPrompt) / floor);

  NativeHostProcess host(kNativeHost);
  host.Send(korvaden::test::MemberRequest(1, "CardLess_Apply", cardless));
  if (!WaitForWindow()) return (void)std::puts("  no PIN pad of korvaden-native came");
  usleep(300000);
  std::printf(
      "korvaden-native resident memory with a PIN pad open: %.1f MB (%.1f MB after a member without "
      "windows, floor)\n",
      ResidentKiB(host.pid()) / 1024.0, residentWithout / 1024.0);
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
  if (const char* display = std::getenv("DISPLAY"); display != nullptr && *display != '\0') MeasureWindows(after);
  return 0;
}
