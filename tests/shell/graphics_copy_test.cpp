// Copies of pixel blocks between surfaces and windows.
#include <gtest/gtest.h>

#include "graphics_fixture.h"
#include "shell/drawing/rect_ops.h"

namespace lw::test {
namespace {

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
  // Clipped by the window, which ends at row 150 and column 260.
  graphics.CopyBits(source.port, window, {0, 0, 4, 6}, {48, 57, 52, 63});
  EXPECT_EQ(Picture(screen.canvas(), {148, 257, 151, 261}), "123# 345# ####");
  EXPECT_EQ(Presented(), "148,257,150,260");
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

TEST_F(GraphicsCopyTest, WindowToSurfaceIsReportedAndCopiesNothing) {
  PaintDigits(screen.canvas(), {0, 0, 10, 10});
  Surface destination = WhiteSurface(4, 2);
  graphics.CopyBits(WindowPort(0, {0, 0, 10, 10}), destination.port, {0, 0, 4, 4}, {0, 0, 4, 4});
  EXPECT_EQ(Picture(destination), ".... ....");
  ASSERT_EQ(reported.shown.size(), 1u);
  EXPECT_NE(reported.shown[0].text.find("411"), std::string::npos) << reported.shown[0].text;
}

}  // namespace
}  // namespace lw::test
