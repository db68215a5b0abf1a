#include "ui/drawn_controls.h"

namespace korvaden {
namespace {

constexpr int kCell = 20;
constexpr int kNoiseStrokes = 8;
constexpr int kNoisePixels = 120;

Color NoiseColor(unsigned first, unsigned second, unsigned third) {
  return Rgb(first % 254 + 1, second % 254 + 1, third % 254 + 1);
}

}  // namespace

void GRD_image::DrawNoise(Canvas& canvas, int step, int width, int height) {
  for (int x = 0; x < kNoiseStrokes * step; x += step) {
    unsigned r[7];
    for (int i = 1; i <= 6; ++i) r[i] = random_.RandomNumber();
    const int d = static_cast<int>(r[3] % 10);
    const int x0 = x + static_cast<int>(r[1] % step) + 1, y0 = static_cast<int>(r[2] % step) + 1;
    canvas.Line(x0, y0, x0 + d + 1, y0 + d + 1, NoiseColor(r[6], r[4], r[5]));
  }
  for (int i = 0; i < kNoisePixels; ++i) {
    unsigned r[6];
    for (int j = 1; j <= 5; ++j) r[j] = random_.RandomNumber();
    canvas.Pixel(static_cast<int>(r[1] % width), static_cast<int>(r[2] % height),
                 Rgb(r[5] % 255, r[3] % 255, r[4] % 255));
  }
}

void GRD_image::DrawCells(Canvas& canvas, std::string_view text, const FontDescription& font) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    canvas.Text(kCell * static_cast<int>(i) + 1, 1, text.substr(i, 1), font, kTextGreen);
  }
}

void GRD_image::RenderText(Canvas& canvas, std::string_view text) {
  const int width = kCell * static_cast<int>(text.size());
  canvas.Begin(width, kCell);
  canvas.Fill({0, 0, width, kCell}, kWhite);
  shownText_ = text;
  font_.height = font_.width = 15;
  font_.weight = 700;
  font_.face = "MS Gothic";
  DrawCells(canvas, text, font_);
  DrawNoise(canvas, kCell, width, kCell);
}

void GRD_image::RenderMasked(Canvas& canvas, std::string_view text, std::size_t cells, bool randomFont, bool active) {
  const int width = kCell * static_cast<int>(cells);
  canvas.Begin(width, kCell);
  canvas.Fill({0, 0, width, kCell}, kWhite);
  if (active) canvas.Frame({0, 0, width, kCell}, kRed, 2);
  shownText_ = text;
  if (shownText_.size() < cells) shownText_.append(cells - shownText_.size(), ' ');
  font_.height = font_.width = 15;
  font_.face = "MS Gothic";
  font_.weight = randomFont ? random_.RandomNumber() % 700 : 700;
  font_.escapement = randomFont ? random_.RandomNumber() % 200 : 0;
  DrawCells(canvas, std::string_view(shownText_).substr(0, cells), font_);
  DrawNoise(canvas, kCell, width, kCell);
}

void GRD_image::RenderCode(Canvas& canvas, std::string_view code) {
  constexpr int kWidth = 150, kHeight = 25, kStep = 25;
  canvas.Begin(kWidth, kHeight);
  canvas.Fill({0, 0, kWidth, kHeight}, kWhite);
  verifyCode_ = code;
  FontDescription font;
  font.height = font.width = 22;
  font.weight = 700;
  font.face = "Courier New";
  for (std::size_t i = 0; i < verifyCode_.size(); ++i) {
    canvas.Text(1 + kStep * static_cast<int>(i), 3, std::string_view(verifyCode_).substr(i, 1), font, kTextGreen);
  }
  DrawNoise(canvas, kStep, kWidth, kHeight);
}

void DrawDigitButton(Canvas& canvas, RandomSource& random, const Rect& item, std::string_view caption, bool pressed,
                     bool disabled) {
  canvas.Fill(item, kWhite);
  FontDescription font;
  font.height = font.width = 22;
  font.weight = 700;
  font.face = "Book Antiqua";
  for (int stroke = 0; stroke < kNoiseStrokes; ++stroke) {
    unsigned r[12];
    for (int i = 1; i <= 6; ++i) r[i] = random.RandomNumber();
    const int d = static_cast<int>(r[3] % 5);
    const int x0 = item.left + static_cast<int>(r[1] % 25) + 1, y0 = item.top + static_cast<int>(r[2] % 25) + 1;
    canvas.Line(x0, y0, x0 + d + 1, y0 + d + 1, NoiseColor(r[6], r[4], r[5]));
    for (int i = 7; i <= 11; ++i) r[i] = random.RandomNumber();
    canvas.Pixel(item.left + static_cast<int>(r[7] % 25), item.top + static_cast<int>(r[8] % 25),
                 Rgb(r[11] % 255, r[9] % 255, r[10] % 255));
  }
  Rect text = item;
  if (pressed) text = {item.left + 1, item.top + 1, item.right + 1, item.bottom + 1};
  if (disabled) {
    canvas.CenteredText({text.left + 1, text.top + 1, text.right + 1, text.bottom + 1}, caption, font, kTextGreen);
  }
  canvas.CenteredText(text, caption, font, kTextGreen);
}

}  // namespace korvaden
