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

HWND DialogWith(int id) {
  struct Search {
    int id;
    HWND found;
  } search{id, nullptr};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM data) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(data);
        if (IsWindowVisible(window) && GetDlgItem(window, s.id) != nullptr) s.found = window;
        return s.found == nullptr;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND BoxOwnedBy(HWND dialog) {
  struct Search {
    HWND owner;
    HWND found;
  } search{dialog, nullptr};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM data) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(data);
        if (IsWindowVisible(window) && GetWindow(window, GW_OWNER) == s.owner) s.found = window;
        return s.found == nullptr;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::string TextOf(HWND window) {
  std::string text(static_cast<std::size_t>(GetWindowTextLengthA(window)) + 1, '\0');
  text.resize(static_cast<std::size_t>(GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

std::string ItemText(HWND dialog, int id) { return TextOf(GetDlgItem(dialog, id)); }

std::string DigitsOf(HWND control) {
  const auto number = reinterpret_cast<INT_PTR>(GetPropW(control, L"KorvadenDigits"));
  return number == 0 ? std::string() : std::to_string(number).substr(1);
}

void Press(HWND dialog, int id) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

COLORREF Capture::At(int x, int y) const {
  const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
  const unsigned char* pixel = &bgr[static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x) * 3];
  return RGB(pixel[2], pixel[1], pixel[0]);
}

Capture CaptureWindow(HWND window) {
  RECT bounds;
  GetClientRect(window, &bounds);
  Capture capture;
  capture.width = bounds.right;
  capture.height = bounds.bottom;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = capture.width;
  info.bmiHeader.biHeight = -capture.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HDC screen = GetDC(window);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, capture.width, capture.height, screen, 0, 0, SRCCOPY);
  GdiFlush();
  const std::size_t stride = (static_cast<std::size_t>(capture.width) * 3 + 3) & ~std::size_t{3};
  const auto* begin = static_cast<const unsigned char*>(bits);
  capture.bgr.assign(begin, begin + stride * static_cast<std::size_t>(capture.height));
  SelectObject(memory, previous);
  DeleteObject(bitmap);
  DeleteDC(memory);
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
