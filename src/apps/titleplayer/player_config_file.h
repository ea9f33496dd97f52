// Where the players' configuration file lives and how it is read: the operating system's side
// of player_config.h.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "apps/titleplayer/player_config.h"

namespace lw::titleplayer {

// $XDG_CONFIG_HOME/loomwork/player.conf, or ~/.config/loomwork/player.conf when XDG_CONFIG_HOME
// is unset, empty or relative (as the XDG base directories say); nothing without either.
// The arguments are the two variables' values (null when unset).
[[nodiscard]] std::optional<std::filesystem::path> PlayerConfigPath(const char* xdgConfigHome,
                                                                    const char* home);

// Reads the configuration file at `path`. A file that is not there sets nothing and says
// nothing; one that cannot be read is one complaint.
[[nodiscard]] PlayerConfig ReadPlayerConfig(const std::filesystem::path& path);

// The configuration of this user, from the environment's XDG_CONFIG_HOME and HOME.
[[nodiscard]] PlayerConfig ReadUserPlayerConfig();

}  // namespace lw::titleplayer
