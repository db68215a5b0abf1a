#include "ui/gtk/cairo_canvas.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <numbers>
#include <utility>

#include "base/utf8_text.h"

namespace korvaden::gtk {
namespace {

void SetColor(cairo_t* cr, Color color) {
  cairo_set_source_rgb(cr, (color & 0xFF) / 255.0, ((color >> 8) & 0xFF) / 255.0, ((color >> 16) & 0xFF) / 255.0);
}

// A GDI-like font: its height in pixels (a negative height is the
// characters' own, as in a LOGFONT), its weight (0 is the normal one) and its
// average character width, which stretches the glyphs horizontally.
class Layout {
 public:
  Layout(cairo_t* cr, std::string_view text, const FontDescription& font)
      : layout_(pango_cairo_create_layout(cr)), description_(pango_font_description_new()) {
    const std::string family = Utf8FromBig5(font.face);
    pango_font_description_set_family(description_, family.c_str());
    pango_font_description_set_absolute_size(description_, std::max(1, std::abs(font.height)) * PANGO_SCALE);
    pango_font_description_set_weight(
        description_, static_cast<PangoWeight>(font.weight == 0 ? 400 : std::clamp(font.weight, 100, 1000)));
    pango_layout_set_font_description(layout_, description_);
    if (font.width > 0) {
      pango_layout_set_text(layout_, "x", 1);
      int natural = 0;
      pango_layout_get_pixel_size(layout_, &natural, nullptr);
      if (natural > 0) stretch_ = static_cast<double>(font.width) / natural;
    }
    const std::string utf8 = Utf8FromBig5(text);
    pango_layout_set_text(layout_, utf8.data(), static_cast<int>(utf8.size()));
  }
  ~Layout() {
    pango_font_description_free(description_);
    g_object_unref(layout_);
  }
  Layout(const Layout&) = delete;
  Layout& operator=(const Layout&) = delete;

  int width() const {
    int w = 0;
    pango_layout_get_pixel_size(layout_, &w, nullptr);
    return static_cast<int>(w * stretch_ + 0.5);
  }
  int height() const {
    int h = 0;
    pango_layout_get_pixel_size(layout_, nullptr, &h);
    return h;
  }
  // At (x, y), the top left of the text, turned by `escapement` tenths of a
  // degree counter-clockwise around it.
  void Show(cairo_t* cr, double x, double y, int escapement, Color color) const {
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_rotate(cr, -escapement / 10.0 * std::numbers::pi / 180.0);
    cairo_scale(cr, stretch_, 1.0);
    SetColor(cr, color);
    pango_cairo_update_layout(cr, layout_);
    pango_cairo_show_layout(cr, layout_);
    cairo_restore(cr);
  }

 private:
  PangoLayout* layout_;
  PangoFontDescription* description_;
  double stretch_ = 1.0;
};

}  // namespace

Picture& Picture::operator=(Picture&& other) noexcept {
  if (this != &other) {
    Reset();
    surface_ = std::exchange(other.surface_, nullptr);
  }
  return *this;
}

void Picture::Reset() {
  if (surface_ != nullptr) cairo_surface_destroy(surface_);
  surface_ = nullptr;
}

CairoCanvas::~CairoCanvas() { Release(); }

void CairoCanvas::Release() {
  if (cr_ != nullptr) cairo_destroy(cr_);
  if (surface_ != nullptr) cairo_surface_destroy(surface_);
  cr_ = nullptr;
  surface_ = nullptr;
}

void CairoCanvas::Begin(int width, int height) {
  Release();
  surface_ = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
  cr_ = cairo_create(surface_);
  cairo_set_antialias(cr_, CAIRO_ANTIALIAS_NONE);
}

void CairoCanvas::Fill(const Rect& area, Color color) {
  if (cr_ == nullptr) return;
  SetColor(cr_, color);
  cairo_rectangle(cr_, area.left, area.top, area.right - area.left, area.bottom - area.top);
  cairo_fill(cr_);
}

// The outline drawn inside the area, `penWidth` pixels wide, over white.
void CairoCanvas::Frame(const Rect& area, Color pen, int penWidth) {
  if (cr_ == nullptr) return;
  Fill(area, kWhite);
  SetColor(cr_, pen);
  cairo_set_line_width(cr_, penWidth);
  const double inset = penWidth / 2.0;
  cairo_rectangle(cr_, area.left + inset, area.top + inset, area.right - area.left - penWidth,
                  area.bottom - area.top - penWidth);
  cairo_stroke(cr_);
}

// One pixel wide, from the first point up to (not including) the last.
void CairoCanvas::Line(int x0, int y0, int x1, int y1, Color pen) {
  if (cr_ == nullptr) return;
  SetColor(cr_, pen);
  const int steps = std::max(std::abs(x1 - x0), std::abs(y1 - y0));
  for (int i = 0; i < steps; ++i) {
    const int x = x0 + (x1 - x0) * i / steps, y = y0 + (y1 - y0) * i / steps;
    cairo_rectangle(cr_, x, y, 1, 1);
  }
  cairo_fill(cr_);
}

void CairoCanvas::Pixel(int x, int y, Color color) {
  if (cr_ == nullptr) return;
  SetColor(cr_, color);
  cairo_rectangle(cr_, x, y, 1, 1);
  cairo_fill(cr_);
}

void CairoCanvas::Text(int x, int y, std::string_view text, const FontDescription& font, Color color) {
  if (cr_ == nullptr) return;
  Layout(cr_, text, font).Show(cr_, x, y, font.escapement, color);
}

void CairoCanvas::CenteredText(const Rect& area, std::string_view text, const FontDescription& font, Color color) {
  if (cr_ == nullptr) return;
  const Layout layout(cr_, text, font);
  layout.Show(cr_, (area.left + area.right - layout.width()) / 2, (area.top + area.bottom - layout.height()) / 2,
              font.escapement, color);
}

Picture CairoCanvas::TakePicture() {
  if (cr_ != nullptr) cairo_destroy(cr_);
  cr_ = nullptr;
  if (surface_ != nullptr) cairo_surface_flush(surface_);
  return Picture(std::exchange(surface_, nullptr));
}

}  // namespace korvaden::gtk
