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
  RecordingFonts fonts_;
  Graphics recorded_{screen_, fonts_, errors_, [this] { return paused_; }};
};

TEST_F(GraphicsTextTest, CharactersOutsideTheShownRangeBecomeSpacesAndTheQuoteAnApostrophe) {
  const std::pair<int, char> shown[] = {{0, ' '},   {31, ' '},  {'A', 'A'},  {'z', 'z'}, {'{', ' '},
                                        {'~', ' '}, {212, ' '}, {213, '\''}, {255, ' '}};
  for (const auto& [code, display] : shown)
    EXPECT_EQ(Graphics::DisplayCharacter(static_cast<std::uint8_t>(code)), display) << code;
  recorded_.DrawString("A~B\xD5{\x1F z");
  EXPECT_EQ(fonts_.text, "A B'   z");
}

TEST_F(GraphicsTextTest, TextStandsOnTheBaselineShowsTheBackgroundAndAdvancesThePen) {
  Surface surface = WhiteSurface(12, 6);
  graphics_.SetPort(surface.port);  // the fake platform's block text
  graphics_.SetBackColor(3);
  graphics_.PaintPortRect({0, 0, 1, 12});
  graphics_.SetForeColor(2);
  graphics_.SetTextSize(4);  // glyphs 2 wide, 4 high
  graphics_.MoveTo(1, 4);
  graphics_.DrawString("A~B");
  EXPECT_EQ(surface.port.penPosition.h, 7);
  graphics_.DrawString("\xD5{");  // an apostrophe shows, the brace does not
  EXPECT_EQ(surface.port.penPosition.h, 11);
  EXPECT_EQ(surface.port.penPosition.v, 4);
  EXPECT_EQ(Picture(surface),
            "322332222333 .22..2222... .22..2222... .22..2222... ............ ............");
}

TEST_F(GraphicsTextTest, FontSixteenIsTheTitleFaceAndTheSizeIsThePixelHeight) {
  const struct {
    int font, size;
    platform::Face face;
    int pixelHeight;
  } cases[] = {{16, 18, platform::Face::kTitleFace, 18}, {888, 12, platform::Face::kArial, 12},
               {3, 9, platform::Face::kArial, 9},        {16, 0, platform::Face::kTitleFace, 12},
               {16, -5, platform::Face::kTitleFace, 12}, {17, 30000, platform::Face::kArial, 512}};
  for (const auto& c : cases) {
    recorded_.SetTextFont(c.font);
    recorded_.SetTextSize(c.size);
    recorded_.DrawString("x");
    EXPECT_EQ(fonts_.face, c.face) << c.font;
    EXPECT_EQ(fonts_.pixelHeight, c.pixelHeight) << c.size;
    fonts_ = RecordingFonts{};
    EXPECT_EQ(recorded_.StringWidth("x~"), c.pixelHeight / 2 * 2);
    EXPECT_EQ(fonts_.face, c.face);
    EXPECT_EQ(fonts_.text, "x ");
  }
}

TEST_F(GraphicsTextTest, HalfCoveredPixelsAreDrawnAndAShortImageIsNot) {
  Surface surface = WhiteSurface(6, 1);
  recorded_.SetPort(surface.port);
  recorded_.SetForeColor(1);
  platform::TextImage image{5, 1, 1, 9, {0, 127, 128, 255, 40}};  // width, height, ascent, advance
  fonts_.reply = image;
  recorded_.MoveTo(1, 1);
  recorded_.DrawString("abcde");
  EXPECT_EQ(Picture(surface), "...11.");
  EXPECT_EQ(surface.port.penPosition.h, 10);
  image.coverage.resize(3);
  fonts_.reply = image;
  recorded_.MoveTo(0, 1);
  recorded_.DrawString("abcde");
  EXPECT_EQ(Picture(surface), "...11.");
  EXPECT_EQ(surface.port.penPosition.h, 9);
}

TEST_F(GraphicsTextTest, ExclusiveOrTextInvertsAndWindowTextMarksTheCanvas) {
  Surface surface = WhiteSurface(6, 2);
  graphics_.SetPort(surface.port);
  graphics_.SetPenMode(Port::kPenXor);
  graphics_.SetTextSize(2);
  for (const char* expected : {"#.#.#. #.#.#.", "...... ......"}) {
    graphics_.MoveTo(0, 2);
    graphics_.DrawString("a b c");
    EXPECT_EQ(Picture(surface), expected);
  }
  Port window = WindowPort(0, {100, 200, 150, 260});
  graphics_.SetPort(window);
  graphics_.SetTextSize(4);
  graphics_.MoveTo(10, 20);
  graphics_.DrawString("ab");
  screen_.present();
  EXPECT_EQ(Describe(platform_.lastDirty.at(0)), "116,210,120,214");
  paused_ = true;  // measuring is no drawing
  EXPECT_EQ(graphics_.StringWidth("abc"), 6);
}

}  // namespace
}  // namespace lw::test
