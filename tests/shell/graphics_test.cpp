// Drawing state, fills, frames, lines, clipping, origins, dirty marking and pausing.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <tuple>
#include <utility>

#include "graphics_fixture.h"

namespace lw::test {
namespace {

TEST_F(GraphicsTest, SurfacesHaveWholeWordRowsAndCopiesKeepTheirOwnPixelsAndPort) {
  std::string rows;
  for (const auto& [width, height] : {std::pair{5, 3}, {8, 2}, {1, 1}, {-3, 2}})
    rows += std::to_string(Surface(width, height).rowBytes()) + " ";
  EXPECT_EQ(rows, "8 8 4 0 ");
  Surface original = WhiteSurface(3, 1);
  Surface copy = original;
  graphics.SetPort(copy.port);
  graphics.SetBackColor(3);
  graphics.PaintPortRect({0, 0, 1, 3});
  Surface moved = std::move(copy);
  EXPECT_EQ(moved.port.surface, &moved);
  EXPECT_EQ(Picture(original) + " " + Picture(moved), "... 333");
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
  Graphics::SetOrigin(port, 7, 8);
  Graphics::InitPort(port);
  EXPECT_EQ(
      std::tie(port.surface, port.window, port.foreIndex, port.solidPattern, port.penPosition.h,
               port.originV),
      std::make_tuple(&screen.canvas(), 3, Port::kBlack, true, std::int16_t{0}, std::int16_t{0}));
  EXPECT_EQ(Print(port.bounds), "10,20,30,40");
}

TEST_F(GraphicsTest, PaintAndPatternFillCoverExactlyTheRectangle) {
  Surface painted = WhiteSurface(8, 4);
  graphics.SetPort(painted.port);
  graphics.SetBackColor(3);
  graphics.PaintPortRect({1, 2, 3, 5});
  graphics.PaintPortRect({3, 3, 3, 6});  // empty
  graphics.PaintPortRect({4, 6, 1, 7});  // upside down
  EXPECT_EQ(Picture(painted), "........ ..333... ..333... ........");

  // The pattern starts at the rectangle's corner (not a multiple of 8), and starts again after
  // 8 rows and 8 columns.
  Surface patterned = WhiteSurface(14, 11);
  graphics.SetPort(patterned.port);
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
  Surface surface = WhiteSurface(8, 8);
  graphics.SetPort(surface.port);
  graphics.SetForeColor(2);
  graphics.SetPenMode(5);
  graphics.FramePortRect({1, 1, 7, 7});
  EXPECT_EQ(Picture(surface),
            "........ .222222. .2....2. .2....2. .2....2. .2....2. .222222. "
            "........");
  graphics.SetPattern({0, 0, 0, 0, 0, 0, 0, 0});
  graphics.SetPenWidth(4);
  graphics.PenNormal();  // copy, black (as wide as any other colour), solid
  graphics.SetPenWidth(3);
  graphics.FramePortRect({0, 0, 8, 8});
  EXPECT_EQ(Picture(surface),
            "######## ######## ######## ###..### ###..### ######## ######## "
            "########");
  Surface small = WhiteSurface(5, 4);
  graphics.SetPort(small.port);
  graphics.SetPenWidth(2);
  graphics.FramePortRect({0, 0, 3, 4});  // the sides meet: the whole rectangle
  for (const int narrow : {0, -2}) {
    graphics.SetPenWidth(narrow);
    graphics.FramePortRect({0, 0, 4, 5});
  }
  EXPECT_EQ(Picture(small), "####. ####. ####. .....");
}

TEST_F(GraphicsTest, ExclusiveOrAndDimFramesFlipEachPixelOnce) {
  Surface surface = WhiteSurface(10, 10);
  graphics.SetPort(surface.port);
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

  Surface dim = WhiteSurface(8, 8);
  graphics.SetPort(dim.port);
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
  for (const int width : {1, 2}) {
    for (const std::int16_t mode : {Port::kPenCopy, Port::kPenXor}) {
      for (const auto& [dx, dy] : ends) {
        for (const bool reversed : {false, true}) {
          Surface surface = WhiteSurface(24, 24);
          graphics.SetPort(surface.port);
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
  Surface surface = WhiteSurface(7, 4);
  graphics.SetPort(surface.port);
  graphics.SetPenWidth(0);  // draws nothing, still moves
  graphics.LineTo(0, 3);
  EXPECT_EQ(Picture(surface), "....... ....... ....... .......");
  EXPECT_EQ(surface.port.penPosition.v, 3);
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
  Surface lined = WhiteSurface(6, 6);
  graphics.SetPort(lined.port);
  graphics.MoveTo(-32768, -32768);
  graphics.LineTo(32767, 32767);
  EXPECT_EQ(Picture(lined), "#..... .#.... ..#... ...#.. ....#. .....#");
  graphics.SetPenWidth(32767);
  graphics.MoveTo(-32768, 32767);
  graphics.LineTo(32767, -32768);
  EXPECT_EQ(BlackPixels(lined).size(), 36u);
}

TEST_F(GraphicsTest, TheOriginShiftsPortCoordinates) {
  Surface surface = WhiteSurface(6, 5);
  surface.port.bounds = {1, 2, 4, 5};
  Graphics::SetOrigin(surface.port, 10, 20);
  EXPECT_EQ(Print(Graphics::GetPortRect(surface.port)), "20,10,23,13");
  EXPECT_EQ(Print(Graphics::GetPortRect(Surface(7, 5).port)), "0,0,5,7");
  graphics.SetPort(surface.port);
  graphics.SetBackColor(1);
  graphics.PaintPortRect({20, 10, 21, 11});  // the port's top-left pixel
  graphics.MoveTo(12, 22);                   // its bottom-right pixel
  graphics.LineTo(12, 22);
  EXPECT_EQ(Picture(surface), "...... ..1... ...... ....#. ......");
}

TEST_F(GraphicsTest, DrawingOnTheCanvasMarksWhatChangedWithinTheWindow) {
  Surface offscreen = WhiteSurface(8, 8);
  graphics.SetPort(offscreen.port);
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
  Surface surface = WhiteSurface(8, 8);
  const Surface black(8, 8);
  graphics.SetPort(surface.port);
  const Port before = surface.port;
  paused = true;
  graphics.SetForeColor(3);
  graphics.SetBackColor(4);
  graphics.SetPenWidth(3);
  graphics.SetPenMode(Port::kPenXor);
  graphics.SetPattern({1, 2, 3, 4, 5, 6, 7, 8});
  graphics.SetTextFont(16);
  graphics.SetTextSize(30);
  graphics.MoveTo(2, 2);
  graphics.LineTo(6, 6);
  graphics.PaintPortRect({0, 0, 8, 8});
  graphics.FillPatternRect({0, 0, 8, 8});
  graphics.FramePortRect({0, 0, 8, 8});
  graphics.FramePortRectDim({0, 0, 8, 8});
  graphics.DrawString("Hello");
  graphics.CopyBits(black.port, surface.port, {0, 0, 8, 8}, {0, 0, 8, 8});
  graphics.PenNormal();
  EXPECT_EQ(Picture(surface), Picture(WhiteSurface(8, 8)));
  const Port& after = surface.port;
  EXPECT_EQ(std::tie(after.foreIndex, after.backIndex, after.penWidth, after.penMode, after.pattern,
                     after.textFont, after.textSize, after.penPosition.h),
            std::tie(before.foreIndex, before.backIndex, before.penWidth, before.penMode,
                     before.pattern, before.textFont, before.textSize, before.penPosition.h));
}

}  // namespace
}  // namespace lw::test
