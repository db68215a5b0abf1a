#pragma once
// What a test's customer reads off the screen, shared by the customer inside
// the test process (tests/windows) and the one outside it (screen_customer.exe):
// finding the control's windows, the digits the test build tells of its
// pictures, and the pixels of a window as they are on screen.
#include <windows.h>

#include <string>
#include <vector>

namespace korvaden::screen {

enum class Scope { ThisThread, Desktop };

// The last visible top-level window (of this thread, or of the desktop) that
// `matches`; none yet.
template <class Matches>
HWND FindVisibleWindow(Scope scope, Matches matches) {
  struct Search {
    Matches& matches;
    HWND found;
  } search{matches, nullptr};
  const WNDENUMPROC visit = [](HWND window, LPARAM data) -> BOOL {
    auto& s = *reinterpret_cast<Search*>(data);
    if (IsWindowVisible(window) && s.matches(window)) s.found = window;
    return s.found == nullptr;
  };
  if (scope == Scope::ThisThread) {
    EnumThreadWindows(GetCurrentThreadId(), visit, reinterpret_cast<LPARAM>(&search));
  } else {
    EnumWindows(visit, reinterpret_cast<LPARAM>(&search));
  }
  return search.found;
}

// A dialog that holds control `id`.
inline HWND WindowHolding(Scope scope, int id) {
  return FindVisibleWindow(scope, [id](HWND window) { return GetDlgItem(window, id) != nullptr; });
}

// The message box (or any window) owned by `owner`.
inline HWND WindowOwnedBy(Scope scope, HWND owner) {
  return FindVisibleWindow(scope, [owner](HWND window) { return GetWindow(window, GW_OWNER) == owner; });
}

inline std::string TextOf(HWND window) {
  std::string text(static_cast<std::size_t>(GetWindowTextLengthA(window)) + 1, '\0');
  text.resize(static_cast<std::size_t>(GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

// Every text inside a window, each followed by "|": Wine and Windows number a
// message box's text control differently.
inline std::string ChildTexts(HWND window) {
  std::string texts;
  EnumChildWindows(
      window,
      [](HWND child, LPARAM data) -> BOOL {
        *reinterpret_cast<std::string*>(data) += TextOf(child) + "|";
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&texts));
  return texts;
}

// What the test build's views tell of a picture's digits ("" when nothing).
inline std::string DigitsOf(HWND control) {
  const auto number = reinterpret_cast<INT_PTR>(GetPropW(control, L"KorvadenDigits"));
  return number == 0 ? std::string() : std::to_string(number).substr(1);
}

// A rectangle of a device context, 24-bit, top-down, rows padded to 4 bytes.
struct Pixels {
  int width = 0, height = 0;
  std::vector<unsigned char> bgr;
  std::size_t Stride() const { return (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3}; }
  COLORREF At(int x, int y) const {
    const unsigned char* pixel = &bgr[static_cast<std::size_t>(y) * Stride() + static_cast<std::size_t>(x) * 3];
    return RGB(pixel[2], pixel[1], pixel[0]);
  }
  BITMAPINFOHEADER Header() const {
    BITMAPINFOHEADER header{};
    header.biSize = sizeof(header);
    header.biWidth = width;
    header.biHeight = -height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    return header;
  }
};

// Copied with BitBlt: under Wine PrintWindow leaves the child controls out.
inline Pixels CopyPixels(HDC source, const RECT& rect) {
  Pixels pixels;
  pixels.width = rect.right - rect.left;
  pixels.height = rect.bottom - rect.top;
  BITMAPINFO info{};
  info.bmiHeader = pixels.Header();
  void* bits = nullptr;
  HDC memory = CreateCompatibleDC(source);
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, pixels.width, pixels.height, source, rect.left, rect.top, SRCCOPY);
  GdiFlush();
  const auto* begin = static_cast<const unsigned char*>(bits);
  pixels.bgr.assign(begin, begin + pixels.Stride() * static_cast<std::size_t>(pixels.height));
  SelectObject(memory, previous);
  DeleteObject(bitmap);
  DeleteDC(memory);
  return pixels;
}

}  // namespace korvaden::screen
