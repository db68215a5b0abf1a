#pragma once
// The drawing surface of the pictures on Linux: a Cairo image surface, its
// texts laid out by Pango in the drawing's fonts by name (fontconfig gives a
// substitute where one is missing). The finished picture is taken by the
// window that shows it.
#include <cairo.h>

#include "ui/canvas.h"

namespace korvaden::gtk {

// A Cairo image surface, released when it goes out of scope.
class Picture {
 public:
  Picture() = default;
  explicit Picture(cairo_surface_t* surface) : surface_(surface) {}
  ~Picture() { Reset(); }
  Picture(Picture&& other) noexcept : surface_(other.surface_) { other.surface_ = nullptr; }
  Picture& operator=(Picture&& other) noexcept;
  Picture(const Picture&) = delete;
  Picture& operator=(const Picture&) = delete;

  cairo_surface_t* get() const { return surface_; }
  int width() const { return surface_ != nullptr ? cairo_image_surface_get_width(surface_) : 0; }
  int height() const { return surface_ != nullptr ? cairo_image_surface_get_height(surface_) : 0; }

 private:
  void Reset();
  cairo_surface_t* surface_ = nullptr;
};

class CairoCanvas final : public Canvas {
 public:
  CairoCanvas() = default;
  ~CairoCanvas() override;
  CairoCanvas(const CairoCanvas&) = delete;
  CairoCanvas& operator=(const CairoCanvas&) = delete;

  void Begin(int width, int height) override;
  void Fill(const Rect& area, Color color) override;
  void Frame(const Rect& area, Color pen, int penWidth) override;
  void Line(int x0, int y0, int x1, int y1, Color pen) override;
  void Pixel(int x, int y, Color color) override;
  void Text(int x, int y, std::string_view text, const FontDescription& font, Color color) override;
  void CenteredText(const Rect& area, std::string_view text, const FontDescription& font, Color color) override;

  // The picture drawn since Begin (none before Begin).
  Picture TakePicture();

 private:
  void Release();
  cairo_surface_t* surface_ = nullptr;
  cairo_t* cr_ = nullptr;
};

}  // namespace korvaden::gtk
