#include "base/sleeper.h"

#include <thread>

namespace korvaden {
namespace {

class ThreadSleeper final : public Sleeper {
 public:
  void Sleep(std::chrono::milliseconds duration) override { std::this_thread::sleep_for(duration); }
};

}  // namespace

Sleeper& SystemSleeper() {
  static ThreadSleeper sleeper;
  return sleeper;
}

}  // namespace korvaden
