// Drawing state, fills, frames, lines, copies, text, clipping, origins, dirty marking, pausing
// and tracking a rectangle; the rectangle operations under them, and the screen that presents
// what changed.
#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "shell/drawing/graphics.h"
#include "shell/drawing/rect_ops.h"
#include "shell/drawing/screen.h"
#include "shell/drawing/track_rect.h"
#include "support/shell_printers.h"
#include "support/shell_rig.h"

namespace lw::test {
namespace {

// Shared set-up of the drawing tests: a Graphics over the rig's screen that can be paused, and
// the ports of windows on the screen canvas.
class GraphicsTest : public ::testing::Test, protected ShellRig {
 protected:
  // The port of window `index`, showing `bounds` of the screen canvas.
  Port WindowPort(int index, const Rect& bounds) {
    Port port;
    port.surface = &screen.canvas();
    port.window = index;
    port.bounds = bounds;
    return port;
  }

  // A white surface of `width` x `height` that drawing goes to from now on.
  Surface& DrawOn(int width, int height) {
    Surface& surface = surfaces.emplace_back(WhiteSurface(width, height));
    graphics.SetPort(surface.port);
    return surface;
  }

  std::deque<Surface> surfaces;  // a deque keeps each surface where it is
  bool paused = false;
  Graphics graphics{screen, platform.blockFonts, errors, [this] { return paused; }};
};

// That copies keep their own pixels is decided by every test that keeps a surface to compare
// with, and moves by every surface of DrawOn's.
TEST_F(GraphicsTest, SurfacesHaveWholeWordRowsAndCopiesTheirOwnPort) {
  std::string rows;
  for (const auto& [width, height] : {std::pair{5, 3}, {8, 2}, {1, 1}, {-3, 2}})
    rows += std::to_string(Surface(width, height).rowBytes()) + " ";
  EXPECT_EQ(rows, "8 8 4 0 ");
  const Surface original = WhiteSurface(3, 1);
  const Surface copy = original;
  EXPECT_EQ(copy.port.surface, &copy);
}

// The colours come from the palette; InitPort resets everything but what the port draws on.
TEST_F(GraphicsTest, ColoursComeFromThePaletteAndInitPortKeepsWhatThePortDrawsOn) {
  Palette palette{};
  palette[7] = Rgb{10, 20, 30};
  screen.setPalette(palette);
  Port port = WindowPort(3, {10, 20, 30, 40});
  graphics.SetPort(port);
  graphics.SetForeColor(7);
  graphics.SetBackColor(7);
  EXPECT_EQ(Print(port.foreRgb) + " " + Print(port.backRgb), "10,20,30 10,20,30");
  graphics.SetPattern({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE});
  graphics.MoveTo(5, 6);
  Graphics::SetOrigin(port, 7, 8);  // the port rectangle moves with the origin
  EXPECT_EQ(Print(Graphics::GetPortRect(port)), "8,7,28,27");
  Graphics::InitPort(port);
  EXPECT_EQ(
      std::tie(port.surface, port.window, port.foreIndex, port.solidPattern, port.penPosition.h,
               port.originV),
      std::make_tuple(&screen.canvas(), 3, Port::kBlack, true, std::int16_t{0}, std::int16_t{0}));
  EXPECT_EQ(Print(port.bounds), "10,20,30,40");
}

TEST_F(GraphicsTest, PaintAndPatternFillCoverExactlyTheRectangle) {
  Surface& painted = DrawOn(8, 4);
  graphics.SetBackColor(3);
  graphics.PaintPortRect({1, 2, 3, 5});
  graphics.PaintPortRect({3, 3, 3, 6});  // empty
  graphics.PaintPortRect({4, 6, 1, 7});  // upside down
  EXPECT_EQ(Picture(painted), "........ ..333... ..333... ........");

  // The pattern starts at the rectangle's corner (not a multiple of 8), and starts again after
  // 8 rows and 8 columns.
  Surface& patterned = DrawOn(14, 11);
  graphics.SetForeColor(0);
  graphics.SetBackColor(1);
  graphics.SetPattern({0x81, 0x40, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x00});
  graphics.FillPatternRect({1, 3, 10, 12});
  EXPECT_EQ(Picture(patterned),
            ".............. ...#111111##.. ...1#1111111.. ...111111111.. ...#########.. "
            "...111111111.. ...111111111.. ...111111111.. ...111111111.. ...#111111##.. "
            "..............");
}

TEST_F(GraphicsTest, FramesLieInsideTheRectangleWithThePenWidthInAnyColour) {
  Surface& surface = DrawOn(8, 8);
  graphics.SetForeColor(2);
  graphics.SetPenMode(5);
  graphics.FramePortRect({1, 1, 7, 7});
  EXPECT_EQ(Picture(surface),
            "........ .222222. .2....2. .2....2. .2....2. .2....2. .222222. "
            "........");
  graphics.SetPattern({0, 0, 0, 0, 0, 0, 0, 0});
  graphics.PenNormal();  // copy, black (as wide as any other colour), solid
  graphics.SetPenWidth(3);
  graphics.FramePortRect({0, 0, 8, 8});
  EXPECT_EQ(Picture(surface),
            "######## ######## ######## ###..### ###..### ######## ######## "
            "########");
  Surface& small = DrawOn(5, 4);
  graphics.SetPenWidth(2);
  graphics.FramePortRect({0, 0, 3, 4});  // the sides meet: the whole rectangle
  graphics.SetPenWidth(-2);              // no frame at all (a pen of 0 draws no line either)
  graphics.FramePortRect({0, 0, 4, 5});
  EXPECT_EQ(Picture(small), "####. ####. ####. .....");
}

TEST_F(GraphicsTest, ExclusiveOrAndDimFramesFlipEachPixelOnce) {
  Surface& surface = DrawOn(10, 10);
  graphics.SetBackColor(0);
  graphics.PaintPortRect({3, 3, 7, 7});
  const std::string before = Picture(surface);
  graphics.SetForeColor(4);  // no part in exclusive-or
  graphics.SetPenMode(Port::kPenXor);
  graphics.SetPenWidth(3);
  graphics.FramePortRect({1, 1, 9, 9});
  EXPECT_EQ(Picture(surface),
            ".......... .########. .########. .##....##. .##.##.##. "
            ".##.##.##. .##....##. .########. .########. ..........");
  graphics.FramePortRect({1, 1, 9, 9});
  EXPECT_EQ(Picture(surface), before);

  Surface& dim = DrawOn(8, 8);
  graphics.SetForeColor(2);
  graphics.FramePortRectDim({1, 1, 7, 7});
  EXPECT_EQ(Picture(dim),
            "........ .2.2.2.. ......2. .2...... ......2. .2...... ..2.2.2. "
            "........");
  EXPECT_EQ(dim.port.foreIndex, Port::kBlack);  // then the normal pen
}

// The pixels of a line as the nearest pixel to the true line at each step of its longer axis
// (the lines used have no halfway cases), each covered by a square pen of `width`.
std::set<std::pair<int, int>> IdealLine(int x0, int y0, int x1, int y1, int width) {
  std::set<std::pair<int, int>> pixels;
  const int steps = std::max(std::abs(x1 - x0), std::abs(y1 - y0));
  for (int t = 0; t <= steps; ++t) {
    const auto x = x0 + std::lround(static_cast<double>(t) * (x1 - x0) / steps);
    const auto y = y0 + std::lround(static_cast<double>(t) * (y1 - y0) / steps);
    for (int dy = 0; dy < width; ++dy)
      for (int dx = 0; dx < width; ++dx) pixels.insert({x + dx, y + dy});
  }
  return pixels;
}

std::set<std::pair<int, int>> BlackPixels(const Surface& surface) {
  std::set<std::pair<int, int>> black;
  for (int y = 0; y < surface.height(); ++y)
    for (int x = 0; x < surface.width(); ++x)
      if (surface.at(x, y) == Port::kBlack) black.insert({x, y});
  return black;
}

TEST_F(GraphicsTest, LinesInEveryDirectionCoverTheNearestPixelsWithTheSquarePen) {
  constexpr int kC = 10;  // the centre the lines start from
  const int ends[][2] = {{6, 2}, {2, 6},  {-2, 6}, {-6, 2}, {-6, -2}, {-2, -6}, {2, -6},  {6, -2},
                         {5, 0}, {-5, 0}, {0, 5},  {0, -5}, {4, 4},   {-4, 4},  {-4, -4}, {4, -4}};
  for (const int width : {0, 1, 2}) {  // a pen of width 0 draws nothing, and still moves
    for (const std::int16_t mode : {Port::kPenCopy, Port::kPenXor}) {
      for (const auto& [dx, dy] : ends) {
        for (const bool reversed : {false, true}) {
          Surface& surface = DrawOn(24, 24);
          graphics.SetPenWidth(width);
          graphics.SetPenMode(mode);
          graphics.MoveTo(kC + (reversed ? dx : 0), kC + (reversed ? dy : 0));
          graphics.LineTo(kC + (reversed ? 0 : dx), kC + (reversed ? 0 : dy));
          EXPECT_EQ(BlackPixels(surface), IdealLine(kC, kC, kC + dx, kC + dy, width))
              << dx << "," << dy << " width " << width << " mode " << mode << " " << reversed;
          EXPECT_EQ(surface.port.penPosition.h, kC + (reversed ? 0 : dx));
          EXPECT_EQ(surface.port.penPosition.v, kC + (reversed ? 0 : dy));
        }
      }
    }
  }
}

TEST_F(GraphicsTest, DrawingIsClippedToThePortAndTheSurface) {
  Surface surface = WhiteSurface(6, 4);
  surface.port.bounds = {1, 1, 3, 4};  // a port showing part of its surface
  graphics.SetPort(surface.port);
  graphics.SetBackColor(3);
  graphics.PaintPortRect({-32768, -32768, 32767, 32767});
  EXPECT_EQ(Picture(surface), "...... .333.. .333.. ......");
  graphics.SetPenWidth(40);
  graphics.MoveTo(-20, -20);
  graphics.LineTo(-10, -10);  // reaches the port only through its width
  EXPECT_EQ(Picture(surface), "...... .###.. .###.. ......");

  Surface framed = WhiteSurface(8, 6);      // rows without padding after the last pixel
  framed.port.bounds = {-50, -50, 50, 50};  // bounds beyond the surface
  Graphics::SetOrigin(framed.port, -50, -50);
  graphics.SetPort(framed.port);
  graphics.SetPenWidth(2);
  graphics.FramePortRect({-1, -1, 7, 9});  // across every edge: the inner half shows
  EXPECT_EQ(Picture(framed), "######## #......# #......# #......# #......# ########");
  Surface& lined = DrawOn(6, 6);
  graphics.MoveTo(-32768, -32768);
  graphics.LineTo(32767, 32767);
  EXPECT_EQ(Picture(lined), "#..... .#.... ..#... ...#.. ....#. .....#");
  graphics.SetPenWidth(32767);
  graphics.MoveTo(-32768, 32767);
  graphics.LineTo(32767, -32768);
  EXPECT_EQ(BlackPixels(lined).size(), 36u);
}

TEST_F(GraphicsTest, DrawingOnTheCanvasMarksWhatChangedWithinTheWindow) {
  DrawOn(8, 8);
  graphics.PaintPortRect({0, 0, 8, 8});  // not on the screen
  Port window = WindowPort(0, {100, 200, 150, 260});
  graphics.SetPort(window);
  graphics.SetBackColor(5);
  graphics.PaintPortRect({-50, -50, -10, -10});  // outside the window
  screen.present();
  EXPECT_EQ(platform.presents, 0);
  graphics.PaintPortRect({5, 10, 15, 30});
  EXPECT_EQ(screen.canvas().at(210, 105), 5);
  EXPECT_EQ(Presented(), "105,210,115,230");
  graphics.SetPenWidth(2);
  graphics.MoveTo(-100, 40);
  graphics.LineTo(100, 40);
  EXPECT_EQ(Presented(), "140,200,142,260");
}

TEST_F(GraphicsTest, NothingChangesWhilePaused) {
  Surface& surface = DrawOn(8, 8);
  const Surface black(8, 8);
  const Port before = surface.port;
  paused = true;
  graphics.SetForeColor(3);
  graphics.SetBackColor(4);
  graphics.SetPenWidth(3);
  graphics.SetPenMode(Port::kPenXor);
  graphics.SetPattern({1, 2, 3, 4, 5, 6, 7, 8});
  graphics.MoveTo(2, 2);
  graphics.LineTo(6, 6);
  graphics.PaintPortRect({0, 0, 8, 8});
  graphics.FillPatternRect({0, 0, 8, 8});
  graphics.FramePortRect({0, 0, 8, 8});
  graphics.FramePortRectDim({0, 0, 8, 8});
  graphics.DrawString("Hello");
  graphics.CopyBits(black.port, surface.port, {0, 0, 8, 8}, {0, 0, 8, 8});
  EXPECT_EQ(Picture(surface), Picture(WhiteSurface(8, 8)));
  const Port& after = surface.port;
  EXPECT_EQ(std::tie(after.foreIndex, after.backIndex, after.penWidth, after.penMode, after.pattern,
                     after.penPosition.h),
            std::tie(before.foreIndex, before.backIndex, before.penWidth, before.penMode,
                     before.pattern, before.penPosition.h));
}

// Rectangle operations. SectRect and UnionRect are also exercised by every clipped drawing and
// by the screen's merging of changes; these pin their edge cases.
TEST(RectOpsTest, SectionsUnionsPointsAndOffsets) {
  Rect a{0, 0, 10, 10};
  EXPECT_TRUE(SectRect(a, {2, -3, 20, 5}, a));  // written over an argument
  EXPECT_EQ(Print(a), "2,0,10,5");
  Rect out{9, 9, 9, 9};
  EXPECT_FALSE(SectRect({0, 0, 10, 10}, {10, 0, 20, 10}, out));
  EXPECT_EQ(Print(out), "0,0,0,0");
  // Empty rectangles hold no pixel and add nothing.
  EXPECT_EQ(Print(std::vector<Rect>{
                UnionRect({0, 0, 2, 2}, {5, -3, 6, 1}), UnionRect({0, 0, 0, 0}, {5, 5, 6, 6}),
                UnionRect({5, 5, 6, 6}, {40, 40, 30, 50}), UnionRect({3, 3, 3, 3}, {7, 7, 1, 1})}),
            "0,-3,6,2 5,5,6,6 5,5,6,6 0,0,0,0");
  EXPECT_TRUE(EqualRect({1, 2, 3, 4}, {1, 2, 3, 4}));
  EXPECT_FALSE(EqualRect({1, 2, 3, 4}, {1, 2, 3, 5}) || EqualRect({1, 2, 3, 4}, {0, 2, 3, 4}));
  const Rect r{10, 20, 30, 40};
  EXPECT_TRUE(PtInRect(Point{10, 20}, r) && PtInRect(Point{29, 39}, r));
  EXPECT_FALSE(PtInRect(Point{30, 39}, r) || PtInRect(Point{29, 40}, r));
  Rect moved = r;
  OffsetRect(moved, 5, -7);
  EXPECT_EQ(Print(moved), "3,25,23,45");
  OffsetRect(moved, 40000, -40000);  // stops at the ends of the range instead of wrapping
  EXPECT_EQ(Print(moved), "-32768,32767,-32768,32767");
}

TEST(RectOpsTest, MapRectScalesEachAxisOrOnlyMovesForEqualSizes) {
  const Rect cases[][4] = {
      // rectangle, from, to, expected. Twice as wide, half as high, elsewhere:
      {{50, 100, 100, 200}, {0, 0, 100, 200}, {10, 20, 60, 420}, {35, 220, 60, 420}},
      {{1, 1, 2, 2}, {0, 0, 3, 3}, {0, 0, 4, 4}, {1, 1, 2, 2}},  // truncated
      {{0, 0, 3, 3}, {0, 0, 2, 2}, {0, 0, 3, 3}, {0, 0, 4, 4}},
      {{5, 6, 7, 8}, {0, 0, 10, 10}, {100, 200, 110, 210}, {105, 206, 107, 208}},
      // A frame of no size cannot scale: the rectangle only moves.
      {{5, 6, 7, 8}, {0, 0, 0, 0}, {100, 200, 110, 210}, {105, 206, 107, 208}},
      // Products beyond 32 bits.
      {{0, 0, 32000, 32000},
       {-32000, -32000, 32000, 32000},
       {0, -32000, 2, 32000},
       {1, 0, 2, 32000}},
  };
  for (const auto& [r, from, to, expected] : cases)
    EXPECT_EQ(Print(MapRect(r, from, to)), Print(expected)) << Print(r);
}

class ScreenTest : public ::testing::Test, protected ShellRig {};

TEST_F(ScreenTest, PresentSendsTheClippedChangesOnce) {
  screen.present();
  EXPECT_EQ(platform.presents, 0);

  screen.canvas().row(7)[9] = 42;
  screen.markDirty({-10, -10, 8, 10});
  screen.markDirty({470, 600, 900, 900});
  screen.markDirty({-50, 700, -10, 800});  // wholly outside
  screen.markDirty({3, 3, 3, 9});          // empty
  EXPECT_EQ(Presented(), "0,0,8,10 470,600,480,640");
  EXPECT_EQ(platform.shown.at(7 * 640 + 9), 42);
  EXPECT_EQ(Presented(), "");
  EXPECT_EQ(platform.presents, 1);
}

TEST_F(ScreenTest, OverlappingChangesMergeAndManyBecomeOne) {
  screen.markDirty({0, 0, 10, 10});
  screen.markDirty({100, 100, 110, 110});
  screen.markDirty({5, 5, 20, 20});
  EXPECT_EQ(Presented(), "100,100,110,110 0,0,20,20");
  // A merge that grows to reach a rectangle looked at before takes it in as well.
  screen.markDirty({9, 11, 20, 20});
  screen.markDirty({0, 0, 10, 10});
  screen.markDirty({5, 5, 8, 12});
  EXPECT_EQ(Presented(), "0,0,20,20");

  // Sixteen separate rectangles stay apart; a seventeenth joins them all.
  const auto band = [](int i, int left) {
    return Rect{static_cast<std::int16_t>(i * 20), static_cast<std::int16_t>(left),
                static_cast<std::int16_t>(i * 20 + 5), static_cast<std::int16_t>(left + 5)};
  };
  std::string apart;
  for (int i = 0; i < 16; ++i) {
    screen.markDirty(band(i, 0));
    apart += (i ? " " : "") + Print(band(i, 0));
  }
  EXPECT_EQ(Presented(), apart);
  for (int i = 0; i < 17; ++i) screen.markDirty(band(i, 10));
  EXPECT_EQ(Presented(), "0,10,325,15");
}

// That the platform gets the palette is the palette state's test.
TEST_F(ScreenTest, ANewPaletteRedrawsEverything) {
  screen.setPalette(Palette{});
  screen.markDirty({5, 5, 6, 6});
  EXPECT_EQ(Presented(), "0,0,480,640");
}

// Copies of pixel blocks between surfaces and windows.
// Pixel (x, y) is the digit 1 + (x + 2y) mod 9, so that every block differs.
void PaintDigits(Surface& surface, const Rect& area) {
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x)
      surface.row(y)[x] = static_cast<std::uint8_t>(1 + (x + 2 * y) % 9);
}

class GraphicsCopyTest : public GraphicsTest {
 protected:
  GraphicsCopyTest() { PaintDigits(source, source.rect()); }
  Surface source{6, 4};  // 123456 345678 567891 789123
};

TEST_F(GraphicsCopyTest, SurfaceCopiesTakeTheDestinationSizeAndClipBothSidesTogether) {
  Surface destination = WhiteSurface(6, 3);
  // Only the source rectangle's corner is used.
  graphics.CopyBits(source.port, destination.port, {1, 2, 2, 3}, {0, 1, 2, 4});
  EXPECT_EQ(Picture(destination), ".567.. .789.. ......");

  Surface below = WhiteSurface(4, 4);  // the source starts above and left of its surface
  graphics.CopyBits(source.port, below.port, {-1, -1, 0, 0}, {0, 0, 3, 3});
  EXPECT_EQ(Picture(below), ".... .12. .34. ....");
  Surface above = WhiteSurface(4, 3);  // so does the destination
  graphics.CopyBits(source.port, above.port, {0, 0, 3, 3}, {-1, -1, 2, 2});
  EXPECT_EQ(Picture(above), "45.. 67.. ....");

  // Ports over part of their surfaces, one with an origin: destination pixel (x, y) takes
  // source pixel (x + 2, y); its row 0 is outside its port, column 4 beyond the source's.
  Surface windowed = WhiteSurface(6, 4);
  windowed.port.bounds = {1, 1, 3, 5};
  Graphics::SetOrigin(windowed.port, 100, 100);
  Port part = source.port;
  part.bounds = {0, 2, 4, 6};
  graphics.CopyBits(part, windowed.port, {0, 0, 4, 4}, {99, 99, 103, 103});
  EXPECT_EQ(Picture(windowed), "...... .678.. .891.. ......");
}

TEST_F(GraphicsCopyTest, SurfaceToWindowCopiesOntoTheCanvasAndMarksIt) {
  Port window = WindowPort(0, {100, 200, 150, 260});
  graphics.CopyBits(source.port, window, {0, 0, 4, 6}, {10, 20, 14, 26});
  EXPECT_EQ(Picture(screen.canvas(), {110, 220, 114, 226}), Picture(source));
  EXPECT_EQ(Presented(), "110,220,114,226");
}

TEST_F(GraphicsCopyTest, OverlappingWindowCopiesReadTheSourceBeforeOverwritingIt) {
  Surface& canvas = screen.canvas();
  const Port first = WindowPort(0, {0, 0, 30, 30});
  Port second = WindowPort(1, {1, 1, 30, 30});  // canvas pixel (x, y) is its point (x-1, y-1)
  const Rect moves[][2] = {{{2, 2, 0, 0}, {5, 4, 20, 19}},
                           {{6, 7, 0, 0}, {3, 1, 20, 15}},
                           {{4, 2, 0, 0}, {4, 5, 18, 20}},
                           {{4, 5, 0, 0}, {4, 2, 18, 17}},
                           {{4, 2, 0, 0}, {3, 5, 18, 20}}};
  for (const auto& [from, to] : moves) {
    PaintDigits(canvas, {0, 0, 30, 30});
    const Surface before = canvas;
    graphics.CopyBits(first, second, from, to);
    for (int y = 0; y < 30; ++y) {
      for (int x = 0; x < 30; ++x) {
        const bool copied =
            PtInRect(Point{static_cast<std::int16_t>(y - 1), static_cast<std::int16_t>(x - 1)}, to);
        const std::uint8_t expected =
            copied ? before.at(x - 1 - to.left + from.left, y - 1 - to.top + from.top)
                   : before.at(x, y);
        ASSERT_EQ(canvas.at(x, y), expected) << x << "," << y << " to " << Print(to);
      }
    }
  }
}

// Text drawing: character mapping, faces and sizes, transparency, inversion and measuring.
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

TEST_F(GraphicsTextTest, TextStandsOnTheBaselineShowsTheBackgroundAndAdvancesThePen) {
  Surface& surface = DrawOn(12, 6);  // the fake platform's block text
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

TEST_F(GraphicsTextTest, FontSixteenIsTheTitleFaceTheSizeThePixelHeightAndOddCharactersSpaces) {
  // Characters outside the shown range become spaces, the curly quote an apostrophe.
  recorded.DrawString("\x1F !Az{~\xD4\xD5\xFF");
  EXPECT_EQ(fonts.text, "  !Az   ' ");
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

class TrackRectTest : public GraphicsTest {
 protected:
  static constexpr Rect kArea{20, 30, 40, 70};

  // The pointer follows a script on the fake clock (one millisecond per pump): the mouse is
  // inside the area during the spans of `insideUntil` that alternate from inside, and the button
  // goes up at `releaseAt`. The hook that runs at every pump moves it and notes whether the
  // frame shows (the canvas starts black; the inverted frame is white). The frame's removal
  // comes after the last pump; Track() checks it on the canvas.
  void Script(std::vector<std::uint32_t> insideUntil, std::uint32_t releaseAt) {
    const std::uint32_t start = platform.now;
    platform.button = true;
    WindowSystem::Hooks hooks;
    hooks.serviceSound = [=, this] {
      const std::uint32_t t = platform.now - start;
      bool inside = true;
      for (const std::uint32_t until : insideUntil) inside = t < until ? inside : !inside;
      const int offset = inside ? 5 : 50;
      platform.mouse = {static_cast<std::int16_t>(window->bounds.top + kArea.top + offset),
                        static_cast<std::int16_t>(window->bounds.left + kArea.left + offset)};
      platform.button = t < releaseAt;
      const bool lit = screen.canvas().at(window->bounds.left + kArea.left,
                                          window->bounds.top + kArea.top) == Port::kWhite;
      if (lit != shown.back()) shown.push_back(lit);
    };
    windows.setHooks(std::move(hooks));
  }

  // Tracks the area and checks what every press leaves: the canvas as it was, the normal pen,
  // no box, and at least 10 ticks (of 50/3 ms) gone.
  int Track() {
    const Surface before = screen.canvas();
    const std::uint32_t startTick = platform.now * 3 / 50;
    const int result = TrackRect(graphics, windows, kArea);
    EXPECT_GE(platform.now * 3 / 50 - startTick, 10u);
    EXPECT_EQ(Picture(screen.canvas()), Picture(before));
    EXPECT_EQ(std::tie(window->port.penWidth, window->port.penMode),
              std::make_tuple(std::int16_t{1}, Port::kPenCopy));
    EXPECT_TRUE(reported.shown.empty());
    return result;
  }

  WindowSystem windows{platform, screen, errors};
  RuntimeWindow* window = [this] {
    windows.setAppState(AppState::kActive);
    RuntimeWindow* created = windows.CreateRuntimeWindow("Stage");
    graphics.SetPort(created->port);
    return created;
  }();
  std::vector<bool> shown{false};  // each change of the frame, from none
};

TEST_F(TrackRectTest, TheFrameFollowsTheMouseAndTheReleaseDecides) {
  // Each run as the result, then the frame's changes from none: 1 shown, 0 gone.
  std::string trace;
  const auto run = [&](std::vector<std::uint32_t> insideUntil, std::uint32_t releaseAt) {
    shown = {false};
    Script(std::move(insideUntil), releaseAt);
    trace += std::to_string(Track()) + ":";
    for (const bool lit : shown) trace += lit ? '1' : '0';
    trace += " ";
  };
  run({20, 40}, 60);  // inside, outside from 20 ms, inside again from 40, released at 60
  run({20}, 40);      // off once it left
  run({0}, 0);        // a button already up counts as inside and still shows the frame
  // The area is in the window's own coordinates: with an origin, the mouse stays where the
  // area would be without it, and the frame is drawn elsewhere and goes.
  Graphics::SetOrigin(window->port, 25, 15);
  run({}, 30);
  EXPECT_EQ(trace, "1:0101 0:010 1:01 0:0 ");
}

}  // namespace
}  // namespace lw::test
