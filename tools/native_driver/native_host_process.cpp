#include "native_host_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

namespace korvaden::test {
namespace {

using Clock = std::chrono::steady_clock;

// Reads exactly `size` bytes before `deadline`.
bool ReadExactly(int fd, char* data, std::size_t size, Clock::time_point deadline) {
  while (size > 0) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    pollfd wanted{fd, POLLIN, 0};
    if (left <= 0 || poll(&wanted, 1, static_cast<int>(left)) <= 0) return false;
    const ssize_t n = read(fd, data, size);
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

NativeHostProcess::NativeHostProcess(const std::vector<std::string>& command) {
  int in[2], out[2];
  if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) return;
  char errors[] = "/tmp/korvaden-native-stderr-XXXXXX";
  const int errorsFd = mkstemp(errors);
  errorsPath_ = errors;
  std::fflush(nullptr);
  pid_ = fork();
  if (pid_ == 0) {
    dup2(in[0], 0);
    dup2(out[1], 1);
    dup2(errorsFd, 2);
    std::vector<char*> argv;
    for (const std::string& arg : command) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  close(in[0]);
  close(out[1]);
  close(errorsFd);
  input_ = in[1];
  output_ = out[0];
}

NativeHostProcess::~NativeHostProcess() {
  CloseInput();
  if (!WaitForExit(std::chrono::seconds(3)) && pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  if (output_ >= 0) close(output_);
  unlink(errorsPath_.c_str());
}

std::string NativeHostProcess::Framed(std::string_view json) {
  const auto length = static_cast<std::uint32_t>(json.size());
  std::string frame(sizeof length, '\0');
  std::memcpy(frame.data(), &length, sizeof length);
  return frame.append(json);
}

void NativeHostProcess::SendBytes(std::string_view bytes) {
  signal(SIGPIPE, SIG_IGN);
  while (!bytes.empty()) {
    const ssize_t n = write(input_, bytes.data(), bytes.size());
    if (n <= 0) return;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
}

std::optional<nlohmann::json> NativeHostProcess::Receive(std::chrono::milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  for (;;) {
    std::uint32_t length = 0;
    if (!ReadExactly(output_, reinterpret_cast<char*>(&length), sizeof length, deadline)) return std::nullopt;
    std::string json(length, '\0');
    if (!ReadExactly(output_, json.data(), length, deadline)) return std::nullopt;
    nlohmann::json frame = nlohmann::json::parse(json, nullptr, false);
    if (!frame.is_object() || !frame.contains("asking") || frame.contains("retVal")) return frame;
    asked_.push_back(frame["asking"].is_string() ? frame["asking"].get<std::string>() : frame["asking"].dump());
  }
}

nlohmann::json NativeHostProcess::Call(const nlohmann::json& request) {
  Send(request);
  return Receive().value_or(nullptr);
}

void NativeHostProcess::CloseInput() {
  if (input_ >= 0) close(input_);
  input_ = -1;
}

std::optional<int> NativeHostProcess::WaitForExit(std::chrono::milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  while (!status_ && pid_ > 0) {
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      status_ = status;
      break;
    }
    if (Clock::now() >= deadline) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return status_;
}

std::string NativeHostProcess::Errors() const {
  std::ifstream file(errorsPath_);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

nlohmann::json MemberRequest(int id, std::string_view member, const nlohmann::json& args, std::string_view origin) {
  return {{"id", id}, {"origin", origin}, {"member", member}, {"args", args}};
}

}  // namespace korvaden::test
