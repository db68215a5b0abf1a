#pragma once
// The drawing surface of the pictures on Windows: a memory device context with
// a 24-bit DIB section, drawn with GDI. The finished bitmap is taken by the
// window that shows it.
#include <windows.h>

#include "ui/canvas.h"

namespace korvaden::ui {

class GdiCanvas final : public Canvas {
 public:
  GdiCanvas();
  ~GdiCanvas() override;
  GdiCanvas(const GdiCanvas&) = delete;
  GdiCanvas& operator=(const GdiCanvas&) = delete;

  void Begin(int width, int height) override;
  void Fill(const Rect& area, Color color) override;
  void Frame(const Rect& area, Color pen, int penWidth) override;
  void Line(int x0, int y0, int x1, int y1, Color pen) override;
  void Pixel(int x, int y, Color color) override;
  void Text(int x, int y, std::string_view text, const FontDescription& font, Color color) override;
  void CenteredText(const Rect& area, std::string_view text, const FontDescription& font, Color color) override;

  // The picture drawn since Begin; the caller owns it (none before Begin).
  HBITMAP TakeBitmap();
  // Copies the picture to `target` at (x, y).
  void CopyTo(HDC target, int x, int y) const;

 private:
  void Release();

  HDC dc_;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previousBitmap_ = nullptr;
  int width_ = 0, height_ = 0;
};

}  // namespace korvaden::ui
