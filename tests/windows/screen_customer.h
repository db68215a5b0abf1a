#pragma once
// A customer inside the test process: a thread timer that runs inside the
// dialogs' own message loops takes one step at a time (a step that is not done
// yet is tried again at the next tick), reads what the windows show and acts
// through posted messages, so that no step waits inside another dialog.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

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

// A visible window of this thread that holds control `id`; none yet.
HWND DialogWith(int id);
// The message box owned by `dialog`, none yet.
HWND BoxOwnedBy(HWND dialog);
std::string TextOf(HWND window);
std::string ItemText(HWND dialog, int id);
// What the test build's views tell of a picture's digits ("" when nothing).
std::string DigitsOf(HWND control);
void Press(HWND dialog, int id);  // a click on a button, posted
// The dialog as it is on screen, 24-bit, top-down.
struct Capture {
  int width = 0, height = 0;
  std::vector<unsigned char> bgr;
  COLORREF At(int x, int y) const;
};
Capture CaptureWindow(HWND window);
// Where control `id` is inside its dialog's capture.
RECT ItemRect(HWND dialog, int id);

}  // namespace korvaden::test
