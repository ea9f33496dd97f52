// Where the player's screenshots (Ctrl+F12) go and what they are called: pure functions of the
// environment's values and the time, so that the rules can be tested without a home folder.
//
// The folder is $XDG_PICTURES_DIR when it is an absolute path; else the XDG_PICTURES_DIR line of
// ~/.config/user-dirs.dirs, written as xdg-user-dirs writes it:
//   XDG_PICTURES_DIR="$HOME/Pictures"      (or an absolute path in the quotes)
// else the home folder. A name is PROGRAM-YYYYMMDD-HHMMSS.png in local time; when that file is
// there already, -2, -3 ... go before the .png, so no screenshot is ever overwritten.
#pragma once

#include <ctime>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace lw::platform {

struct PicturesEnvironment {
  std::optional<std::string_view> xdgPicturesDir;  // the variable, when set
  std::string_view home;                           // $HOME
  std::optional<std::string_view> userDirs;        // the text of user-dirs.dirs, when read
};

// The folder screenshots go to.
[[nodiscard]] std::filesystem::path PicturesFolder(const PicturesEnvironment& environment);

// "PROGRAM-YYYYMMDD-HHMMSS.png", or with "-N" before ".png" for an `attempt` N of 2 or more.
[[nodiscard]] std::string ScreenshotName(std::string_view program, const std::tm& when,
                                         int attempt = 1);

// The first path of `folder` / ScreenshotName(...) that `taken` says is free; nothing when
// every attempt up to a hundred is taken.
[[nodiscard]] std::optional<std::filesystem::path> FreeScreenshotPath(
    const std::filesystem::path& folder, std::string_view program, const std::tm& when,
    const std::function<bool(const std::filesystem::path&)>& taken);

}  // namespace lw::platform
