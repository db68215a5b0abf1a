#pragma once
// The waits of the card steps (100 ms before a connection, the presence
// polling) go through this interface so that tests can run them instantly.
#include <chrono>

namespace korvaden {

class Sleeper {
 public:
  virtual ~Sleeper() = default;
  virtual void Sleep(std::chrono::milliseconds duration) = 0;
};

Sleeper& SystemSleeper();

}  // namespace korvaden
