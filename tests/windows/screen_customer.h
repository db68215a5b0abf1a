#pragma once
// A customer inside the test process: a thread timer that runs inside the
// dialogs' own message loops takes one step at a time (a step that is not done
// yet is tried again at the next tick), reads what the windows show and acts
// through posted messages, so that no step waits inside another dialog.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "screen_reading.h"

namespace korvaden::test {

class ScreenCustomer {
 public:
  using Step = std::function<bool()>;  // true when done
  explicit ScreenCustomer(std::vector<Step> steps);
  ~ScreenCustomer();
  bool finished() const { return next_ == steps_.size(); }

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
  std::vector<Step> steps_;
  std::size_t next_ = 0;
  bool inStep_ = false;
  UINT_PTR timer_;
};

// The customer's windows are this thread's.
inline HWND DialogWith(int id) { return screen::WindowHolding(screen::Scope::ThisThread, id); }
inline HWND BoxOwnedBy(HWND dialog) { return screen::WindowOwnedBy(screen::Scope::ThisThread, dialog); }
using screen::DigitsOf;
using screen::TextOf;
std::string ItemText(HWND dialog, int id);
void Press(HWND dialog, int id);  // a click on a button, posted
// The dialog's client area as it is on screen.
using Capture = screen::Pixels;
Capture CaptureWindow(HWND window);
// Where control `id` is inside its dialog's capture.
RECT ItemRect(HWND dialog, int id);

}  // namespace korvaden::test
