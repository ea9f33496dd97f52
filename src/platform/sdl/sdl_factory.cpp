#include "platform/sdl/sdl_factory.h"

#include "platform/sdl/sdl_platform.h"

namespace lw::platform {

Expected<std::unique_ptr<Platform>, std::string> MakeSdlPlatform(
    const std::filesystem::path& titleFolder, bool mute) {
  auto platform = std::make_unique<SdlPlatform>(titleFolder.string(), mute);
  if (!platform->displayAvailable()) return Unexpected(platform->displayProblem());
  return std::unique_ptr<Platform>(std::move(platform));
}

}  // namespace lw::platform
