// screen_customer.exe ACTION...: a customer outside the control's process, in
// the same Wine prefix, who finds the control's windows, reads what a person
// reads off them (the test build of the control tells the digits of its
// pictures) and presses with real input (SendInput: the cursor moves to the
// button's place on screen, then the button goes down and up).
//   wait ID            wait (30 s) for a window holding control ID; it becomes the window acted on
//   gone               wait until that window is gone
//   keys DIGITS        press the keypad keys that show these digits
//   code | wrongcode   press the keys of the verification code shown, or of a wrong one
//   click ID           press control ID
//   key esc|enter      press a key
//   box                wait for a message box of the window, print its text, press Enter
//   shot FILE          write the window as it is on screen to FILE (BMP)
//   title              print the window's title, and its owner's ("none" when it has none)
//   pause MS
// Prints one line per action; exits 1 at the first action that cannot be done.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "screen_reading.h"

namespace {

using korvaden::screen::DigitsOf;
using korvaden::screen::Scope;
using korvaden::screen::TextOf;

HWND current = nullptr;

template <class Found>
bool WaitFor(Found found, int seconds = 30) {
  for (int i = 0; i < seconds * 20; ++i) {
    if (found()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

void SendMouse(DWORD flags, int x = 0, int y = 0) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flags;
  input.mi.dx = x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
  input.mi.dy = y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
  SendInput(1, &input, sizeof(input));
}

// A press at the centre of `control` on screen.
void Press(HWND control) {
  RECT rect;
  GetWindowRect(control, &rect);
  SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  std::this_thread::sleep_for(std::chrono::milliseconds(60));
  SendMouse(MOUSEEVENTF_LEFTDOWN);
  std::this_thread::sleep_for(std::chrono::milliseconds(40));
  SendMouse(MOUSEEVENTF_LEFTUP);
  std::this_thread::sleep_for(std::chrono::milliseconds(80));
}

void PressKey(WORD key) {
  INPUT inputs[2]{};
  inputs[0].type = inputs[1].type = INPUT_KEYBOARD;
  inputs[0].ki.wVk = inputs[1].ki.wVk = key;
  inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, inputs, sizeof(INPUT));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
}

int KeyId(int position) { return position == 0 ? 227 : 217 + position; }

bool PressDigits(const std::string& digits) {
  for (const char digit : digits) {
    HWND key = nullptr;
    for (int k = 0; k < 10 && key == nullptr; ++k) {
      if (DigitsOf(GetDlgItem(current, KeyId(k))) == std::string(1, digit)) key = GetDlgItem(current, KeyId(k));
    }
    if (key == nullptr) return false;
    Press(key);
  }
  return true;
}

// The window as it is on screen, with its frame, as a BMP file.
bool Shot(const std::string& file) {
  RECT rect;
  GetWindowRect(current, &rect);
  HDC screen = GetDC(nullptr);
  const korvaden::screen::Pixels pixels = korvaden::screen::CopyPixels(screen, rect);
  ReleaseDC(nullptr, screen);
  const BITMAPINFOHEADER info = pixels.Header();
  BITMAPFILEHEADER header{};
  header.bfType = 0x4D42;
  header.bfOffBits = sizeof(header) + sizeof(info);
  header.bfSize = header.bfOffBits + static_cast<DWORD>(pixels.bgr.size());
  FILE* out = std::fopen(file.c_str(), "wb");
  const bool written = out != nullptr && std::fwrite(&header, sizeof(header), 1, out) == 1 &&
                       std::fwrite(&info, sizeof(info), 1, out) == 1 &&
                       std::fwrite(pixels.bgr.data(), pixels.bgr.size(), 1, out) == 1;
  if (out != nullptr) std::fclose(out);
  return written;
}

bool Act(const std::string& verb, const std::string& argument) {
  if (verb == "wait") {
    const auto start = std::chrono::steady_clock::now();
    if (!WaitFor([&] {
          return (current = korvaden::screen::WindowHolding(Scope::Desktop, std::atoi(argument.c_str()))) != nullptr;
        }))
      return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // drawn and ready for input
    std::printf(
        "found %s after %lld ms\n", argument.c_str(),
        static_cast<long long>(
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count()));
    return true;
  }
  if (verb == "gone") return WaitFor([] { return !IsWindow(current) || !IsWindowVisible(current); });
  if (verb == "keys") return PressDigits(argument);
  if (verb == "code" || verb == "wrongcode") {
    std::string code = DigitsOf(GetDlgItem(current, 230));
    if (code.size() != 6) return false;
    if (verb == "wrongcode") code.back() = code.back() == '0' ? '1' : '0';
    return PressDigits(code);
  }
  if (verb == "click") {
    HWND control = GetDlgItem(current, std::atoi(argument.c_str()));
    if (control == nullptr) return false;
    Press(control);
    return true;
  }
  if (verb == "key") {
    PressKey(argument == "esc" ? VK_ESCAPE : VK_RETURN);
    return true;
  }
  if (verb == "box") {
    HWND box = nullptr;
    if (!WaitFor([&] { return (box = korvaden::screen::WindowOwnedBy(Scope::Desktop, current)) != nullptr; }, 10))
      return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    std::printf("box [%s] %s\n", TextOf(box).c_str(), korvaden::screen::ChildTexts(box).c_str());
    PressKey(VK_RETURN);
    return WaitFor([&] { return !IsWindow(box); }, 10);
  }
  if (verb == "shot") return Shot(argument);
  if (verb == "title") {
    HWND owner = GetWindow(current, GW_OWNER);
    std::printf("title [%s] owner [%s]\n", TextOf(current).c_str(), owner != nullptr ? TextOf(owner).c_str() : "none");
    return true;
  }
  if (verb == "pause") {
    std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(argument.c_str())));
    return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string verb = argv[i];
    const bool takesArgument =
        verb != "gone" && verb != "code" && verb != "wrongcode" && verb != "box" && verb != "title";
    const std::string argument = takesArgument && i + 1 < argc ? argv[++i] : "";
    const bool done = Act(verb, argument);
    std::printf("%s %s %s\n", done ? "did" : "COULD NOT", verb.c_str(), argument.c_str());
    std::fflush(stdout);
    if (!done) return 1;
  }
  return 0;
}
