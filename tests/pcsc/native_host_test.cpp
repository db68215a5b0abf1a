// korvaden-native as a browser runs it, through pcscd and korvaden-card: the
// same documents as korvaden-host, bad input answered, one member at a time
// in the user's session, the browser going away, no PIN left behind.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <regex>
#include <thread>

#include "bank.h"
#include "base/support_log.h"
#include "base/user_folder.h"
#include "control/session_lock.h"
#include "native_host_process.h"
#include "support/memory_scan.h"
#include "support/pcsc_stack.h"
#include "support/test_support.h"

namespace korvaden {
namespace {

// As a Chromium browser starts the host: with the caller's extension.
const std::vector<std::string> kNativeHost = {KORVADEN_NATIVE_BINARY, "chrome-extension://test/"};

using namespace std::chrono_literals;
using nlohmann::json;
using test::MemberRequest;
using test::NativeHostProcess;
using test::PcscStack;

constexpr const char* kReader = PcscStack::kReaderName;

std::string Document(const std::string& sealed) {
  const auto opened = bank::Unseal(sealed, test::TestBankKeys());
  EXPECT_TRUE(opened.ok) << opened.error << ": " << sealed;
  return opened.value;
}

// korvaden-host's TrnsMsg for the same call (all it prints after retVal).
std::string HostTrnsMsg(const std::vector<std::string>& args) {
  std::string command = KORVADEN_HOST_BINARY;
  for (const std::string& arg : args) command += " '" + arg + "'";
  FILE* pipe = popen(command.c_str(), "r");
  std::string output;
  char buffer[4096];
  for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
  pclose(pipe);
  const auto line = output.find('\n');
  EXPECT_EQ(output.substr(0, line), "retVal=0") << output;
  output.erase(0, line + 1);
  if (!output.empty() && output.back() == '\n') output.pop_back();
  return output;
}

class NativeHost : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(stack.ok()) << stack.error(); }
  void Insert(const std::vector<std::string>& settings = {}) {
    stack.StopCard();
    ASSERT_TRUE(stack.InsertCard(settings)) << "the virtual card did not arrive";
  }
  PcscStack stack;
};

const std::vector<std::string> kFido = {
    kReader, "SESSION0123456789ABCDEF", "1234567890123456", "20230731123456", "12345678", "WEBATM01", "P611XX", ""};
const std::vector<std::string> kFidoOb = {kReader,
                                          "SESSION0123456789ABCDEF",
                                          "1234567890123456",
                                          "20230731123456",
                                          "12345678",
                                          "WEBATM01",
                                          "01",
                                          "02",
                                          "A123456789",
                                          ""};

TEST_F(NativeHost, SealsWhatTheTestHostSealsForTheSameCall) {
  const std::vector<std::string> transfer = {kReader,    "123456",
                                             "2510",     "",
                                             "81200000", "1234567890123456",
                                             "12345678", "WEBATM01",
                                             "1",        "123456789",
                                             "100",      "20230731123456",
                                             "0",        "SESSION0123456789ABCDEF"};
  for (const auto& [member, args] : std::vector<std::pair<std::string, std::vector<std::string>>>{
           {"TransIVESK", transfer}, {"FidoVerify", kFido}, {"FidoVerifyOB", kFidoOb}}) {
    json request = MemberRequest(7, member, args);
    if (member == "TransIVESK") request["args"][12] = 0;  // ShowVerifyDialog is a number
    Insert();
    NativeHostProcess host(kNativeHost);
    const json answer = host.Call(request);
    ASSERT_EQ(answer.value("retVal", -1), 0) << member << ": " << answer.dump() << host.Errors();
    EXPECT_EQ(answer["id"], 7);
    const std::string fromNative = Document(answer["TrnsMsg"]);
    Insert();
    std::vector<std::string> hostArgs{member};
    hostArgs.insert(hostArgs.end(), args.begin(), args.end());
    EXPECT_EQ(fromNative, Document(HostTrnsMsg(hostArgs))) << member;
  }
}

TEST_F(NativeHost, BadInputIsAnAnswerAndTheHostStaysUp) {
  Insert();
  NativeHostProcess host(kNativeHost);
  const auto errorOf = [&](std::string_view bytes) {
    host.SendBytes(NativeHostProcess::Framed(bytes));
    return host.Receive().value_or(json()).value("error", "");
  };
  EXPECT_EQ(errorOf("{\"id\": 1, \"member\": \"hel"), "not_json");
  EXPECT_EQ(errorOf("{\"id\": 1, \"member\": \"\xC3\x28\"}"), "not_utf8");
  EXPECT_EQ(errorOf("[1, 2]"), "not_an_object");
  EXPECT_EQ(errorOf(R"({"member": "hello"})"), "bad_id");
  EXPECT_EQ(errorOf(R"({"id": 2, "origin": "https://webatm.korvaden.test", "member": "Transfer", "args": []})"),
            "unknown_member");
  EXPECT_EQ(errorOf(R"({"id": 3, "member": "FidoVerify", "args": []})"), "missing_origin");
  json shortCall = MemberRequest(4, "FidoVerify", kFido);
  shortCall["args"].erase(7);
  EXPECT_EQ(errorOf(shortCall.dump()), "wrong_argument_count");
  json numberAsText = MemberRequest(5, "FidoVerify", kFido);
  numberAsText["args"][2] = 1234567890123456;
  EXPECT_EQ(errorOf(numberAsText.dump()), "wrong_argument_kind");
  // Still up: it answers, and nothing of the above reached the card.
  EXPECT_EQ(host.Call({{"id", 6}, {"member", "hello"}})["protocol"], 1);
  EXPECT_TRUE(stack.CardLog().empty());
  // A frame over the bound cannot be followed: answered, then the host ends.
  host.SendBytes(std::string("\x01\x00\x01\x00", 4));
  EXPECT_EQ(host.Receive().value_or(json()).value("error", ""), "frame_too_long");
  EXPECT_TRUE(host.WaitForExit(1s));
}

TEST_F(NativeHost, OnlyTheDeploymentsOriginsReachTheCard) {
  Insert();
  NativeHostProcess host(kNativeHost);
  for (const char* origin : {"https://webatm.korvaden.test.evil.example", "https://evil.example",
                             "http://webatm.korvaden.test", "https://webatm.korvaden.test:444"}) {
    const json answer = host.Call(MemberRequest(1, "FidoVerify", kFido, origin));
    EXPECT_EQ(answer.value("retVal", -1), 8960) << origin;
    EXPECT_EQ(answer["TrnsMsg"], "") << origin;
  }
  EXPECT_TRUE(stack.CardLog().empty());
  EXPECT_EQ(host.Call(MemberRequest(2, "FidoVerify", kFido, "https://WEBATM.korvaden.test:443")).value("retVal", -1),
            0);
}

// The support log, turned on by its switch for one host: a line for the
// member, the reader that is not there, the refused page and the request
// that is no JSON, and none of the call's values or its message. Off, it
// writes nothing.
TEST_F(NativeHost, TheSupportLogHasALinePerEventAndNoValue) {
  Insert();
  const std::filesystem::path folder = PrivateUserFolder(UserFolderKind::State);
  ASSERT_FALSE(folder.empty());
  const std::filesystem::path file = folder / "support.log";
  std::filesystem::remove(file);
  std::filesystem::remove(file.string() + ".1");
  {
    NativeHostProcess quiet(
        {"env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "-u", kSupportLogVariable, kNativeHost[0], kNativeHost[1]});
    EXPECT_EQ(quiet.Call(MemberRequest(1, "FidoVerify", kFido)).value("retVal", -1), 0);
  }
  EXPECT_FALSE(std::filesystem::exists(file)) << "the log is off unless turned on";

  // No display: the message box of the missing reader ends by itself.
  NativeHostProcess host({"env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", std::string(kSupportLogVariable) + "=1",
                          kNativeHost[0], kNativeHost[1]});
  const json done = host.Call(MemberRequest(1, "FidoVerify", kFido));
  ASSERT_EQ(done.value("retVal", -1), 0);
  std::vector<std::string> elsewhere = kFido;
  elsewhere[0] = "No Such Reader 00 00";
  const int missing = host.Call(MemberRequest(2, "FidoVerify", elsewhere)).value("retVal", 0);
  EXPECT_NE(missing, 0);
  EXPECT_NE(missing, 8980) << "a call made as soon as the last was answered is no busy one";
  EXPECT_EQ(host.Call(MemberRequest(3, "FidoVerify", kFido, "https://evil.example")).value("retVal", -1), 8960);
  host.SendBytes(NativeHostProcess::Framed("{\"id\": 4, \"member\": \"hel"));
  EXPECT_EQ(host.Receive().value_or(json()).value("error", ""), "not_json");
  host.CloseInput();
  EXPECT_TRUE(host.WaitForExit(5s));

  std::ifstream in(file);
  const std::string log((std::istreambuf_iterator<char>(in)), {});
  std::filesystem::remove(file);
  const auto count = [&](const std::string& pattern) {
    const std::regex line("(^|\n)[^\n]* " + pattern + "[^\n]*");
    return std::distance(std::sregex_iterator(log.begin(), log.end(), line), std::sregex_iterator());
  };
  EXPECT_EQ(count("member FidoVerify origin https://webatm\\.korvaden\\.test:443 result 0 in \\d+ ms"), 1) << log;
  EXPECT_EQ(count("pcsc SCard\\w+ failed 80100009"), 1) << log;
  EXPECT_EQ(count("member FidoVerify origin https://evil\\.example result 8960"), 1) << log;
  EXPECT_EQ(count("protocol not_json"), 1) << log;
  for (const std::string& value : {kFido[1], kFido[2], kFido[3], kFido[6], elsewhere[0], done.value("TrnsMsg", "")}) {
    EXPECT_EQ(log.find(value), std::string::npos) << value << " in\n" << log;
  }
}

TEST_F(NativeHost, OneMemberAtATimeInTheUsersSession) {
  Insert();
  {
    // Another process of the user runs a member.
    const SessionLock elsewhere = SessionLock::TryAcquire();
    ASSERT_TRUE(elsewhere.held());
    NativeHostProcess host(kNativeHost);
    EXPECT_EQ(host.Call(MemberRequest(1, "FidoVerify", kFido)).value("retVal", -1), 8980);
    EXPECT_TRUE(stack.CardLog().empty());
  }
  // Two calls in one write: the second arrives while the first runs.
  NativeHostProcess host(kNativeHost);
  host.SendBytes(NativeHostProcess::Framed(MemberRequest(1, "FidoVerify", kFido).dump()) +
                 NativeHostProcess::Framed(MemberRequest(2, "FidoVerify", kFido).dump()));
  std::map<int, int> results;
  for (int i = 0; i < 2; ++i) {
    const json answer = host.Receive().value_or(json::object());
    results[answer.value("id", 0)] = answer.value("retVal", -1);
  }
  EXPECT_EQ(results, (std::map<int, int>{{1, 0}, {2, 8980}}));
  // And a second host process, while the first is inside a member.
  NativeHostProcess second(kNativeHost);
  const std::size_t commandsBefore = stack.CardLog().size();
  host.Send(MemberRequest(3, "FidoVerify", kFido));
  // Inside its member once the card hears from it.
  ASSERT_TRUE(test::Eventually([&] { return stack.CardLog().size() > commandsBefore; }, 20s));
  const json refused = second.Call(MemberRequest(4, "FidoVerify", kFido));
  EXPECT_EQ(host.Receive().value_or(json()).value("retVal", -1), 0);
  EXPECT_EQ(refused.value("retVal", -1), 8980);
}

TEST_F(NativeHost, TheBrowserGoingAwayEndsTheHostAtOnce) {
  Insert();
  NativeHostProcess host(kNativeHost);
  host.Send(MemberRequest(1, "FidoVerify", kFido));
  host.CloseInput();
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(host.WaitForExit(1s)) << "still running 1 s after its input closed";
  std::cout << "exited "
            << std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count()
            << " ms after its input closed\n";
  // The next call, from a new process, works at once.
  NativeHostProcess next(kNativeHost);
  EXPECT_EQ(next.Call(MemberRequest(2, "FidoVerify", kFido)).value("retVal", -1), 0);
}

TEST_F(NativeHost, WithNoDisplayAMemberThatNeedsAWindowEnds8990AndSaysSo) {
  // P611AD with a PIN takes the card out and back: the card prompt. With
  // neither an X11 nor a Wayland display the host shows no window.
  Insert();
  const std::string display = std::getenv("DISPLAY") != nullptr ? std::getenv("DISPLAY") : "";
  const std::string wayland = std::getenv("WAYLAND_DISPLAY") != nullptr ? std::getenv("WAYLAND_DISPLAY") : "";
  unsetenv("DISPLAY");
  unsetenv("WAYLAND_DISPLAY");
  NativeHostProcess host(kNativeHost);
  if (!display.empty()) setenv("DISPLAY", display.c_str(), 1);
  if (!wayland.empty()) setenv("WAYLAND_DISPLAY", wayland.c_str(), 1);
  std::vector<std::string> args = kFido;
  args[6] = "P611AD";
  args[7] = "123456";
  EXPECT_EQ(host.Call(MemberRequest(1, "FidoVerify", args)).value("retVal", -1), 8990);
  EXPECT_NE(host.Errors().find("no window on this system: the card prompt"), std::string::npos) << host.Errors();
  for (const std::string& command : stack.CardLog()) EXPECT_NE(command.substr(2, 2), "20") << "no VERIFY: " << command;
}

TEST_F(NativeHost, ADisplayThatDoesNotOpenEnds8990AndSaysSo) {
  Insert();
  NativeHostProcess host({"env", "-u", "WAYLAND_DISPLAY", "DISPLAY=:4095", kNativeHost[0], kNativeHost[1]});
  std::vector<std::string> args = kFido;
  args[6] = "P611AD";
  args[7] = "123456";
  const json answer = host.Call(MemberRequest(1, "FidoVerify", args));
  EXPECT_EQ(answer.is_object() ? answer.value("retVal", -1) : -1, 8990) << answer.dump() << host.Errors();
  EXPECT_NE(host.Errors().find("does not open"), std::string::npos) << host.Errors();
}

// A frame up to the bound is a request; values no card can take are the
// member's 8970, and the host goes on.
TEST_F(NativeHost, TakesAFrameOfTheWholeBoundAndRefusesValuesAsValues) {
  Insert();
  NativeHostProcess host(kNativeHost);
  std::string hello = R"({"id": 1, "member": "hello", "padding": ""})";
  hello.insert(hello.size() - 2, 65536 - hello.size(), 'x');
  ASSERT_EQ(hello.size(), 65536u);
  host.SendBytes(NativeHostProcess::Framed(hello));
  EXPECT_EQ(host.Receive().value_or(json()).value("protocol", 0), 1);

  const std::string surrogate =
      R"({"id": 2, "origin": "https://webatm.korvaden.test", "member": "FidoVerify", "args": [")" +
      std::string(kReader) + R"(", "S\uD800", "1234567890123456", "20230731123456",
                                "12345678", "WEBATM01", "P611XX", ""]})";
  host.SendBytes(NativeHostProcess::Framed(surrogate));
  const json refused = host.Receive().value_or(json());
  EXPECT_EQ(refused.value("retVal", -1), 8970) << refused.dump();
  EXPECT_EQ(refused["id"], 2);
  json transfer = MemberRequest(3, "TransIVESK",
                                {kReader, "123456", "2510", "", "81200000", "1234567890123456", "12345678", "WEBATM01",
                                 "1", "123456789", "100", "20230731123456", "0", "SESSION0123456789ABCDEF"});
  transfer["args"][12] = 1LL << 40;
  EXPECT_EQ(host.Call(transfer).value("retVal", -1), 8970);
  EXPECT_TRUE(stack.CardLog().empty());
  EXPECT_EQ(host.Call(MemberRequest(4, "FidoVerify", kFido)).value("retVal", -1), 0);
}

// The lock follows from who the user is: hosts that browsers started with
// other environments still take turns, and nobody else's file stops them.
TEST_F(NativeHost, OneLockPerUserWhateverTheEnvironment) {
  Insert();
  const std::string elsewhere = ::testing::TempDir() + "korvaden-runtime";
  std::filesystem::create_directories(elsewhere);
  const std::string own = std::getenv("XDG_RUNTIME_DIR") != nullptr ? std::getenv("XDG_RUNTIME_DIR") : "";
  setenv("XDG_RUNTIME_DIR", elsewhere.c_str(), 1);
  std::optional<SessionLock> held = SessionLock::TryAcquire();
  if (own.empty())
    unsetenv("XDG_RUNTIME_DIR");
  else
    setenv("XDG_RUNTIME_DIR", own.c_str(), 1);
  ASSERT_TRUE(held->held()) << "the lock's folder: " << UserLockFolder();
  for (const std::vector<std::string>& environment :
       {std::vector<std::string>{"-u", "XDG_RUNTIME_DIR"}, {"XDG_RUNTIME_DIR="}, {"XDG_RUNTIME_DIR=/nonexistent"}}) {
    std::vector<std::string> command{"env"};
    command.insert(command.end(), environment.begin(), environment.end());
    command.insert(command.end(), kNativeHost.begin(), kNativeHost.end());
    NativeHostProcess host(command);
    EXPECT_EQ(host.Call(MemberRequest(1, "FidoVerify", kFido)).value("retVal", -1), 8980) << environment[0];
  }
  held.reset();
  EXPECT_TRUE(stack.CardLog().empty());
  NativeHostProcess nowhere({"env", "XDG_RUNTIME_DIR=/nonexistent", kNativeHost[0], kNativeHost[1]});
  EXPECT_EQ(nowhere.Call(MemberRequest(1, "FidoVerify", kFido)).value("retVal", -1), 0) << nowhere.Errors();

  // Another user holds a lock where the user's lock once was, in /tmp.
  if (getuid() != 0) GTEST_SKIP() << "another user's lock needs root to make";
  const std::string old = "/tmp/korvaden-member-" + std::to_string(getuid()) + ".lock";
  std::filesystem::remove(old);
  NativeHostProcess squatter({"setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups", "flock", old, "cat"});
  const std::string tryLock = "flock --nonblock " + old + " true 2>/dev/null";
  ASSERT_TRUE(test::Eventually([&] { return std::system(tryLock.c_str()) != 0; }, 10s)) << "nobody's lock not held";
  Insert();
  NativeHostProcess host({"env", "-u", "XDG_RUNTIME_DIR", kNativeHost[0], kNativeHost[1]});
  EXPECT_EQ(host.Call(MemberRequest(1, "FidoVerify", kFido)).value("retVal", -1), 0);
}

// Not dumpable and no core, checked from outside: no process of the user's
// may read the host's memory, and a crash writes nothing.
TEST_F(NativeHost, KeepsItsMemoryFromCoresAndFromTheUsersOtherProcesses) {
  const auto file = [](const std::string& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  NativeHostProcess host(kNativeHost);
  ASSERT_EQ(host.Call({{"id", 1}, {"member", "hello"}}).value("protocol", 0), 1);
  const std::string proc = "/proc/" + std::to_string(host.pid());
  EXPECT_NE(file(proc + "/limits").find("Max core file size        0                    0"), std::string::npos)
      << file(proc + "/limits");
  EXPECT_EQ(file(proc + "/coredump_filter"), "00000010\n");

  if (getuid() != 0) GTEST_SKIP() << "a second user for the host needs root";
  // As nobody, a process that started the host (or `cat`, which echoes the
  // framing) and had an answer from it tries to open its memory.
  const auto nobodyOpensTheMemoryOf = [](const std::vector<std::string>& command) {
    std::string line = "setpriv --reuid=nobody --regid=nogroup --clear-groups /usr/bin/python3 " KORVADEN_TESTS_SOURCE
                       "/pcsc/memory_of_a_child.py";
    for (const std::string& part : command) line += " '" + part + "'";
    return std::system(line.c_str());
  };
  EXPECT_EQ(nobodyOpensTheMemoryOf({"cat"}), 0) << "the same user reads a process's memory that allows it";
  EXPECT_EQ(nobodyOpensTheMemoryOf(kNativeHost), 1 << 8) << "the same user reads the host's memory";
  const std::vector<std::string> asNobody = {"setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"};
  std::vector<std::string> command = asNobody;
  command.insert(command.end(), kNativeHost.begin(), kNativeHost.end());
  NativeHostProcess nobodysHost(command);

  // nobody has no runtime folder and a home that does not exist: no folder
  // for the lock, which is said as such, not as "busy".
  if (std::filesystem::exists("/run/user/65534") || std::filesystem::exists("/nonexistent")) return;
  EXPECT_EQ(nobodysHost.Call(MemberRequest(2, "FidoVerify", kFido)).value("retVal", -1), 8981);
}

TEST_F(NativeHost, NoPinLeftInItsMemory) {
  Insert({"pin=975310"});
  NativeHostProcess host(kNativeHost);
  std::vector<std::string> args = kFido;
  args[7] = "975310";
  const json answer = host.Call(MemberRequest(1, "FidoVerify", args));
  ASSERT_EQ(answer.value("retVal", -1), 0) << host.Errors();
  // Waiting for the next request, as between a page's calls. The scan reads
  // the host: the sealed message it keeps as TrnsMsg is found.
  EXPECT_GE(test::HitsInWritableMemory(answer["TrnsMsg"].get<std::string>().substr(0, 32), host.pid()).size(), 1u);
  EXPECT_EQ(test::HitsInWritableMemory("975310", host.pid()).size(), 0u);
  const char block[] = {'\x97', '\x53', '\x10', '\xFF', '\xFF', '\xFF', '\xFF', '\xFF'};
  EXPECT_EQ(test::HitsInWritableMemory({block, sizeof(block)}, host.pid()).size(), 0u);
}

}  // namespace
}  // namespace korvaden
