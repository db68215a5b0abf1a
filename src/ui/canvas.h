#pragma once
// What the owner-drawn pictures need of a drawing surface. The Windows build
// draws with GDI into a memory bitmap; tests record the calls.
#include <cstdint>
#include <string>
#include <string_view>

namespace korvaden {

using Color = std::uint32_t;  // 0x00BBGGRR, as the platform's COLORREF
constexpr Color Rgb(unsigned r, unsigned g, unsigned b) { return (b << 16) | (g << 8) | r; }
inline constexpr Color kWhite = 0xFFFFFF;
inline constexpr Color kRed = 255;
inline constexpr Color kTextGreen = Rgb(0, 85, 0);

struct FontDescription {
  int height = 0;
  int width = 0;
  int weight = 0;
  int escapement = 0;  // tenths of a degree
  int charSet = 1;     // default character set
  int pitch = 1;       // fixed pitch
  std::string face;
};

struct Rect {
  int left, top, right, bottom;
};

class Canvas {
 public:
  virtual ~Canvas() = default;
  // A new picture of this size; it starts undefined until filled.
  virtual void Begin(int width, int height) = 0;
  virtual void Fill(const Rect& area, Color color) = 0;
  // The outline with a solid pen of this colour and width, over the white brush.
  virtual void Frame(const Rect& area, Color pen, int penWidth) = 0;
  // A one-pixel solid line; the end point itself is not painted.
  virtual void Line(int x0, int y0, int x1, int y1, Color pen) = 0;
  virtual void Pixel(int x, int y, Color color) = 0;
  // Transparent background.
  virtual void Text(int x, int y, std::string_view text, const FontDescription& font, Color color) = 0;
  // Centred horizontally and vertically on one line.
  virtual void CenteredText(const Rect& area, std::string_view text, const FontDescription& font, Color color) = 0;
};

}  // namespace korvaden
