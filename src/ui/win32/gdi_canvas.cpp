#include "ui/win32/gdi_canvas.h"

#include <utility>

#include "base/windows_text.h"

namespace korvaden::ui {
namespace {

// A GDI object that is deselected and deleted when it goes out of scope.
class Selected {
 public:
  Selected(HDC dc, HGDIOBJ object) : dc_(dc), object_(object), previous_(SelectObject(dc, object)) {}
  ~Selected() {
    SelectObject(dc_, previous_);
    DeleteObject(object_);
  }
  Selected(const Selected&) = delete;
  Selected& operator=(const Selected&) = delete;

 private:
  HDC dc_;
  HGDIOBJ object_;
  HGDIOBJ previous_;
};

HFONT MakeFont(const FontDescription& font) {
  LOGFONTW description{};
  description.lfHeight = font.height;
  description.lfWidth = font.width;
  description.lfWeight = font.weight;
  description.lfEscapement = font.escapement;
  description.lfCharSet = static_cast<BYTE>(font.charSet);
  description.lfPitchAndFamily = static_cast<BYTE>(font.pitch);
  lstrcpynW(description.lfFaceName, WideFromBig5(font.face).c_str(), LF_FACESIZE);
  return CreateFontIndirectW(&description);
}

}  // namespace

GdiCanvas::GdiCanvas() : dc_(CreateCompatibleDC(nullptr)) {}

GdiCanvas::~GdiCanvas() {
  Release();
  DeleteDC(dc_);
}

void GdiCanvas::Release() {
  if (bitmap_ == nullptr) return;
  SelectObject(dc_, previousBitmap_);
  DeleteObject(bitmap_);
  bitmap_ = nullptr;
}

void GdiCanvas::Begin(int width, int height) {
  Release();
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap_ == nullptr) return;
  previousBitmap_ = SelectObject(dc_, bitmap_);
  width_ = width;
  height_ = height;
  SetBkMode(dc_, TRANSPARENT);
}

void GdiCanvas::Fill(const Rect& area, Color color) {
  const RECT rect{area.left, area.top, area.right, area.bottom};
  HBRUSH brush = CreateSolidBrush(color);
  FillRect(dc_, &rect, brush);
  DeleteObject(brush);
}

void GdiCanvas::Frame(const Rect& area, Color pen, int penWidth) {
  Selected selectedPen(dc_, CreatePen(PS_SOLID, penWidth, pen));
  const HGDIOBJ previousBrush = SelectObject(dc_, GetStockObject(WHITE_BRUSH));
  Rectangle(dc_, area.left, area.top, area.right, area.bottom);
  SelectObject(dc_, previousBrush);
}

void GdiCanvas::Line(int x0, int y0, int x1, int y1, Color pen) {
  Selected selectedPen(dc_, CreatePen(PS_SOLID, 1, pen));
  MoveToEx(dc_, x0, y0, nullptr);
  LineTo(dc_, x1, y1);
  MoveToEx(dc_, 0, 0, nullptr);
}

void GdiCanvas::Pixel(int x, int y, Color color) { SetPixel(dc_, x, y, color); }

void GdiCanvas::Text(int x, int y, std::string_view text, const FontDescription& font, Color color) {
  Selected selectedFont(dc_, MakeFont(font));
  SetTextColor(dc_, color);
  const std::wstring wide = WideFromBig5(text);
  TextOutW(dc_, x, y, wide.data(), static_cast<int>(wide.size()));
}

void GdiCanvas::CenteredText(const Rect& area, std::string_view text, const FontDescription& font, Color color) {
  Selected selectedFont(dc_, MakeFont(font));
  SetTextColor(dc_, color);
  RECT rect{area.left, area.top, area.right, area.bottom};
  const std::wstring wide = WideFromBig5(text);
  DrawTextW(dc_, wide.data(), static_cast<int>(wide.size()), &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

HBITMAP GdiCanvas::TakeBitmap() {
  if (bitmap_ == nullptr) return nullptr;
  SelectObject(dc_, previousBitmap_);
  return std::exchange(bitmap_, nullptr);
}

void GdiCanvas::CopyTo(HDC target, int x, int y) const {
  if (bitmap_ != nullptr) BitBlt(target, x, y, width_, height_, dc_, 0, 0, SRCCOPY);
}

}  // namespace korvaden::ui
