// The window backend as code that must not see SDL makes it: the platform of real play behind
// the Platform interface.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "common/expected.h"
#include "platform/platform.h"

namespace lw::platform {

// The player's own choices for play in a window.
struct SdlPlatformSettings {
  bool mute = false;                    // play sound silently by the clock, without a sound device
  int volumeLevel = 9;                  // the player's level, 0..9, over the level the title sets
  bool pauseInBackground = true;        // tell the runtime when the window loses the focus
  std::string program = "titleplayer";  // names the screenshots of Ctrl+F12
};

// Starts the SDL platform, which looks for the title's own font file in `titleFolder`. The
// error says why no window can be opened (no display, for one).
[[nodiscard]] Expected<std::unique_ptr<Platform>, std::string> MakeSdlPlatform(
    const std::filesystem::path& titleFolder, const SdlPlatformSettings& settings = {});

}  // namespace lw::platform
