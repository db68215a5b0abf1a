#pragma once
// The pictures of the dialogs: GRD_image (field displays and the verification
// code, drawn with noise) and the face of the ImgBtn digit buttons, as
// algorithms over a canvas, in the order of their random draws.
#include <string>
#include <string_view>

#include "base/random_source.h"
#include "ui/canvas.h"

namespace korvaden {

class GRD_image {
 public:
  explicit GRD_image(RandomSource& random) : random_(random) {}

  void RenderText(Canvas& canvas, std::string_view text);
  void RenderMasked(Canvas& canvas, std::string_view text, std::size_t width, bool randomFont, bool active);
  // Draws a code that the PIN pad made (MakeCode), which it compares the entry with.
  void RenderCode(Canvas& canvas, std::string_view code);

  const std::string& verifyCode() const { return verifyCode_; }
  const std::string& shownText() const { return shownText_; }

 private:
  // The characters, one cell of 20 pixels each, then the noise.
  void DrawCells(Canvas& canvas, std::string_view text, const FontDescription& font);
  void DrawNoise(Canvas& canvas, int step, int width, int height);

  RandomSource& random_;
  FontDescription font_;
  std::string verifyCode_;
  std::string shownText_;
};

// The face of a digit button: white, noisy, the caption in dark green.
void DrawDigitButton(Canvas& canvas, RandomSource& random, const Rect& item, std::string_view caption, bool pressed,
                     bool disabled);

}  // namespace korvaden
