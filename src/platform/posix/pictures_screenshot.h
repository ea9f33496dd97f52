// A screenshot into the user's pictures folder, as the player's screenshot key and the player
// menu take it: a new file named for the program and the local time (screenshot_place.h),
// written by the platform's own saveScreenshot.
#pragma once

#include <string>
#include <string_view>

#include "common/expected.h"
#include "platform/platform.h"

namespace lw::platform {

// The path of the PNG file written, or why none was ("no free name ...", "PATH: reason").
[[nodiscard]] Expected<std::string, std::string> SaveScreenshotToPicturesFolder(
    Platform& platform, std::string_view program);

}  // namespace lw::platform
