#pragma once
// The browser's pipes: standard input and output, unbuffered and binary.
#include "native/framing.h"

namespace korvaden::native {

class StandardStreams final : public ByteStream {
 public:
  StandardStreams();
  std::size_t Read(std::uint8_t* data, std::size_t size) override;
  bool Write(const std::uint8_t* data, std::size_t size) override;
};

}  // namespace korvaden::native
