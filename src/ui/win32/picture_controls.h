#pragma once
// What the dialogs share of drawing: pictures set into static controls, the
// colours of their statics, and the OLE picture of the card prompt.
#include <windows.h>

#include <ole2.h>
#include <olectl.h>

#include <initializer_list>
#include <string_view>
#include <vector>

namespace korvaden::ui {

// Shows `picture` (owned from now on) in a bitmap static and deletes the one it
// replaces; none empties the control.
void SetPicture(HWND control, HBITMAP picture);

// The test build of the module tells the test's customer the digits that a
// person reads off a picture (the verification code, a key's caption) and a
// program could only read by OCR: as the control's property "KorvadenDigits",
// the number "1" followed by the digits. The shipped module tells nothing.
void ShowDigitsToTests(HWND control, std::string_view digits);

// The dialogs' colours: labels on RGB(234, 235, 235), some of them in red, the
// read-only code field on white.
class DialogColors {
 public:
  DialogColors(std::initializer_list<int> redIds, int whiteId);
  ~DialogColors();
  DialogColors(const DialogColors&) = delete;
  DialogColors& operator=(const DialogColors&) = delete;

  void SetRed(int id, bool red);
  // The dialog's answer to WM_CTLCOLORSTATIC and WM_CTLCOLORDLG; FALSE to any other message.
  INT_PTR Answer(UINT message, WPARAM wParam, LPARAM lParam) const;

 private:
  std::vector<int> redIds_;
  int whiteId_;
  HBRUSH background_;
};

// One picture of type "IMAGE" from the module's resources (a JPEG), loaded
// through OleLoadPicture and drawn scaled into a rectangle.
class PictureHolder {
 public:
  PictureHolder() = default;
  ~PictureHolder() { Reset(); }
  PictureHolder(const PictureHolder&) = delete;
  PictureHolder& operator=(const PictureHolder&) = delete;

  bool LoadImageResource(HINSTANCE module, int resource);  // false when it is missing
  void Draw(HDC dc, const RECT& area) const;

 private:
  void Reset();
  IPicture* picture_ = nullptr;
};

}  // namespace korvaden::ui
