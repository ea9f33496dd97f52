// The command line of the players: `titleplayer [options] TITLE_DIR` and
// `movieplayer [options] [MOVIE]`, which share every option but the title player's --console
// and --strict.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/expected.h"
#include "common/log.h"

namespace lw::titleplayer {

// The program's own statuses; a run that reported a fatal error gives the runtime's 3.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

using Arguments = std::span<const std::string_view>;

// The program whose command line is read.
enum class PlayerProgram : std::uint8_t {
  kTitle,  // titleplayer: boots the title of TITLE_DIR
  kMovie,  // movieplayer: plays one movie file
};

// "titleplayer" or "movieplayer", for the complaints on standard error.
[[nodiscard]] std::string_view ProgramName(PlayerProgram program);

struct PlayerOptions {
  // The folder that appl: stands for: TITLE_DIR, or the movie player's own folder.
  std::filesystem::path titleFolder;
  std::optional<std::string> movie;  // movieplayer's MOVIE, as written
  bool fullscreen = true;
  bool integerScale = false;
  std::vector<std::pair<std::string, std::filesystem::path>> volumes;
  bool headless = false;
  std::optional<std::string> inputScript;
  std::optional<std::uint32_t> endTick;
  std::optional<std::string> screenshot;
  std::optional<std::string> audioOut;  // headless: the WAV file that records the sound heard
  bool mute = false;                    // in a window: sound plays by the clock, unheard
  int volumeLevel = 9;                  // in a window: the player's level over the title's, 0..9
  bool pauseInBackground = true;        // in a window: losing the focus pauses the title
  bool traceCalls = false;
  bool tracePresent = false;
  bool console = false;  // the message box shows from the start
  bool strict = false;   // the first script error ends the run
  std::optional<std::uint32_t> seed;
  LogChannels log = 0;  // --log: the developers' log channels switched on
  bool help = false;
  bool version = false;
  bool helpMan = false;  // --help-man: the manual page, made from the text of --help
};

// The options of a command line (the arguments after the program name). The error is a
// complaint for standard error, such as "--ticks needs a number"; a missing TITLE_DIR says how
// to play the sample title instead. MOVIE may be left out. Options start as in `base` (the
// defaults, or those of the configuration file), so the command line wins.
Expected<PlayerOptions, std::string> ParsePlayerOptions(
    Arguments args, PlayerProgram program = PlayerProgram::kTitle, PlayerOptions base = {});

// The text of --help.
[[nodiscard]] std::string UsageText(PlayerProgram program = PlayerProgram::kTitle);
// The manual page (roff) made from the text of --help: section 6, as the players are games.
[[nodiscard]] std::string ManualPage(PlayerProgram program = PlayerProgram::kTitle);
// The text of --version.
[[nodiscard]] std::string VersionText(PlayerProgram program = PlayerProgram::kTitle);

}  // namespace lw::titleplayer
