#include "platform/sdl/sdl_factory.h"

#include "platform/sdl/sdl_platform.h"

namespace lw::platform {

Expected<std::unique_ptr<Platform>, std::string> MakeSdlPlatform(
    const std::filesystem::path& titleFolder, const SdlPlatformSettings& settings) {
  auto platform = std::make_unique<SdlPlatform>(titleFolder.string(), settings);
  if (!platform->displayAvailable()) return Unexpected(platform->displayProblem());
  return std::unique_ptr<Platform>(std::move(platform));
}

}  // namespace lw::platform
