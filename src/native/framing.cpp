#include "native/framing.h"

#include <cstring>

namespace korvaden::native {
namespace {

// Fills all of `data`; false when the stream ends first. `got` counts what came.
bool ReadAll(ByteStream& in, std::uint8_t* data, std::size_t size, std::size_t& got) {
  for (got = 0; got < size;) {
    const std::size_t n = in.Read(data + got, size - got);
    if (n == 0) return false;
    got += n;
  }
  return true;
}

}  // namespace

FrameRead ReadFrame(ByteStream& in, SecureBytes& frame) {
  std::uint8_t header[sizeof(std::uint32_t)];
  std::size_t got = 0;
  if (!ReadAll(in, header, sizeof header, got)) return got == 0 ? FrameRead::End : FrameRead::Truncated;
  std::uint32_t length = 0;
  std::memcpy(&length, header, sizeof length);
  if (length > kMaxFrame) return FrameRead::TooLong;
  frame.assign(length, 0);
  return ReadAll(in, frame.data(), length, got) ? FrameRead::Frame : FrameRead::Truncated;
}

bool WriteFrame(ByteStream& out, std::string_view json) {
  const auto length = static_cast<std::uint32_t>(json.size());
  std::uint8_t header[sizeof length];
  std::memcpy(header, &length, sizeof length);
  return out.Write(header, sizeof header) && out.Write(reinterpret_cast<const std::uint8_t*>(json.data()), json.size());
}

}  // namespace korvaden::native
