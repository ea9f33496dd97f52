#include "shell/drawing/rect_ops.h"

#include <gtest/gtest.h>

#include "support/common_printers.h"

namespace lw::test {
namespace {

TEST(RectOpsTest, SectRectGivesTheCommonPartOrZerosAndFalse) {
  Rect out{1, 1, 1, 1};
  EXPECT_TRUE(SectRect({0, 0, 10, 10}, {5, -5, 15, 5}, out));
  EXPECT_EQ(Print(out), "5,0,10,5");
  for (const Rect& apart : {Rect{20, 20, 30, 30}, Rect{10, 0, 20, 10}, Rect{5, 5, 5, 8}}) {
    out = Rect{9, 9, 9, 9};
    EXPECT_FALSE(SectRect({0, 0, 10, 10}, apart, out)) << Print(apart);
    EXPECT_EQ(Print(out), "0,0,0,0");
  }
  Rect a{0, 0, 10, 10};
  EXPECT_TRUE(SectRect(a, {2, 3, 20, 20}, a));  // written over an argument
  EXPECT_EQ(Print(a), "2,3,10,10");
}

TEST(RectOpsTest, UnionComparisonsPointsAndOffsets) {
  EXPECT_EQ(Print(UnionRect({0, 0, 2, 2}, {5, -3, 6, 1})), "0,-3,6,2");
  // Empty rectangles hold no pixel and add nothing.
  EXPECT_EQ(Print(UnionRect({0, 0, 0, 0}, {5, 5, 6, 6})), "5,5,6,6");
  EXPECT_EQ(Print(UnionRect({5, 5, 6, 6}, {40, 40, 30, 50})), "5,5,6,6");
  EXPECT_EQ(Print(UnionRect({3, 3, 3, 3}, {7, 7, 1, 1})), "0,0,0,0");

  EXPECT_TRUE(EqualRect({1, 2, 3, 4}, {1, 2, 3, 4}));
  EXPECT_FALSE(EqualRect({1, 2, 3, 4}, {1, 2, 3, 5}));
  EXPECT_FALSE(EqualRect({1, 2, 3, 4}, {0, 2, 3, 4}));
  EXPECT_FALSE(EmptyRect({0, 0, 1, 1}));
  EXPECT_TRUE(EmptyRect({0, 0, 0, 1}));
  EXPECT_TRUE(EmptyRect({5, 5, 1, 9}));

  const Rect r{10, 20, 30, 40};
  EXPECT_TRUE(PtInRect(Point{10, 20}, r) && PtInRect(Point{29, 39}, r));
  EXPECT_FALSE(PtInRect(Point{30, 39}, r) || PtInRect(Point{29, 40}, r) ||
               PtInRect(Point{9, 25}, r) || PtInRect(Point{15, 19}, r));

  Rect moved = r;
  OffsetRect(moved, 5, -7);
  EXPECT_EQ(Print(moved), "3,25,23,45");
  OffsetRect(moved, 40000, -40000);  // stops at the ends of the range instead of wrapping
  EXPECT_EQ(Print(moved), "-32768,32767,-32768,32767");
}

TEST(RectOpsTest, MapRectScalesEachAxisOrOnlyMovesForEqualSizes) {
  // Twice as wide, half as high, elsewhere.
  EXPECT_EQ(Print(MapRect({50, 100, 100, 200}, {0, 0, 100, 200}, {10, 20, 60, 420})),
            "35,220,60,420");
  EXPECT_EQ(Print(MapRect({1, 1, 2, 2}, {0, 0, 3, 3}, {0, 0, 4, 4})), "1,1,2,2");  // truncated
  EXPECT_EQ(Print(MapRect({0, 0, 3, 3}, {0, 0, 2, 2}, {0, 0, 3, 3})), "0,0,4,4");
  EXPECT_EQ(Print(MapRect({5, 6, 7, 8}, {0, 0, 10, 10}, {100, 200, 110, 210})), "105,206,107,208");
  // A frame of no size cannot scale: the rectangle only moves.
  EXPECT_EQ(Print(MapRect({5, 6, 7, 8}, {0, 0, 0, 0}, {100, 200, 110, 210})), "105,206,107,208");
  // Products beyond 32 bits.
  EXPECT_EQ(
      Print(MapRect({0, 0, 32000, 32000}, {-32000, -32000, 32000, 32000}, {0, -32000, 2, 32000})),
      "1,0,2,32000");
}

}  // namespace
}  // namespace lw::test
