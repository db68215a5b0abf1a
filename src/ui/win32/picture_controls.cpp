#include "ui/win32/picture_controls.h"

#include <algorithm>
#include <cstring>

#include "ui/canvas.h"

namespace korvaden::ui {

void SetPicture(HWND control, HBITMAP picture) {
  const auto replaced =
      reinterpret_cast<HBITMAP>(SendMessageW(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture)));
  if (replaced != nullptr && replaced != picture) DeleteObject(replaced);
  BITMAP size{};
  if (picture == nullptr || GetObjectW(picture, sizeof(size), &size) == 0) return;
  // The control takes the picture's size; its sunken edge goes around it.
  RECT bounds{0, 0, size.bmWidth, size.bmHeight};
  AdjustWindowRectEx(&bounds, static_cast<DWORD>(GetWindowLongW(control, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongW(control, GWL_EXSTYLE)));
  SetWindowPos(control, nullptr, 0, 0, bounds.right - bounds.left, bounds.bottom - bounds.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

#ifdef KORVADEN_SHOWS_DIGITS_TO_TESTS
void ShowDigitsToTests(HWND control, std::string_view digits) {
  long long number = 1;
  for (const char digit : digits) number = number * 10 + (digit - '0');
  SetPropW(control, L"KorvadenDigits", reinterpret_cast<HANDLE>(static_cast<INT_PTR>(number)));
}
#else
void ShowDigitsToTests(HWND, std::string_view) {}
#endif

namespace {
constexpr Color kLabelBackground = Rgb(234, 235, 235);
}  // namespace

DialogColors::DialogColors(std::initializer_list<int> redIds, int whiteId)
    : redIds_(redIds), whiteId_(whiteId), background_(CreateSolidBrush(kLabelBackground)) {}

DialogColors::~DialogColors() { DeleteObject(background_); }

void DialogColors::SetRed(int id, bool red) {
  std::erase(redIds_, id);
  if (red) redIds_.push_back(id);
}

INT_PTR DialogColors::Answer(UINT message, WPARAM wParam, LPARAM lParam) const {
  if (message == WM_CTLCOLORDLG) return reinterpret_cast<INT_PTR>(background_);
  if (message != WM_CTLCOLORSTATIC) return FALSE;
  const auto dc = reinterpret_cast<HDC>(wParam);
  const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
  if (std::find(redIds_.begin(), redIds_.end(), id) != redIds_.end()) SetTextColor(dc, kRed);
  if (id == whiteId_) {
    SetBkColor(dc, kWhite);
    return reinterpret_cast<INT_PTR>(GetStockObject(WHITE_BRUSH));
  }
  SetBkColor(dc, kLabelBackground);
  return reinterpret_cast<INT_PTR>(background_);
}

bool PictureHolder::LoadImageResource(HINSTANCE module, int resource) {
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(resource), L"IMAGE");
  HGLOBAL loaded = found != nullptr ? LoadResource(module, found) : nullptr;
  const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
  const DWORD size = found != nullptr ? SizeofResource(module, found) : 0;
  if (bytes == nullptr || size == 0) return false;
  HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
  if (copy == nullptr) return false;
  std::memcpy(GlobalLock(copy), bytes, size);
  GlobalUnlock(copy);
  IStream* stream = nullptr;
  if (FAILED(CreateStreamOnHGlobal(copy, TRUE, &stream))) {
    GlobalFree(copy);
    return false;
  }
  Reset();
  const HRESULT result =
      OleLoadPicture(stream, static_cast<LONG>(size), FALSE, IID_IPicture, reinterpret_cast<void**>(&picture_));
  stream->Release();
  if (FAILED(result)) picture_ = nullptr;
  return picture_ != nullptr;
}

void PictureHolder::Draw(HDC dc, const RECT& area) const {
  if (picture_ == nullptr) return;
  OLE_XSIZE_HIMETRIC width = 0;
  OLE_YSIZE_HIMETRIC height = 0;
  picture_->get_Width(&width);
  picture_->get_Height(&height);
  RECT target = area;
  if (IsRectEmpty(&area)) {  // the picture's own size
    target.right = target.left + MulDiv(width, GetDeviceCaps(dc, LOGPIXELSX), 2540);
    target.bottom = target.top + MulDiv(height, GetDeviceCaps(dc, LOGPIXELSY), 2540);
  }
  picture_->Render(dc, target.left, target.top, target.right - target.left, target.bottom - target.top, 0, height,
                   width, -height, nullptr);
}

void PictureHolder::Reset() {
  if (picture_ != nullptr) picture_->Release();
  picture_ = nullptr;
}

}  // namespace korvaden::ui
