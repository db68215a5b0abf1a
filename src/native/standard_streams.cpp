#include "native/standard_streams.h"

#include <cerrno>
#include <csignal>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#define read _read
#define write _write
#else
#include <unistd.h>
#endif

namespace korvaden::native {

StandardStreams::StandardStreams() {
#ifdef _WIN32
  // No translation of line ends: the frames are bytes.
  _setmode(0, _O_BINARY);
  _setmode(1, _O_BINARY);
#else
  // A browser that has gone is a failed write, not a signal that kills the host mid-member.
  std::signal(SIGPIPE, SIG_IGN);
#endif
}

std::size_t StandardStreams::Read(std::uint8_t* data, std::size_t size) {
  for (;;) {
    const auto n = read(0, data, static_cast<unsigned>(size));
    if (n >= 0) return static_cast<std::size_t>(n);
    if (errno != EINTR) return 0;
  }
}

bool StandardStreams::Write(const std::uint8_t* data, std::size_t size) {
  while (size > 0) {
    const auto n = write(1, data, static_cast<unsigned>(size));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace korvaden::native
