// The players' configuration file, player.conf: the choices a player makes once for every run
// in a window, which the command line can still override. The text is read here; finding and
// reading the file is player_config_file.h's job.
//
// The file is made of lines:
//   # a comment                 (also '; a comment'); blank lines are skipped
//   [player]                    the one section; lines before any section belong to it too
//   option = value  # note      spaces around both are ignored, case is not; a '#' after
//                               the value starts a comment
//
//   option               values                 default
//   display              fullscreen | windowed  fullscreen
//   scaling              fit | integer          fit
//   mute                 yes | no               no
//   volume-level         0 .. 9                 9
//   pause-in-background  yes | no               yes
// yes and no may also be written true/false, on/off or 1/0.
//
// A wrong value, an unknown option, a line that is no option and an unknown section are
// complaints that name the file, the line and the option; the option keeps its default (or the
// command line's choice), and the options of an unknown section are skipped.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "apps/titleplayer/player_options.h"

namespace lw::titleplayer {

// The options a configuration file set; those it left alone are empty.
struct PlayerSettings {
  std::optional<bool> fullscreen;
  std::optional<bool> integerScale;
  std::optional<bool> mute;
  std::optional<int> volumeLevel;
  std::optional<bool> pauseInBackground;
};

struct PlayerConfig {
  PlayerSettings settings;
  // "FILE:LINE: ..." for each line that could not be used, in file order.
  std::vector<std::string> complaints;
};

// Reads the text of the configuration file `fileName` (named in the complaints only).
[[nodiscard]] PlayerConfig ParsePlayerConfig(std::string_view text, std::string_view fileName);

// `options` with the file's settings in place of their defaults.
void ApplyPlayerSettings(const PlayerSettings& settings, PlayerOptions& options);

}  // namespace lw::titleplayer
