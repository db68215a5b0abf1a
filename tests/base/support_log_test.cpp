#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "base/support_log.h"

namespace korvaden {
namespace {

std::string Read(const std::filesystem::path& path) {
  std::ifstream file(path);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

class SupportLogFile : public ::testing::Test {
 protected:
  void SetUp() override {
    // ctest runs each test as its own process, side by side: one folder each.
    const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    folder = std::filesystem::path(::testing::TempDir()) / ("korvaden-support-log-" + test);
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
  }
  void TearDown() override { std::filesystem::remove_all(folder); }
  std::filesystem::path folder;
};

// Each line stamped with the time and the process, in a file of the user's
// alone; a caller's line break cannot start a forged line.
TEST_F(SupportLogFile, OneStampedLinePerEventForTheUserAlone) {
  FileSupportLog log(folder / "support.log");
  log.Write("member FidoVerify origin https://a.test:443 result 0 in 12 ms");
  log.Write("protocol not_json\nmember TransIVESK result 0");
  const std::string text = Read(log.path());
  std::istringstream lines(text);
  std::string line;
  std::vector<std::string> read;
  while (std::getline(lines, line)) read.push_back(line);
  ASSERT_EQ(read.size(), 2u) << text;
  const std::string stamp = "^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}Z " + std::to_string(getpid()) + " ";
  EXPECT_TRUE(std::regex_search(read[0], std::regex(stamp + "member FidoVerify origin"))) << read[0];
  EXPECT_TRUE(read[1].ends_with(" protocol not_json?member TransIVESK result 0")) << read[1];
  struct stat status {};
  ASSERT_EQ(stat(log.path().c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0600u);
}

// Past its limit the file becomes support.log.1, replacing an older one, and
// the next line starts a new file: the log never holds more than twice it.
TEST_F(SupportLogFile, RotatesAtItsLimit) {
  FileSupportLog log(folder / "support.log", 200);
  for (int i = 0; i < 20; ++i) log.Write("pcsc SCardConnect failed 8010000C #" + std::to_string(i));
  const std::string current = Read(folder / "support.log");
  const std::string older = Read(folder / "support.log.1");
  EXPECT_LE(current.size(), 200u);
  EXPECT_LE(older.size(), 200u);
  EXPECT_NE(current.find("#19\n"), std::string::npos) << current;
  EXPECT_NE(older.find("8010000C"), std::string::npos) << older;
  EXPECT_EQ(older.find("#0\n"), std::string::npos) << "the oldest lines are gone";
  EXPECT_FALSE(std::filesystem::exists(folder / "support.log.2"));
}

// A link put where the log goes is not followed.
TEST_F(SupportLogFile, DoesNotFollowALink) {
  std::filesystem::create_symlink(folder / "elsewhere", folder / "support.log");
  FileSupportLog(folder / "support.log").Write("pcsc SCardConnect failed 8010000C");
  EXPECT_FALSE(std::filesystem::exists(folder / "elsewhere"));
}

// Off unless the switch says 1.
TEST(SupportLogSwitch, OffUnlessTurnedOn) {
  for (const char* value : {"", "0", "yes", "1 "}) {
    setenv(kSupportLogVariable, value, 1);
    EXPECT_EQ(SupportLogFromSwitches(), nullptr) << '"' << value << '"';
  }
  unsetenv(kSupportLogVariable);
  EXPECT_EQ(SupportLogFromSwitches(), nullptr);
  EXPECT_FALSE(SilentLog().Enabled());
}

}  // namespace
}  // namespace korvaden
