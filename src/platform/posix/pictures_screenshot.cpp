#include "platform/posix/pictures_screenshot.h"

#include <ctime>
#include <filesystem>
#include <optional>
#include <system_error>

#include "platform/posix/pictures_folder.h"
#include "platform/screenshot_place.h"

namespace lw::platform {

Expected<std::string, std::string> SaveScreenshotToPicturesFolder(Platform& platform,
                                                                  std::string_view program) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  const std::optional<std::filesystem::path> path = FreeScreenshotPath(
      UserPicturesFolder(), program, local, [](const std::filesystem::path& taken) {
        std::error_code error;
        return std::filesystem::exists(taken, error) || error;
      });
  if (!path) return Unexpected(std::string("no free name for a screenshot"));
  if (const std::optional<std::string> problem = platform.saveScreenshot(path->string()))
    return Unexpected(*problem);
  return path->string();
}

}  // namespace lw::platform
