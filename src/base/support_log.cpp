#include "base/support_log.h"

#include <chrono>
#include <cstdio>

namespace korvaden {

SupportLog& SilentLog() {
  struct Silent final : SupportLog {
    void Write(std::string_view) override {}
    bool Enabled() const override { return false; }
  };
  static Silent silent;
  return silent;
}

void FileSupportLog::Write(std::string_view line) {
  using namespace std::chrono;
  const auto now = floor<milliseconds>(system_clock::now());
  const auto day = floor<days>(now);
  const year_month_day date{day};
  const hh_mm_ss time{now - day};
  char stamp[64];
  std::snprintf(stamp, sizeof stamp, "%04d-%02u-%02uT%02ld:%02ld:%02ld.%03ldZ %lu ", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                static_cast<long>(time.hours().count()), static_cast<long>(time.minutes().count()),
                static_cast<long>(time.seconds().count()), static_cast<long>(time.subseconds().count()),
                support_log::ProcessId());
  std::string text = stamp;
  // A line holds no line break of its own, whatever a caller passes.
  for (const char c : line) text += static_cast<unsigned char>(c) < 0x20 ? '?' : c;
  text += '\n';
  const std::lock_guard lock(writing_);
  std::error_code error;
  const auto size = std::filesystem::file_size(path_, error);
  if (!error && size + text.size() > limit_) {
    std::filesystem::path older = path_;
    older += ".1";
    std::filesystem::rename(path_, older, error);
  }
  std::ignore = support_log::Append(path_, text);
}

std::unique_ptr<FileSupportLog> SupportLogFromSwitches() {
  if (!support_log::SwitchedOn()) return nullptr;
  const std::filesystem::path folder = support_log::UserFolder();
  if (folder.empty()) return nullptr;
  return std::make_unique<FileSupportLog>(folder / "support.log");
}

SupportLog& ProcessSupportLog() {
  static const std::unique_ptr<FileSupportLog> switched = SupportLogFromSwitches();
  return switched ? static_cast<SupportLog&>(*switched) : SilentLog();
}

}  // namespace korvaden
