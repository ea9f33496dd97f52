// Text drawing: character mapping, faces and sizes, transparency, inversion and measuring.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "graphics_fixture.h"

namespace lw::test {
namespace {

// Block text that records the last request; it can also answer with a prepared image.
class RecordingFonts final : public platform::FontRenderer {
 public:
  platform::TextImage render(platform::Face f, int height, std::string_view t) override {
    face = f, pixelHeight = height, text = t;
    return reply ? *reply : blocks_.render(f, height, t);
  }
  int width(platform::Face f, int height, std::string_view t) override {
    face = f, pixelHeight = height, text = t;
    return blocks_.width(f, height, t);
  }
  std::optional<platform::TextImage> reply;
  platform::Face face = platform::Face::kArial;
  int pixelHeight = 0;
  std::string text;

 private:
  testing::BlockFonts blocks_;
};

class GraphicsTextTest : public GraphicsTest {
 protected:
  RecordingFonts fonts;
  Graphics recorded{screen, fonts, errors, [this] { return paused; }};
};

TEST_F(GraphicsTextTest, CharactersOutsideTheShownRangeBecomeSpacesAndTheQuoteAnApostrophe) {
  recorded.DrawString("\x1F !Az{~\xD4\xD5\xFF");
  EXPECT_EQ(fonts.text, "  !Az   ' ");
}

TEST_F(GraphicsTextTest, TextStandsOnTheBaselineShowsTheBackgroundAndAdvancesThePen) {
  Surface surface = WhiteSurface(12, 6);
  graphics.SetPort(surface.port);  // the fake platform's block text
  graphics.SetBackColor(3);
  graphics.PaintPortRect({0, 0, 1, 12});
  graphics.SetForeColor(2);
  graphics.SetTextSize(4);  // glyphs 2 wide, 4 high
  graphics.MoveTo(1, 4);
  graphics.DrawString("A~B");
  EXPECT_EQ(surface.port.penPosition.h, 7);
  graphics.DrawString("\xD5{");  // an apostrophe shows, the brace does not
  EXPECT_EQ(surface.port.penPosition.h, 11);
  EXPECT_EQ(surface.port.penPosition.v, 4);
  EXPECT_EQ(Picture(surface),
            "322332222333 .22..2222... .22..2222... .22..2222... ............ ............");
}

TEST_F(GraphicsTextTest, FontSixteenIsTheTitleFaceAndTheSizeIsThePixelHeight) {
  using enum platform::Face;
  const struct {
    int font, size;
    platform::Face face;
    int pixelHeight;
  } cases[] = {{16, 18, kTitleFace, 18}, {888, 12, kArial, 12},    {3, 9, kArial, 9},
               {16, 0, kTitleFace, 12},  {16, -5, kTitleFace, 12}, {17, 30000, kArial, 512}};
  for (const auto& c : cases) {
    recorded.SetTextFont(c.font);
    recorded.SetTextSize(c.size);
    recorded.DrawString("x");
    EXPECT_TRUE(fonts.face == c.face && fonts.pixelHeight == c.pixelHeight) << c.font << c.size;
    fonts = RecordingFonts{};
    EXPECT_EQ(recorded.StringWidth("x~"), c.pixelHeight / 2 * 2);
    EXPECT_TRUE(fonts.face == c.face && fonts.text == "x ") << c.font;
  }
}

TEST_F(GraphicsTextTest, HalfCoveredPixelsAreDrawnFromTheAscentAndAShortImageIsNot) {
  Surface surface = WhiteSurface(6, 2);
  recorded.SetPort(surface.port);
  recorded.SetForeColor(1);
  // Width 5, height 2, ascent 1 (the second row below the baseline), advance 9.
  platform::TextImage image{5, 2, 1, 9, {0, 127, 128, 255, 40, 255, 0, 0, 0, 0}};
  fonts.reply = image;
  recorded.MoveTo(1, 1);
  recorded.DrawString("abcde");
  EXPECT_EQ(Picture(surface), "...11. .1....");
  EXPECT_EQ(surface.port.penPosition.h, 10);
  image.coverage.resize(9);
  fonts.reply = image;
  recorded.MoveTo(0, 1);
  recorded.DrawString("abcde");
  EXPECT_EQ(Picture(surface), "...11. .1....");
  EXPECT_EQ(surface.port.penPosition.h, 9);
}

}  // namespace
}  // namespace lw::test
