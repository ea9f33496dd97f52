#include "platform/screenshot_place.h"

#include <array>
#include <cstdio>

namespace lw::platform {
namespace {

constexpr std::string_view kPicturesKey = "XDG_PICTURES_DIR=";
constexpr std::string_view kHomePrefix = "$HOME";
constexpr int kMostAttempts = 100;
constexpr int kFirstYear = 1900;  // std::tm counts years from it
constexpr int kFirstMonth = 1;    // and months from 0

bool IsAbsolute(std::string_view path) { return !path.empty() && path.front() == '/'; }

// The folder of user-dirs.dirs' XDG_PICTURES_DIR line, or nothing when it has none usable.
std::optional<std::filesystem::path> UserDirsPictures(std::string_view text,
                                                      std::string_view home) {
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (!line.starts_with(kPicturesKey)) continue;
    line.remove_prefix(kPicturesKey.size());
    if (line.size() < 2 || line.front() != '"') continue;
    const std::size_t close = line.find('"', 1);
    if (close == std::string_view::npos) continue;
    const std::string_view value = line.substr(1, close - 1);
    if (value.starts_with(kHomePrefix) &&
        (value.size() == kHomePrefix.size() || value[kHomePrefix.size()] == '/')) {
      return std::filesystem::path(std::string(home) +
                                   std::string(value.substr(kHomePrefix.size())));
    }
    if (IsAbsolute(value)) return std::filesystem::path(value);
  }
  return std::nullopt;
}

}  // namespace

std::filesystem::path PicturesFolder(const PicturesEnvironment& environment) {
  if (environment.xdgPicturesDir && IsAbsolute(*environment.xdgPicturesDir)) {
    return std::filesystem::path(*environment.xdgPicturesDir);
  }
  if (environment.userDirs) {
    if (auto folder = UserDirsPictures(*environment.userDirs, environment.home)) return *folder;
  }
  return std::filesystem::path(environment.home);
}

std::string ScreenshotName(std::string_view program, const std::tm& when, int attempt) {
  std::array<char, 80> stamp{};  // room for any six numbers
  std::snprintf(stamp.data(), stamp.size(), "%04d%02d%02d-%02d%02d%02d", when.tm_year + kFirstYear,
                when.tm_mon + kFirstMonth, when.tm_mday, when.tm_hour, when.tm_min, when.tm_sec);
  std::string name = std::string(program) + "-" + stamp.data();
  if (attempt > 1) name += "-" + std::to_string(attempt);
  return name + ".png";
}

std::optional<std::filesystem::path> FreeScreenshotPath(
    const std::filesystem::path& folder, std::string_view program, const std::tm& when,
    const std::function<bool(const std::filesystem::path&)>& taken) {
  for (int attempt = 1; attempt <= kMostAttempts; ++attempt) {
    std::filesystem::path path = folder / ScreenshotName(program, when, attempt);
    if (!taken(path)) return path;
  }
  return std::nullopt;
}

}  // namespace lw::platform
