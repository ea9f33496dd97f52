// The players' options of play on the desktop: the sound level, the pause in the background and
// the hidden --help-man; the keys and files that --help tells of, and the manual page made of it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "apps/titleplayer/player_options.h"

namespace lw::titleplayer {
namespace {

struct OptionsCase {
  std::vector<std::string_view> args;
  std::string_view expected;  // "level N pause|play-on [help-man]" or "error: ..."
};

std::string Outcome(const std::vector<std::string_view>& args, PlayerProgram program) {
  const auto parsed = ParsePlayerOptions(args, program);
  if (!parsed.ok()) return "error: " + parsed.error();
  const PlayerOptions& o = parsed.value();
  return "level " + std::to_string(o.volumeLevel) + (o.pauseInBackground ? " pause" : " play-on") +
         (o.helpMan ? " help-man" : "");
}

TEST(PlayerDesktopOptionsTest, SoundLevelPauseAndManualPage) {
  const std::vector<OptionsCase> cases = {
      {{"t"}, "level 9 pause"},
      {{"t", "--volume-level", "0"}, "level 0 pause"},
      {{"--volume-level", "5", "t", "--no-pause-in-background"}, "level 5 play-on"},
      {{"t", "--no-pause-in-background", "--pause-in-background"}, "level 9 pause"},
      {{"--help-man"}, "level 9 pause help-man"},
      {{"t", "--volume-level", "10"}, "error: --volume-level needs a level from 0 to 9, not '10'"},
      {{"t", "--volume-level", "loud"},
       "error: --volume-level needs a level from 0 to 9, not 'loud'"},
      {{"t", "--volume-level"}, "error: --volume-level needs a value"},
  };
  for (const OptionsCase& c : cases) {
    EXPECT_EQ(Outcome(c.args, PlayerProgram::kTitle), c.expected) << c.args[0];
    EXPECT_EQ(Outcome(c.args, PlayerProgram::kMovie), c.expected) << c.args[0];
  }
}

// Both programs' help ends with the keys and the configuration file; only the title player has
// the message box key; screenshots carry the program's name.
TEST(PlayerDesktopOptionsTest, HelpTellsOfTheKeysAndTheFile) {
  const std::string title = UsageText(PlayerProgram::kTitle);
  const std::string movie = UsageText(PlayerProgram::kMovie);
  for (const std::string* help : {&title, &movie}) {
    EXPECT_NE(
        help->find("\nkeys:\n  F11, Alt+Enter        switch between full screen and a window\n"),
        std::string::npos);
    EXPECT_NE(help->find("\nfiles:\n  $XDG_CONFIG_HOME/loomwork/player.conf\n"), std::string::npos);
    EXPECT_NE(help->find("  Ctrl+Shift+M          silence the sound"), std::string::npos);
  }
  EXPECT_NE(title.find("a PNG file, titleplayer-YYYYMMDD-HHMMSS.png in"), std::string::npos);
  EXPECT_NE(movie.find("a PNG file, movieplayer-YYYYMMDD-HHMMSS.png in"), std::string::npos);
  EXPECT_NE(title.find("  F12                   show or hide the message box\n"),
            std::string::npos);
  EXPECT_EQ(movie.find("\n  F12 "), std::string::npos);
}

// The page is the help text in roff: a section 6 heading, the options and keys as tagged
// paragraphs, the long option whose description starts on the next line included.
TEST(PlayerDesktopOptionsTest, ManualPageIsMadeFromTheHelp) {
  const std::string page = ManualPage(PlayerProgram::kMovie);
  EXPECT_EQ(page.rfind(".TH MOVIEPLAYER 6 \"\" \"Loomwork ", 0), 0U) << page.substr(0, 80);
  for (const std::string_view part : {
           ".SH NAME\nmovieplayer \\- plays the movie file MOVIE (.MOV) and exits when it ends\n",
           ".SH SYNOPSIS\n.nf\nmovieplayer [options] [MOVIE]\n.fi\n",
           ".SH OPTIONS\n.TP\n\\fB\\-\\-windowed\\fR\nplay in a window\n",
           ".TP\n\\fB\\-\\-no\\-pause\\-in\\-background\\fR\nkeep playing, and sounding, while "
           "another window has the focus\n",
           ".TP\n\\fB\\-\\-volume\\-level\\fR N\nthe player's sound level",
           ".SH KEYS\n.TP\n\\fBF11,\\fR Alt+Enter\n",
           ".SH FILES\n.TP\n\\fB$XDG_CONFIG_HOME/loomwork/player.conf\\fR\n",
       }) {
    EXPECT_NE(page.find(part), std::string::npos) << part;
  }
}

}  // namespace
}  // namespace lw::titleplayer
