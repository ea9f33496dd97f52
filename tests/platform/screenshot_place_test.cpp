// Where Ctrl+F12's screenshots go and what they are called: the pictures folder from the
// environment and user-dirs.dirs, the name from the program and the time, and the next free
// name when one is taken.
#include "platform/screenshot_place.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace lw::platform {
namespace {

TEST(ScreenshotPlaceTest, PicturesFolderFromTheEnvironment) {
  constexpr std::string_view kUserDirs =
      "# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
      "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n";
  struct FolderCase {
    std::optional<std::string_view> variable;
    std::optional<std::string_view> userDirs;
    std::string_view expected;
  };
  const std::vector<FolderCase> cases = {
      {"/data/pics", kUserDirs, "/data/pics"},
      {std::nullopt, kUserDirs, "/home/ann/Bilder"},
      {"", kUserDirs, "/home/ann/Bilder"},
      {"pics", kUserDirs, "/home/ann/Bilder"},  // relative: not usable
      {std::nullopt, "XDG_PICTURES_DIR=\"/srv/shots\"\n", "/srv/shots"},
      {std::nullopt, "XDG_PICTURES_DIR=\"$HOME\"", "/home/ann"},
      {std::nullopt, "XDG_PICTURES_DIR=\"$HOMEWORK/x\"\n", "/home/ann"},
      {std::nullopt, "XDG_PICTURES_DIR=$HOME/Pictures\n", "/home/ann"},    // no quotes
      {std::nullopt, "XDG_PICTURES_DIR=\"$HOME/Pictures\n", "/home/ann"},  // one quote
      {std::nullopt, "#XDG_PICTURES_DIR=\"/x\"\n", "/home/ann"},
      {std::nullopt, std::nullopt, "/home/ann"},
  };
  for (const FolderCase& c : cases) {
    EXPECT_EQ(PicturesFolder({c.variable, "/home/ann", c.userDirs}).string(), c.expected)
        << c.variable.value_or("(unset)") << " / " << c.userDirs.value_or("(no file)");
  }
}

TEST(ScreenshotPlaceTest, NamesCarryProgramDateAndTimeAndNeverRepeat) {
  std::tm when{};
  when.tm_year = 2026 - 1900;
  when.tm_mon = 0;  // January
  when.tm_mday = 5;
  when.tm_hour = 9;
  when.tm_min = 7;
  when.tm_sec = 3;
  EXPECT_EQ(ScreenshotName("titleplayer", when), "titleplayer-20260105-090703.png");
  EXPECT_EQ(ScreenshotName("movieplayer", when, 3), "movieplayer-20260105-090703-3.png");

  std::set<std::string> taken;
  const auto isTaken = [&](const std::filesystem::path& path) {
    return taken.count(path.string()) != 0;
  };
  EXPECT_EQ(FreeScreenshotPath("/p", "titleplayer", when, isTaken)->string(),
            "/p/titleplayer-20260105-090703.png");
  taken = {"/p/titleplayer-20260105-090703.png", "/p/titleplayer-20260105-090703-2.png"};
  EXPECT_EQ(FreeScreenshotPath("/p", "titleplayer", when, isTaken)->string(),
            "/p/titleplayer-20260105-090703-3.png");
  EXPECT_FALSE(FreeScreenshotPath("/p", "titleplayer", when,
                                  [](const std::filesystem::path&) { return true; }));
}

}  // namespace
}  // namespace lw::platform
