// The native host's whole run over a stream of frames from the input, against
// the in-process card: whatever the bytes, every frame gets an answer or the
// stream ends, and nothing reaches the card unless a frame held a well-formed
// member call from an allowed origin.
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <span>

#include "control/site_lock.h"
#include "native/host.h"
#include "native/protocol.h"
#include "support/flow_bench.h"

namespace {

using namespace korvaden;

// The input as standard input; its end comes once every whole frame in it has
// been answered, as a browser keeps the port open for its answers.
class FuzzedStreams final : public native::ByteStream {
 public:
  FuzzedStreams(std::span<const std::uint8_t> input, std::size_t frames) : input_(input), frames_(frames) {}
  std::size_t Read(std::uint8_t* data, std::size_t size) override {
    const std::size_t n = std::min(size, input_.size() - at_);
    if (n > 0) {
      std::memcpy(data, input_.data() + at_, n);
      at_ += n;
      return n;
    }
    std::unique_lock lock(mutex_);
    answered_.wait(lock, [&] { return answers_ >= frames_; });
    return 0;
  }
  bool Write(const std::uint8_t*, std::size_t size) override {
    if (size == sizeof(std::uint32_t)) return true;  // the length before each answer
    const std::lock_guard lock(mutex_);
    ++answers_;
    answered_.notify_all();
    return true;
  }

 private:
  std::span<const std::uint8_t> input_;
  std::size_t at_ = 0;
  std::size_t frames_;
  std::size_t answers_ = 0;
  std::mutex mutex_;
  std::condition_variable answered_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  test::FlowBench bench;
  // The whole frames in the input, and whether one of them may reach the card.
  std::size_t frames = 0;
  bool mayReachTheCard = false;
  for (std::size_t at = 0; at + 4 <= size;) {
    std::uint32_t length = 0;
    std::memcpy(&length, data + at, sizeof length);
    if (length > native::kMaxFrame || at + 4 + length > size) break;
    const auto parsed = native::ParseRequest({data + at + 4, length});
    if (const auto* request = std::get_if<native::Request>(&parsed)) {
      mayReachTheCard |=
          request->kind == native::RequestKind::Member && OriginAllowed(request->origin, bench.keys.allowedOrigins);
    }
    ++frames;
    at += 4 + length;
  }
  FuzzedStreams streams({data, size}, frames);
  native::Abandonment abandonment(bench.readers, bench.platform.sleeper, bench.platform.messageBoxes, [] {});
  CustomerDesk desk;
  native::RunHost({bench.core, bench.keys.allowedOrigins, abandonment, "fuzz", SilentLog(), desk}, streams, streams);
  if (!mayReachTheCard && !bench.card.log().empty()) std::abort();
  return 0;
}
