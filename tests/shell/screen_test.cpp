#include "shell/drawing/screen.h"

#include <gtest/gtest.h>

#include "graphics_fixture.h"

namespace lw::test {
namespace {

class ScreenTest : public ::testing::Test {
 protected:
  // The rectangles a present sends, separated by spaces.
  std::string Presented() {
    platform_.lastDirty.clear();
    screen_.present();
    std::string sent;
    for (const Rect& r : platform_.lastDirty) sent += (sent.empty() ? "" : " ") + Describe(r);
    return sent;
  }

  testing::FakePlatform platform_;
  Screen screen_{platform_};
};

TEST_F(ScreenTest, PresentSendsTheClippedChangesOnce) {
  EXPECT_EQ(Describe(screen_.rect()), "0,0,480,640");
  EXPECT_EQ(screen_.canvas().rowBytes(), 640);
  screen_.present();
  EXPECT_EQ(platform_.presents, 0);

  screen_.canvas().row(7)[9] = 42;
  screen_.markDirty({-10, -10, 8, 10});
  screen_.markDirty({470, 600, 900, 900});
  screen_.markDirty({-50, 700, -10, 800});  // wholly outside
  screen_.markDirty({3, 3, 3, 9});          // empty
  EXPECT_EQ(Presented(), "0,0,8,10 470,600,480,640");
  EXPECT_EQ(platform_.shown.at(7 * 640 + 9), 42);
  EXPECT_EQ(Presented(), "");
  EXPECT_EQ(platform_.presents, 1);
}

TEST_F(ScreenTest, OverlappingChangesMergeAndManyBecomeOne) {
  screen_.markDirty({0, 0, 10, 10});
  screen_.markDirty({100, 100, 110, 110});
  screen_.markDirty({5, 5, 20, 20});
  EXPECT_EQ(Presented(), "100,100,110,110 0,0,20,20");
  // A merge that grows to reach a rectangle looked at before takes it in as well.
  screen_.markDirty({9, 11, 20, 20});
  screen_.markDirty({0, 0, 10, 10});
  screen_.markDirty({5, 5, 8, 12});
  EXPECT_EQ(Presented(), "0,0,20,20");

  // Sixteen separate rectangles stay apart; a seventeenth joins them all.
  const auto band = [](int i, int left) {
    return Rect{static_cast<std::int16_t>(i * 20), static_cast<std::int16_t>(left),
                static_cast<std::int16_t>(i * 20 + 5), static_cast<std::int16_t>(left + 5)};
  };
  for (int i = 0; i < 16; ++i) screen_.markDirty(band(i, 0));
  screen_.present();
  EXPECT_EQ(platform_.lastDirty.size(), 16u);
  for (int i = 0; i < 17; ++i) screen_.markDirty(band(i, 10));
  EXPECT_EQ(Presented(), "0,10,325,15");
}

TEST_F(ScreenTest, ANewPaletteGoesToThePlatformAndRedrawsEverything) {
  Palette palette{};
  palette[1] = Rgb{1, 2, 3};
  screen_.setPalette(palette);
  EXPECT_EQ(platform_.paletteChanges, 1);
  EXPECT_EQ(platform_.palette[1], (Rgb{1, 2, 3}));
  EXPECT_EQ(screen_.palette()[1], (Rgb{1, 2, 3}));
  screen_.markDirty({5, 5, 6, 6});
  EXPECT_EQ(Presented(), "0,0,480,640");
}

}  // namespace
}  // namespace lw::test
