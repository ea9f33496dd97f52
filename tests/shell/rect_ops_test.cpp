// Rectangle operations. SectRect and UnionRect are also exercised by every clipped drawing and
// by the screen's merging of changes; these pin their edge cases.
#include "shell/drawing/rect_ops.h"

#include <gtest/gtest.h>

#include "support/common_printers.h"

namespace lw::test {
namespace {

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

}  // namespace
}  // namespace lw::test
