#include "support/pcsc_stack.h"

#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>
#include <tuple>

#include "reader/pcsc_system.h"

namespace korvaden::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
constexpr const char* kPcscdSocket = "/run/pcscd/pcscd.comm";
constexpr const char* kPcscdPidFile = "/run/pcscd/pcscd.pid";

int FreePort() {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof(address);
  bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address));
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  close(fd);
  return ntohs(address.sin_port);
}

pid_t Spawn(const std::vector<std::string>& args, const std::string& output) {
  std::fflush(nullptr);  // the child must not print the parent's buffered output again
  const pid_t pid = fork();
  if (pid == 0) {
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    if (freopen(output.c_str(), "a", stdout) == nullptr || freopen(output.c_str(), "a", stderr) == nullptr) _exit(126);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  return pid;
}

void Stop(pid_t& pid) {
  if (pid <= 0) return;
  kill(pid, SIGTERM);
  for (int i = 0; i < 100 && waitpid(pid, nullptr, WNOHANG) == 0; ++i) std::this_thread::sleep_for(20ms);
  if (waitpid(pid, nullptr, WNOHANG) == 0) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
  }
  pid = -1;
}

// A pcscd that still runs; a dead one (or a zombie nobody reaped) leaves its
// socket and pid file behind, which would stop a new pcscd: they are removed.
bool OtherPcscdRunning() {
  std::ifstream file(kPcscdPidFile);
  pid_t pid = 0;
  if (!(file >> pid) || pid <= 0) return false;
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string ignored, state;
  if (stat >> ignored >> ignored >> state && state != "Z") return true;
  std::error_code error;
  fs::remove(kPcscdPidFile, error);
  fs::remove(kPcscdSocket, error);
  return false;
}

}  // namespace

PcscStack::PcscStack() {
  if (OtherPcscdRunning()) {
    error_ = "another pcscd is running; stop it before these tests";
    return;
  }
  char pattern[] = "/tmp/korvaden-pcsc-XXXXXX";
  dir_ = mkdtemp(pattern);
  port_ = FreePort();
  fs::create_directories(dir_ + "/conf");
  std::ofstream(dir_ + "/conf/vpcd") << "FRIENDLYNAME \"Virtual PCD\"\n"
                                     << "DEVICENAME /dev/null:0x" << std::hex << port_ << "\n"
                                     << "LIBPATH /usr/lib/pcsc/drivers/serial/libifdvpcd.so\n"
                                     << "CHANNELID 0x" << port_ << "\n";
  pcscd_ = Spawn({"pcscd", "--foreground", "--config", dir_ + "/conf"}, dir_ + "/pcscd.log");
  for (int i = 0; i < 250; ++i) {
    PcscContext context = 0;
    if (access(kPcscdSocket, F_OK) == 0 && SystemPcsc().EstablishContext(0, context) == kScardSuccess) {
      std::ignore = SystemPcsc().ReleaseContext(context);
      return;
    }
    std::this_thread::sleep_for(20ms);
  }
  error_ = "pcscd did not start; see " + dir_ + "/pcscd.log";
}

PcscStack::~PcscStack() {
  for (int reader = 0; reader < kReaders; ++reader) StopCard(reader);
  Stop(pcscd_);
  if (!dir_.empty() && error_.empty()) fs::remove_all(dir_);
}

std::string PcscStack::ReaderName(int reader) { return "Virtual PCD 00 0" + std::to_string(reader); }

bool PcscStack::InsertCard(const std::vector<std::string>& settings, int reader) {
  StopCard(reader);
  std::error_code ignored;
  fs::remove(LogOf(reader), ignored);
  std::vector<std::string> args = {KORVADEN_CARD_BINARY, "--port", std::to_string(port_ + reader), "--log",
                                   LogOf(reader)};
  for (const auto& setting : settings) {
    args.push_back("--set");
    args.push_back(setting);
  }
  cards_[reader] = Spawn(args, dir_ + "/card" + std::to_string(reader) + ".out");
  return WaitForCard(true, reader, 10000);
}

void PcscStack::StopCard(int reader) {
  if (cards_[reader] <= 0) return;
  Stop(cards_[reader]);
  WaitForCard(false, reader, 5000);
}

bool PcscStack::WaitForCard(bool present, int reader, int timeoutMs) const {
  PcscContext context = 0;
  if (SystemPcsc().EstablishContext(0, context) != kScardSuccess) return false;
  const std::string name = ReaderName(reader);
  bool reached = false;
  for (int waited = 0; waited < timeoutMs && !reached; waited += 20) {
    std::uint32_t state = 0;
    if (SystemPcsc().GetStatusChange(context, 0, name.c_str(), kScardStateUnaware, state) == kScardSuccess) {
      reached = ((state & kScardStatePresent) != 0) == present;
    }
    if (!reached) std::this_thread::sleep_for(20ms);
  }
  std::ignore = SystemPcsc().ReleaseContext(context);
  return reached;
}

std::vector<std::string> PcscStack::CardLog(int reader) const {
  std::vector<std::string> lines;
  std::ifstream file(LogOf(reader));
  for (std::string line; std::getline(file, line);) lines.push_back(line);
  return lines;
}

}  // namespace korvaden::test
