#include "screen_customer.h"

#include <string>

namespace korvaden::test {
namespace {
ScreenCustomer* current = nullptr;
}  // namespace

ScreenCustomer::ScreenCustomer(std::vector<Step> steps)
    : steps_(std::move(steps)), timer_(SetTimer(nullptr, 0, 50, Tick)) {
  current = this;
}

ScreenCustomer::~ScreenCustomer() {
  KillTimer(nullptr, timer_);
  current = nullptr;
}

void CALLBACK ScreenCustomer::Tick(HWND, UINT, UINT_PTR, DWORD) {
  ScreenCustomer* customer = current;
  if (customer == nullptr || customer->inStep_ || customer->finished()) return;
  customer->inStep_ = true;
  if (customer->steps_[customer->next_]()) ++customer->next_;
  customer->inStep_ = false;
}

std::string ItemText(HWND dialog, int id) { return TextOf(GetDlgItem(dialog, id)); }

void Press(HWND dialog, int id) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

Capture CaptureWindow(HWND window) {
  RECT client;
  GetClientRect(window, &client);
  HDC screen = GetDC(window);
  Capture capture = screen::CopyPixels(screen, client);
  ReleaseDC(window, screen);
  return capture;
}

RECT ItemRect(HWND dialog, int id) {
  RECT rect;
  GetWindowRect(GetDlgItem(dialog, id), &rect);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

}  // namespace korvaden::test
