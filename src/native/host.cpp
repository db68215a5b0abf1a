#include "native/host.h"

#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <thread>

#include "control/site_lock.h"
#include "native/protocol.h"

namespace korvaden::native {

PcscResult Abandonment::EstablishContext(std::uint32_t scope, PcscContext& context) {
  return abandoned_ ? kScardCancelled : pcsc_.EstablishContext(scope, context);
}

PcscResult Abandonment::ListReaders(PcscContext context, char* buffer, std::uint32_t& length) {
  return abandoned_ ? kScardCancelled : pcsc_.ListReaders(context, buffer, length);
}

PcscResult Abandonment::Connect(PcscContext context, const char* reader, std::uint32_t shareMode,
                                std::uint32_t protocols, PcscCard& card, std::uint32_t& activeProtocol) {
  return abandoned_ ? kScardCancelled : pcsc_.Connect(context, reader, shareMode, protocols, card, activeProtocol);
}

PcscResult Abandonment::Status(PcscCard card, char* name, std::uint32_t& nameLength, std::uint32_t& state,
                               std::uint32_t& protocol, std::uint8_t* atr, std::uint32_t& atrLength) {
  return abandoned_ ? kScardCancelled : pcsc_.Status(card, name, nameLength, state, protocol, atr, atrLength);
}

PcscResult Abandonment::GetStatusChange(PcscContext context, std::uint32_t timeoutMs, const char* reader,
                                        std::uint32_t currentState, std::uint32_t& eventState) {
  return abandoned_ ? kScardCancelled : pcsc_.GetStatusChange(context, timeoutMs, reader, currentState, eventState);
}

PcscResult Abandonment::Transmit(PcscCard card, const std::uint8_t* command, std::uint32_t commandLength,
                                 std::uint8_t* response, std::uint32_t& responseLength) {
  return abandoned_ ? kScardCancelled : pcsc_.Transmit(card, command, commandLength, response, responseLength);
}

void Abandonment::Sleep(std::chrono::milliseconds duration) {
  if (!abandoned_) sleeper_.Sleep(duration);
}

void Abandonment::Show(std::string_view text, std::string_view caption, MessageIcon icon) {
  if (!abandoned_) boxes_.Show(text, caption, icon);
}

void Abandonment::Abandon() {
  abandoned_ = true;
  closeWindows_();
}

namespace {

// What the reader thread and the member thread share.
class Exchange {
 public:
  Exchange(const HostParts& parts, ByteStream& out) : parts_(parts), out_(out) {}

  void Answer(std::string_view json) {
    const std::lock_guard lock(writing_);
    WriteFrame(out_, json);
  }

  // A request answered with a protocol error, and its line in the support log.
  void Refuse(const ProtocolError& error) {
    parts_.log.Write("protocol " + std::string(error.name));  // the message may quote the request
    Answer(ErrorAnswer(error));
  }

  // A member call answered without the member, and its line in the support log.
  void RefuseMember(const Request& request, ResultCode result, std::string_view why) {
    parts_.log.Write("member " + std::string(request.call->name) + " origin " + request.origin + " result " +
                     std::to_string(AsInteger(result)) + ": " + std::string(why));
    Answer(MemberAnswer(request.id, result, {}));
  }

  // The reader thread: answers what needs no member, hands a member call on.
  void Take(std::variant<Request, ProtocolError>&& parsed) {
    if (auto* error = std::get_if<ProtocolError>(&parsed)) return Refuse(*error);
    Request& request = std::get<Request>(parsed);
    const bool allowed = OriginAllowed(request.origin, parts_.allowedOrigins);
    switch (request.kind) {
      case RequestKind::Hello:
        return Answer(HelloAnswer(request.id, parts_.hostVersion));
      case RequestKind::Version:
        if (!allowed) return Refuse({request.id, errors::kOriginRefused, "not an allowed origin"});
        return Answer(VersionAnswer(request.id, parts_.control.GetAPIVersion()));
      case RequestKind::Member:
        break;
    }
    if (!allowed) return RefuseMember(request, kResultPageRefused, "not an allowed origin");
    if (request.valueRefused) return RefuseMember(request, kResultInvalidArgument, "a value no member can take");
    std::unique_lock lock(state_);
    if (pending_ || running_) {
      lock.unlock();
      return Answer(MemberAnswer(request.id, kResultBusy, {}));
    }
    pending_ = std::move(request);
    changed_.notify_all();
  }

  // The reader thread, at the end of the stream: the browser has gone, so a
  // member waiting or running is abandoned and nothing more is answered.
  void End() {
    std::unique_lock lock(state_);
    ended_ = true;
    pending_.reset();
    changed_.notify_all();
    const auto limit = std::chrono::steady_clock::now() + kAbandonedMemberLimit;
    while (running_) {
      lock.unlock();
      parts_.abandonment.Abandon();
      lock.lock();
      if (std::chrono::steady_clock::now() >= limit) std::_Exit(3);
      changed_.wait_for(lock, std::chrono::milliseconds(50), [&] { return !running_; });
    }
  }

  // One member call on the member thread; its answer.
  std::string Run(const Request& request) {
    ControlCore& control = parts_.control;
    control.SetPage(request.origin);
    const std::vector<Argument> arguments = request.Arguments();
    parts_.desk.Listen([this, &request](Asking asking) {
      if (!parts_.abandonment.abandoned()) Answer(AskingNotice(request.id, AskingName(asking)));
    });
    struct Unlisten {
      CustomerDesk& desk;
      ~Unlisten() { desk.Listen(nullptr); }
    } unlisten{parts_.desk};
    try {
      const ResultCode result = control.Call(*request.call, arguments);
      return MemberAnswer(request.id, result, control.TrnsMsg());
    } catch (const std::exception&) {  // out of memory: the call ends, the host stays
      return ErrorAnswer({request.id, errors::kInternal, "the host ran out of memory"});
    }
  }

  // The member thread: runs member calls until the stream has ended.
  void RunMembers() {
    for (;;) {
      std::unique_lock lock(state_);
      changed_.wait(lock, [&] { return pending_ || ended_; });
      if (!pending_) return;
      std::optional<Request> request = std::move(pending_);
      pending_.reset();
      running_ = true;
      lock.unlock();
      const std::string answer = Run(*request);
      // The arguments (a PIN among them) are wiped before the page hears
      // the answer and may look for them.
      request.reset();
      lock.lock();
      running_ = false;
      changed_.notify_all();
      lock.unlock();
      // Free before the page hears the answer: a call it makes at once is
      // not refused as busy.
      if (!parts_.abandonment.abandoned()) Answer(answer);
    }
  }

 private:
  const HostParts& parts_;
  ByteStream& out_;
  std::mutex writing_;
  std::mutex state_;
  std::condition_variable changed_;
  std::optional<Request> pending_;
  bool running_ = false;
  bool ended_ = false;
};

// Overwrites what the parsing left in the reader thread's stack: a short
// text (a PIN) sits in the lexer's own buffer there, not on the heap.
[[gnu::noinline]] void WipeStack() {
  volatile unsigned char area[64 * 1024];
  for (auto& byte : area) byte = 0;
}

}  // namespace

int RunHost(const HostParts& parts, ByteStream& in, ByteStream& out) {
  Exchange exchange(parts, out);
  int exitCode = 0;
  std::thread reader([&] {
    SecureBytes frame;
    for (;;) {
      const FrameRead read = ReadFrame(in, frame);
      if (read == FrameRead::Frame) {
        try {
          exchange.Take(ParseRequest(frame));
        } catch (const std::exception&) {
          exchange.Refuse({nullptr, errors::kInternal, "the host ran out of memory"});
        }
        Cleanse(frame.data(), frame.size());
        WipeStack();
        continue;
      }
      if (read != FrameRead::End) {
        exitCode = 1;
        exchange.Refuse(
            {nullptr, read == FrameRead::TooLong ? errors::kFrameTooLong : errors::kTruncatedFrame,
             read == FrameRead::TooLong ? "a frame is at most 65536 bytes" : "the stream ended inside a frame"});
      }
      break;
    }
    exchange.End();
  });
  exchange.RunMembers();
  reader.join();
  return exitCode;
}

}  // namespace korvaden::native
