#pragma once
// The browser's framing of native messages: a 32-bit length in the machine's
// byte order, then that many bytes of UTF-8 JSON, in both directions.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/secure_memory.h"

namespace korvaden::native {

// A request is a few hundred bytes; anything longer than this is no request.
inline constexpr std::size_t kMaxFrame = 64 * 1024;

// Standard input and output, or a test's pipe.
class ByteStream {
 public:
  virtual ~ByteStream() = default;
  // Up to `size` bytes; 0 at the end of the stream.
  virtual std::size_t Read(std::uint8_t* data, std::size_t size) = 0;
  virtual bool Write(const std::uint8_t* data, std::size_t size) = 0;
};

enum class FrameRead {
  Frame,      // `frame` holds one whole request
  End,        // the stream ended between frames
  Truncated,  // the stream ended inside a frame
  TooLong,    // the length is over kMaxFrame: the stream cannot be followed further
};

// Reads one frame into wiped storage: the request may hold a PIN.
FrameRead ReadFrame(ByteStream& in, SecureBytes& frame);
bool WriteFrame(ByteStream& out, std::string_view json);

}  // namespace korvaden::native
