#include "shell/drawing/screen.h"

#include <gtest/gtest.h>

#include "support/shell_printers.h"
#include "support/shell_rig.h"

namespace lw::test {
namespace {

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

TEST_F(ScreenTest, ANewPaletteGoesToThePlatformAndRedrawsEverything) {
  Palette palette{};
  palette[1] = Rgb{1, 2, 3};
  screen.setPalette(palette);
  screen.markDirty({5, 5, 6, 6});
  EXPECT_EQ(Presented() + " " + Print(platform.palette[1]) + " " + Print(screen.palette()[1]),
            "0,0,480,640 1,2,3 1,2,3");
}

}  // namespace
}  // namespace lw::test
