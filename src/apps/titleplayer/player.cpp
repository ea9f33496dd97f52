#include "apps/titleplayer/player.h"

#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <string_view>

#include "common/mac_roman.h"
#include "platform/fonts/ttf_fonts.h"
#include "platform/headless/headless_platform.h"
#include "platform/sdl/sdl_factory.h"
#include "runtime/runtime.h"

namespace lw::titleplayer {
namespace {

// A trace line as the terminal should show it: control characters (below 0x20, and 0x7F) as
// \xHH, so that keydown("\x09") shows which key came rather than moving the cursor; then UTF-8.
std::string TraceLine(std::string_view macRoman) {
  constexpr std::uint8_t kFirstPrintable = 0x20;
  constexpr std::uint8_t kDelete = 0x7F;
  constexpr std::string_view kHexDigits = "0123456789ABCDEF";
  std::string escaped;
  for (const char c : macRoman) {
    const auto byte = static_cast<std::uint8_t>(c);
    if (byte >= kFirstPrintable && byte != kDelete) {
      escaped += c;
      continue;
    }
    escaped += "\\x";
    escaped += kHexDigits[byte >> 4];
    escaped += kHexDigits[byte & 0xF];
  }
  return MacRomanToUtf8(escaped);
}

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
    runtime.trace = [](std::string_view line) {
      std::cout << TraceLine(line) << '\n' << std::flush;
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
