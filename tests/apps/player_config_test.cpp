// The players' configuration file: each option and its values, the complaints about wrong
// lines (file, line and option named, the default kept), where the file is looked for, reading
// it from disk, and the command line winning over it.
#include "apps/titleplayer/player_config.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "apps/titleplayer/player_config_file.h"
#include "support/temp_folder.h"

namespace lw::titleplayer {
namespace {

// The options a text sets, as "display=windowed mute=yes", "-" for none; then each complaint
// on a line of its own.
std::string Outcome(std::string_view text) {
  const PlayerConfig config = ParsePlayerConfig(text, "player.conf");
  const PlayerSettings& s = config.settings;
  const auto yes = [](bool value) { return value ? "yes" : "no"; };
  std::string line;
  if (s.fullscreen) line += std::string(" display=") + (*s.fullscreen ? "fullscreen" : "windowed");
  if (s.integerScale) line += std::string(" scaling=") + (*s.integerScale ? "integer" : "fit");
  if (s.mute) line += std::string(" mute=") + yes(*s.mute);
  if (s.volumeLevel) line += " volume-level=" + std::to_string(*s.volumeLevel);
  if (s.pauseInBackground) line += std::string(" pause=") + yes(*s.pauseInBackground);
  std::string outcome = line.empty() ? "-" : line.substr(1);
  for (const std::string& complaint : config.complaints) outcome += "\n" + complaint;
  return outcome;
}

struct ConfigCase {
  std::string_view text;
  std::string_view expected;
};

TEST(PlayerConfigTest, EachOptionAndItsValues) {
  const std::vector<ConfigCase> cases = {
      {"", "-"},
      {"display = windowed", "display=windowed"},
      {"display=FullScreen", "display=fullscreen"},
      {"scaling = integer", "scaling=integer"},
      {"scaling = fit\n", "scaling=fit"},
      {"mute = yes", "mute=yes"},
      {"mute = off", "mute=no"},
      {"Mute = TRUE", "mute=yes"},
      {"volume-level = 0", "volume-level=0"},
      {"volume-level=9", "volume-level=9"},
      {"pause-in-background = no", "pause=no"},
      {"pause-in-background = 1", "pause=yes"},
      // Comments, blank lines, spaces, Windows line ends and the [player] section.
      {"# mine\n\n  ; also a comment\r\n[player]\r\n  display  =  windowed  \r\nmute = on\n",
       "display=windowed mute=yes"},
      {"[ Player ]\nvolume-level = 4\nvolume-level = 6", "volume-level=6"},
      {"mute = yes   # at work\ndisplay = windowed#", "display=windowed mute=yes"},
  };
  for (const ConfigCase& c : cases) EXPECT_EQ(Outcome(c.text), c.expected) << c.text;
}

// A wrong value names the file, the line and the option, and leaves the default (an earlier
// good line of the same option included); the lines after it still count.
TEST(PlayerConfigTest, WrongLinesAreNamedAndSkipped) {
  const std::vector<ConfigCase> cases = {
      {"display = huge",
       "-\nplayer.conf:1: option 'display': 'huge' is not fullscreen or windowed; using the "
       "default (fullscreen)"},
      {"# sound\nvolume-level = 12\nmute = yes",
       "mute=yes\nplayer.conf:2: option 'volume-level': '12' is not a level from 0 to 9; using "
       "the default (9)"},
      {"volume-level = 3\nvolume-level = -1",
       "-\nplayer.conf:2: option 'volume-level': '-1' is not a level from 0 to 9; using the "
       "default (9)"},
      {"scaling = 2x",
       "-\nplayer.conf:1: option 'scaling': '2x' is not fit or integer; using the default (fit)"},
      {"mute = maybe",
       "-\nplayer.conf:1: option 'mute': 'maybe' is not yes or no; using the default (no)"},
      {"pause-in-background =",
       "-\nplayer.conf:1: option 'pause-in-background': '' is not yes or no; using the default "
       "(yes)"},
      {"colour = red\nmute = yes", "mute=yes\nplayer.conf:1: unknown option 'colour'; ignored"},
      {"windowed", "-\nplayer.conf:1: 'windowed' is not 'option = value'; ignored"},
      {"[sound]\nmute = yes\n[player]\ndisplay = windowed",
       "display=windowed\nplayer.conf:1: unknown section [sound]; its options are ignored"},
      {"[player\nmute = yes",
       "mute=yes\nplayer.conf:1: '[player' is not a section such as [player]; ignored"},
  };
  for (const ConfigCase& c : cases) EXPECT_EQ(Outcome(c.text), c.expected) << c.text;
}

TEST(PlayerConfigTest, TheFileIsLookedForInTheXdgConfigFolder) {
  struct PathCase {
    const char* xdg;
    const char* home;
    std::string_view expected;
  };
  const std::vector<PathCase> cases = {
      {"/cfg", "/home/ann", "/cfg/loomwork/player.conf"},
      {nullptr, "/home/ann", "/home/ann/.config/loomwork/player.conf"},
      {"", "/home/ann", "/home/ann/.config/loomwork/player.conf"},
      {"relative/cfg", "/home/ann", "/home/ann/.config/loomwork/player.conf"},
      {nullptr, nullptr, "-"},
      {nullptr, "", "-"},
  };
  for (const PathCase& c : cases) {
    const auto path = PlayerConfigPath(c.xdg, c.home);
    EXPECT_EQ(path ? path->string() : "-", c.expected) << (c.xdg ? c.xdg : "(unset)");
  }
}

// A missing file is no complaint; a folder in its place is one; a file's complaints name it.
TEST(PlayerConfigTest, ReadingTheFile) {
  const test::TempFolder folder;
  const PlayerConfig missing = ReadPlayerConfig(folder.path() / "player.conf");
  EXPECT_TRUE(missing.complaints.empty());
  EXPECT_FALSE(missing.settings.mute);

  const auto asFolder = folder.makeFolder("loomwork/player.conf");
  const PlayerConfig notAFile = ReadPlayerConfig(asFolder);
  ASSERT_EQ(notAFile.complaints.size(), 1U);
  EXPECT_EQ(notAFile.complaints[0], asFolder.string() + ": a folder, not a configuration file");

  const auto file = folder.writeFile("mine.conf", "mute = yes\nsize = 2\n");
  const PlayerConfig read = ReadPlayerConfig(file);
  EXPECT_EQ(read.settings.mute, true);
  ASSERT_EQ(read.complaints.size(), 1U);
  EXPECT_EQ(read.complaints[0], file.string() + ":2: unknown option 'size'; ignored");
}

// The file's settings replace the defaults, and the command line's options replace those.
TEST(PlayerConfigTest, TheCommandLineWinsOverTheFile) {
  const PlayerConfig config = ParsePlayerConfig(
      "display = windowed\nscaling = integer\nmute = yes\nvolume-level = 3\n"
      "pause-in-background = no\n",
      "player.conf");
  const auto optionsWith = [&](std::vector<std::string_view> args) {
    PlayerOptions base;
    ApplyPlayerSettings(config.settings, base);
    args.push_back("title");
    auto options = ParsePlayerOptions(args, PlayerProgram::kTitle, base);
    EXPECT_TRUE(options.ok());
    const PlayerOptions& o = options.value();
    return std::string(o.fullscreen ? "fullscreen" : "windowed") +
           (o.integerScale ? " integer" : " fit") + (o.mute ? " mute" : " sound") + " level " +
           std::to_string(o.volumeLevel) + (o.pauseInBackground ? " pause" : " play-on");
  };
  EXPECT_EQ(optionsWith({}), "windowed integer mute level 3 play-on");
  EXPECT_EQ(optionsWith({"--fullscreen", "--volume-level", "7", "--pause-in-background"}),
            "fullscreen integer mute level 7 pause");
  PlayerOptions defaults;
  ApplyPlayerSettings(PlayerSettings{}, defaults);
  EXPECT_EQ(defaults.fullscreen, true);
  EXPECT_EQ(defaults.volumeLevel, 9);
  EXPECT_EQ(defaults.pauseInBackground, true);
}

}  // namespace
}  // namespace lw::titleplayer
