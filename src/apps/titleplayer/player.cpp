#include "apps/titleplayer/player.h"

#include <filesystem>
#include <iostream>
#include <memory>

#include "common/mac_roman.h"
#include "platform/fonts/ttf_fonts.h"
#include "platform/headless/headless_platform.h"
#include "platform/sdl/sdl_factory.h"
#include "runtime/runtime.h"

namespace lw::titleplayer {
namespace {

RuntimeOptions ToRuntimeOptions(const PlayerOptions& options) {
  RuntimeOptions runtime;
  runtime.titleFolder = options.titleFolder;
  runtime.volumes = options.volumes;
  runtime.fullscreen = options.fullscreen;
  runtime.integerScale = options.integerScale;
  runtime.endTick = options.endTick;
  runtime.screenshotPath = options.screenshot;
  runtime.seed = options.seed;
  runtime.showMessageBox = options.console;
  if (options.traceCalls) {
    runtime.trace = [](std::string_view call) {
      std::cout << MacRomanToUtf8(call) << '\n' << std::flush;
    };
  }
  return runtime;
}

int PlayHeadless(const PlayerOptions& options, RuntimeOptions runtime) {
  platform::TtfFontRenderer fonts(options.titleFolder.string());
  platform::InputScript script;
  if (options.inputScript) {
    auto read = platform::ReadInputScript(*options.inputScript);
    if (!read) {
      std::cerr << "titleplayer: " << read.error() << '\n';
      return kExitFailure;
    }
    script = std::move(read).value();
  }
  platform::HeadlessPlatform platform(std::move(script), fonts);
  runtime.inputFinished = [&platform] { return platform.scriptFinished(); };
  Runtime player(platform, std::move(runtime));
  return player.Run();
}

int PlayInWindow(const PlayerOptions& options, RuntimeOptions runtime) {
  auto platform = platform::MakeSdlPlatform(options.titleFolder);
  if (!platform) {
    std::cerr << "titleplayer: " << platform.error() << "\n(--headless runs without one)\n";
    return kExitFailure;
  }
  Runtime player(**platform, std::move(runtime));
  return player.Run();
}

}  // namespace

int Play(const PlayerOptions& options) {
  SetLogChannels(options.log);
  LW_LOG(kBoot, "playing %s", options.headless ? "headless" : "in a window");
  std::error_code error;
  if (!std::filesystem::is_directory(options.titleFolder, error)) {
    std::cerr << "titleplayer: " << options.titleFolder.string() << ": no such folder\n";
    return kExitUsage;
  }
  RuntimeOptions runtime = ToRuntimeOptions(options);
  return options.headless ? PlayHeadless(options, std::move(runtime))
                          : PlayInWindow(options, std::move(runtime));
}

int Main(Arguments args) {
  auto options = ParsePlayerOptions(args);
  if (!options) {
    std::cerr << "titleplayer: " << options.error() << "\n(titleplayer --help lists the options)\n";
    return kExitUsage;
  }
  if (options->help) {
    std::cout << UsageText();
    return kExitOk;
  }
  if (options->version) {
    std::cout << VersionText();
    return kExitOk;
  }
  return Play(*options);
}

}  // namespace lw::titleplayer
