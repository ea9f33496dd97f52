// The window backend as code that must not see SDL makes it: the platform of real play behind
// the Platform interface.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "common/expected.h"
#include "platform/platform.h"

namespace lw::platform {

// Starts the SDL platform, which looks for the title's own font file in `titleFolder` and,
// with `mute`, plays its sound silently by the clock. The error says why no window can be
// opened (no display, for one).
[[nodiscard]] Expected<std::unique_ptr<Platform>, std::string> MakeSdlPlatform(
    const std::filesystem::path& titleFolder, bool mute = false);

}  // namespace lw::platform
