#pragma once
// The native messaging host's run over the core: requests from the browser,
// answers back, one member at a time. Member calls run on the thread that
// calls RunHost (the windows are that thread's); a reader thread goes on
// reading meanwhile, so that a second call answers 8980 at once and the end
// of the stream (the tab closed, the page left, the browser quit) abandons
// the member that runs.
#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "base/message_box.h"
#include "base/sleeper.h"
#include "control/control_core.h"
#include "native/framing.h"

namespace korvaden::native {

// Ends a member as a cancel would once the browser has gone: the waits of
// the card steps return at once, no message box is shown, and `closeWindows`
// (called on the reader thread, again and again until the member is over)
// closes what is open, so that the dialogs end cancelled.
class Abandonment final : public Sleeper, public MessageBoxes {
 public:
  Abandonment(Sleeper& sleeper, MessageBoxes& boxes, std::function<void()> closeWindows)
      : sleeper_(sleeper), boxes_(boxes), closeWindows_(std::move(closeWindows)) {}
  void Sleep(std::chrono::milliseconds duration) override;
  void Show(std::string_view text, std::string_view caption, MessageIcon icon) override;
  void Abandon();
  bool abandoned() const { return abandoned_; }

 private:
  Sleeper& sleeper_;
  MessageBoxes& boxes_;
  std::function<void()> closeWindows_;
  std::atomic<bool> abandoned_ = false;
};

// How long an abandoned member may take to end before the process exits
// anyway (browsers kill a host 2 s after its port closes); the system then
// releases the card and the context.
inline constexpr std::chrono::milliseconds kAbandonedMemberLimit{900};

struct HostParts {
  ControlCore& control;
  const std::vector<std::string>& allowedOrigins;
  Abandonment& abandonment;
  std::string hostVersion;
};

// Until the stream ends: 0 then, 1 when a frame could not be followed.
int RunHost(const HostParts& parts, ByteStream& in, ByteStream& out);

}  // namespace korvaden::native
