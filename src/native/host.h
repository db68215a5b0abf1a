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

#include "base/pcsc_api.h"
#include "base/sleeper.h"
#include "control/control_core.h"
#include "native/framing.h"
#include "ui/customer_desk.h"
#include "ui/message_box.h"

namespace korvaden::native {

// Ends a member as a cancel would once the browser has gone: the waits of
// the card steps return at once, every PC/SC call but the ones that release
// the card and the context fails (cancelled), no message box is shown, and
// `closeWindows` (called on the reader thread, again and again until the
// member is over) closes what is open, so that the dialogs end cancelled.
class Abandonment final : public PcscApi, public Sleeper, public MessageBoxes {
 public:
  Abandonment(PcscApi& pcsc, Sleeper& sleeper, MessageBoxes& boxes, std::function<void()> closeWindows)
      : pcsc_(pcsc), sleeper_(sleeper), boxes_(boxes), closeWindows_(std::move(closeWindows)) {}
  PcscResult EstablishContext(std::uint32_t scope, PcscContext& context) override;
  PcscResult ReleaseContext(PcscContext context) override { return pcsc_.ReleaseContext(context); }
  PcscResult ListReaders(PcscContext context, char* buffer, std::uint32_t& length) override;
  PcscResult Connect(PcscContext context, const char* reader, std::uint32_t shareMode, std::uint32_t protocols,
                     PcscCard& card, std::uint32_t& activeProtocol) override;
  PcscResult Status(PcscCard card, char* name, std::uint32_t& nameLength, std::uint32_t& state, std::uint32_t& protocol,
                    std::uint8_t* atr, std::uint32_t& atrLength) override;
  PcscResult GetStatusChange(PcscContext context, std::uint32_t timeoutMs, const char* reader,
                             std::uint32_t currentState, std::uint32_t& eventState) override;
  PcscResult Transmit(PcscCard card, const std::uint8_t* command, std::uint32_t commandLength, std::uint8_t* response,
                      std::uint32_t& responseLength) override;
  PcscResult Disconnect(PcscCard card, std::uint32_t disposition) override {
    return pcsc_.Disconnect(card, disposition);
  }
  void Sleep(std::chrono::milliseconds duration) override;
  void Show(std::string_view text, std::string_view caption, MessageIcon icon) override;
  void Abandon();
  bool abandoned() const { return abandoned_; }

 private:
  PcscApi& pcsc_;
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
  SupportLog& log;     // a line for each request refused
  CustomerDesk& desk;  // tells what the windows ask, passed on to the page
};

// Until the stream ends: 0 then, 1 when a frame could not be followed.
int RunHost(const HostParts& parts, ByteStream& in, ByteStream& out);

}  // namespace korvaden::native
