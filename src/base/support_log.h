#pragma once
// A trail for a support desk: one line an event (a PC/SC call that failed, a
// card's refusal, a member's end, a protocol error), off unless a person
// turns it on. What is written names calls, codes, members and origins,
// never an argument, a PIN, a password, a key, a document or a message.
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

namespace korvaden {

class SupportLog {
 public:
  virtual ~SupportLog() = default;
  virtual void Write(std::string_view line) = 0;
  // Whether a line is kept: a writer may skip making a line nobody reads.
  virtual bool Enabled() const { return true; }
};

// Writes nothing: the log when nobody turned it on.
SupportLog& SilentLog();

// Appends each line with the time (UTC) and the process to `path`, creating
// it for the user alone; when it grows past `limit` bytes it becomes
// `path`.1 (replacing an older one) and a new file starts. A line that cannot
// be written is dropped: the trail never stops a member.
class FileSupportLog final : public SupportLog {
 public:
  static constexpr std::size_t kDefaultLimit = 1024 * 1024;
  explicit FileSupportLog(std::filesystem::path path, std::size_t limit = kDefaultLimit)
      : path_(std::move(path)), limit_(limit) {}
  void Write(std::string_view line) override;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::mutex writing_;
  std::filesystem::path path_;
  std::size_t limit_;
};

// The switches a person turns the log on with, no rebuild needed: the
// environment variable below set to 1, or (on Windows) the per-user registry
// value HKEY_CURRENT_USER\Software\Korvaden\SupportLog, a DWORD 1. The log
// then goes to support.log in the user's own folder for the product
// (~/.local/state/korvaden, or %LOCALAPPDATA%\Korvaden). Null when off or
// when the folder cannot be made.
inline constexpr char kSupportLogVariable[] = "KORVADEN_SUPPORT_LOG";
std::unique_ptr<FileSupportLog> SupportLogFromSwitches();
// The process's log: the switches are read on the first call.
SupportLog& ProcessSupportLog();

// The platform's parts of the log.
namespace support_log {
bool SwitchedOn();
// The user's own folder for the log, made (for the user alone) when missing;
// empty when it cannot be.
std::filesystem::path UserFolder();
// Appends `text` to the file, made readable by the user alone; false when it cannot.
bool Append(const std::filesystem::path& path, std::string_view text);
unsigned long ProcessId();
}  // namespace support_log

}  // namespace korvaden
