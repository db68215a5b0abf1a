#pragma once
// The native host as a browser runs it: a process of its own, spoken to
// through the framing over its standard input and output.
#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

namespace korvaden::test {

class NativeHostProcess {
 public:
  // `command`: the host and its arguments (a browser passes the caller's
  // extension), or a runner such as Wine before them.
  explicit NativeHostProcess(const std::vector<std::string>& command);
  ~NativeHostProcess();  // closes its input and stops it
  NativeHostProcess(const NativeHostProcess&) = delete;
  NativeHostProcess& operator=(const NativeHostProcess&) = delete;

  void Send(const nlohmann::json& request) { SendBytes(Framed(request.dump())); }
  void SendBytes(std::string_view bytes);
  // The next answer, or none when none comes within `timeout` or the stream
  // ends. What the host told of its windows meanwhile is kept in `asked`.
  std::optional<nlohmann::json> Receive(std::chrono::milliseconds timeout = std::chrono::seconds(20));
  // Each "asking" the host told, in order.
  const std::vector<std::string>& asked() const { return asked_; }
  nlohmann::json Call(const nlohmann::json& request);  // Send, then Receive (null when nothing came)
  void CloseInput();
  // The exit status once the process has ended within `timeout`.
  std::optional<int> WaitForExit(std::chrono::milliseconds timeout);
  pid_t pid() const { return pid_; }
  std::string Errors() const;  // what it wrote to its standard error

  static std::string Framed(std::string_view json);

 private:
  pid_t pid_ = -1;
  int input_ = -1;
  int output_ = -1;
  std::string errorsPath_;
  std::optional<int> status_;
  std::vector<std::string> asked_;
};

// A member call of the protocol from the test deployment's first origin.
nlohmann::json MemberRequest(int id, std::string_view member, const nlohmann::json& args,
                             std::string_view origin = "https://webatm.korvaden.test");

}  // namespace korvaden::test
