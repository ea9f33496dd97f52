// The user's pictures folder, where the player's screenshots go: screenshot_place.h's rules over
// this process's environment and the user's ~/.config/user-dirs.dirs.
#pragma once

#include <filesystem>

namespace lw::platform {

// The pictures folder when it exists, else the home folder (else the current folder).
[[nodiscard]] std::filesystem::path UserPicturesFolder();

}  // namespace lw::platform
