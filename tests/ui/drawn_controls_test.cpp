#include <gtest/gtest.h>

#include "crypto/random.h"
#include "support/test_support.h"
#include "ui/drawn_controls.h"
#include "ui/verification_code.h"

namespace korvaden {
namespace {

class RecordingCanvas final : public Canvas {
 public:
  void Begin(int w, int h) override {
    width = w;
    height = h;
  }
  void Fill(const Rect& area, Color color) override { fills.push_back({area, color}); }
  void Frame(const Rect& area, Color pen, int penWidth) override { frames.push_back({area, pen, penWidth}); }
  void Line(int x0, int y0, int x1, int y1, Color) override { lines.push_back({x0, y0, x1, y1}); }
  void Pixel(int x, int y, Color) override {
    EXPECT_TRUE(x >= 0 && x < width && y >= 0 && y < height) << x << "," << y;
    ++pixels;
  }
  void Text(int x, int y, std::string_view text, const FontDescription& font, Color color) override {
    texts.push_back({x, y, std::string(text), font, color});
  }
  void CenteredText(const Rect& area, std::string_view text, const FontDescription& font, Color color) override {
    centred.push_back({area, std::string(text), font.face, color});
  }

  struct Filled {
    Rect area;
    Color color;
  };
  struct Framed {
    Rect area;
    Color pen;
    int penWidth;
  };
  struct Stroke {
    int x0, y0, x1, y1;
  };
  struct Written {
    int x, y;
    std::string text;
    FontDescription font;
    Color color;
  };
  struct Centred {
    Rect area;
    std::string text, face;
    Color color;
  };
  int width = 0, height = 0, pixels = 0;
  std::vector<Filled> fills;
  std::vector<Framed> frames;
  std::vector<Stroke> lines;
  std::vector<Written> texts;
  std::vector<Centred> centred;
};

TEST(VerificationImage, MaskedFieldSizesFrameAndNoise) {
  SystemRandom random;
  GRD_image image(random);
  RecordingCanvas active;
  image.RenderMasked(active, "***", 12, true, true);
  EXPECT_EQ(active.width, 240);
  EXPECT_EQ(active.height, 20);
  ASSERT_EQ(active.frames.size(), 1u);
  EXPECT_EQ(active.frames[0].pen, kRed);
  EXPECT_EQ(active.frames[0].penWidth, 2);
  ASSERT_EQ(active.texts.size(), 12u);  // W characters, blanks included
  EXPECT_EQ(active.texts[0].text, "*");
  EXPECT_EQ(active.texts[11].text, " ");
  EXPECT_EQ(active.texts[11].x, 20 * 11 + 1);
  EXPECT_EQ(active.texts[0].color, Rgb(0, 85, 0));
  EXPECT_LT(active.texts[0].font.weight, 700);
  EXPECT_EQ(active.lines.size(), 8u);
  EXPECT_EQ(active.pixels, 120);
  EXPECT_EQ(image.shownText(), "***         ");

  RecordingCanvas inactive;
  image.RenderMasked(inactive, "12345678901234567890", 6, false, false);
  EXPECT_TRUE(inactive.frames.empty());
  EXPECT_EQ(inactive.width, 120);
  ASSERT_EQ(inactive.texts.size(), 6u);  // only the first W characters
  EXPECT_EQ(inactive.texts[5].text, "6");
  EXPECT_EQ(inactive.texts[0].font.weight, 700);
  EXPECT_EQ(inactive.texts[0].font.escapement, 0);
  EXPECT_EQ(inactive.texts[0].font.face, "MS Gothic");
}

TEST(VerificationImage, StrokesStayInTheirCells) {
  SystemRandom random;
  GRD_image image(random);
  RecordingCanvas canvas;
  image.RenderText(canvas, "      ");
  EXPECT_EQ(canvas.width, 120);
  ASSERT_EQ(canvas.lines.size(), 8u);
  for (std::size_t i = 0; i < canvas.lines.size(); ++i) {
    const auto& line = canvas.lines[i];
    const int cell = 20 * static_cast<int>(i);
    EXPECT_GE(line.x0, cell + 1);
    EXPECT_LE(line.x0, cell + 20);
    EXPECT_EQ(line.x1 - line.x0, line.y1 - line.y0);  // 45 degrees down to the right
    EXPECT_LE(line.x1 - line.x0, 10);
  }
}

TEST(VerificationImage, TheCodeDrawnIsTheCodeKept) {
  SystemRandom random;
  GRD_image image(random);
  for (int round = 0; round < 20; ++round) {
    RecordingCanvas canvas;
    image.RenderCode(canvas, MakeCode(random, 6));
    EXPECT_EQ(canvas.width, 150);
    EXPECT_EQ(canvas.height, 25);
    const std::string code = image.verifyCode();
    ASSERT_EQ(canvas.texts.size(), 6u);
    std::string drawn;
    for (const auto& written : canvas.texts) drawn += written.text;
    EXPECT_EQ(drawn, code);  // what is drawn is what the pad compares with
    EXPECT_EQ(canvas.texts[5].x, 126);
    EXPECT_EQ(canvas.texts[0].font.face, "Courier New");
    EXPECT_EQ(canvas.lines.size(), 8u);
    EXPECT_EQ(canvas.pixels, 120);
  }
}

TEST(DigitButton, FaceNoiseAndCaption) {
  SystemRandom random;
  RecordingCanvas canvas;
  canvas.Begin(1000, 1000);
  const Rect item{100, 200, 130, 228};
  DrawDigitButton(canvas, random, item, "7", false, false);
  EXPECT_EQ(canvas.fills.at(0).color, kWhite);
  EXPECT_EQ(canvas.lines.size(), 8u);
  EXPECT_EQ(canvas.pixels, 8);
  ASSERT_EQ(canvas.centred.size(), 1u);
  EXPECT_EQ(canvas.centred[0].area.left, 100);
  EXPECT_EQ(canvas.centred[0].face, "Book Antiqua");

  RecordingCanvas pressed;
  pressed.Begin(1000, 1000);
  DrawDigitButton(pressed, random, item, "7", true, true);
  ASSERT_EQ(pressed.centred.size(), 2u);  // disabled: drawn twice
  EXPECT_EQ(pressed.centred[0].area.left, 102);
  EXPECT_EQ(pressed.centred[1].area.left, 101);  // pressed: one pixel right and down
}

}  // namespace
}  // namespace korvaden
