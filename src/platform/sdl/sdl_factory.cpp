#include "platform/sdl/sdl_factory.h"

#include "platform/sdl/sdl_platform.h"

namespace lw::platform {

Expected<std::unique_ptr<Platform>, std::string> MakeSdlPlatform(
    const std::filesystem::path& titleFolder) {
  auto platform = std::make_unique<SdlPlatform>(titleFolder.string());
  if (!platform->displayAvailable()) return Unexpected(platform->displayProblem());
  return std::unique_ptr<Platform>(std::move(platform));
}

}  // namespace lw::platform
