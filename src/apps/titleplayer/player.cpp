#include "apps/titleplayer/player.h"

#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "apps/titleplayer/player_config_file.h"
#include "apps/titleplayer/player_startup.h"
#include "common/mac_roman.h"
#include "platform/fonts/ttf_fonts.h"
#include "platform/headless/headless_platform.h"
#include "platform/sdl/sdl_audio.h"
#include "platform/sdl/sdl_display_report.h"
#include "platform/sdl/sdl_factory.h"
#include "runtime/runtime.h"
#include "shell/drawing/rect_ops.h"
#include "shell/files/disc_image.h"

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

// A rectangle of a present trace line: "LEFT,TOP RIGHT,BOTTOM", right and bottom exclusive.
std::string RectText(const Rect& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right) +
         "," + std::to_string(r.bottom);
}

// A present trace line: "present TICK: RECT", and " from RECT" when the pixels came from
// another place of the picture (a scrolling reveal).
std::string PresentLine(std::uint32_t tick, const PresentedRect& r) {
  std::string line = "present " + std::to_string(tick) + ": " + RectText(r.rect);
  if (!EqualRect(r.rect, r.from)) line += " from " + RectText(r.from);
  return line;
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
  runtime.strict = options.strict;
  if (options.traceCalls) {
    runtime.trace = [](std::string_view line) {
      std::cout << TraceLine(line) << '\n' << std::flush;
    };
  }
  if (options.tracePresent) {
    runtime.presentTrace = [](std::uint32_t tick, const PresentedRect& copied) {
      std::cout << PresentLine(tick, copied) << '\n' << std::flush;
    };
  }
  if (options.headless) {
    runtime.soundDriver = [] { return std::string("headless"); };
  } else if (options.mute) {
    runtime.soundDriver = [] { return std::string("muted"); };
  } else {
    runtime.soundDriver = [] { return platform::SdlAudioDriverName(); };
  }
  // Flushed line by line, so that the outcomes stand among the traced calls in the order of
  // the run.
  runtime.console = [](std::string_view outcome) {
    std::cout << "console: " << MacRomanToUtf8(outcome) << '\n' << std::flush;
  };
  return runtime;
}

// Why `folder` cannot be a folder the run reads from; nothing when it can.
std::optional<std::string> FolderProblem(const std::filesystem::path& folder) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(folder, error);
  if (!std::filesystem::exists(status)) return folder.string() + ": no such folder";
  // A disc image stands for a folder.
  if (!std::filesystem::is_directory(status) && !IsDiscImage(folder))
    return folder.string() + " is not a folder";
  return std::nullopt;
}

// The folders of the command line, checked before anything starts; the complaint about the
// first that is wrong.
std::optional<std::string> CheckFolders(const PlayerOptions& options) {
  if (auto problem = FolderProblem(options.titleFolder)) {
    return *problem + " (TITLE_DIR is the folder that holds the title's bootfile)";
  }
  for (const auto& [name, root] : options.volumes) {
    if (auto problem = FolderProblem(root)) return "--volume " + name + ": " + *problem;
  }
  return std::nullopt;
}

// The display a headless run stands for: the canvas, in 256 colours.
constexpr platform::DisplayReport kHeadlessDisplay{true, platform::kCanvasWidth,
                                                   platform::kCanvasHeight, 8};

// Runs the start-up checks of `title` against `platform` (null when none could be made) and the
// display it reports; the exit status when they stop the start.
std::optional<int> StartUp(const PlayerOptions& options, const TitleStrings& title,
                           platform::Platform* platform, platform::DisplayReport display,
                           std::function<bool()> okWasChosen, StartupOutcome& outcome) {
  const StartupRun run{title,   options.titleFolder, options.volumes,       platform,
                       display, options.headless,    std::move(okWasChosen)};
  auto checked = CheckMachine(run);
  if (!checked) {
    std::cerr << ProgramName(PlayerProgram::kTitle) << ": " << checked.error() << '\n';
    return kExitUsage;
  }
  outcome = *checked;
  if (!outcome.passed) return kExitStartupStopped;
  LW_LOG(kBoot, "start-up checks passed: %d-byte samples", outcome.sampleBytes);
  return std::nullopt;
}

int PlayHeadless(const PlayerOptions& options, RuntimeOptions runtime, std::string_view program,
                 const TitleStrings* title) {
  platform::TtfFontRenderer fonts(options.titleFolder.string());
  platform::InputScript script;
  if (options.inputScript) {
    auto read = platform::ReadInputScript(*options.inputScript);
    if (!read) {
      std::cerr << program << ": " << read.error() << '\n';
      return kExitFailure;
    }
    script = std::move(read).value();
  }
  std::unique_ptr<platform::WavCapture> capture;
  if (options.audioOut) {
    auto made = platform::WavCapture::Create(*options.audioOut);
    if (!made) {
      std::cerr << program << ": --audio-out: " << made.error() << '\n';
      return kExitFailure;
    }
    capture = std::move(made).value();
  }
  platform::HeadlessPlatform platform(std::move(script), fonts, stderr, std::move(capture));
  if (title != nullptr) {
    StartupOutcome outcome;
    const auto okWasChosen = [&platform] { return platform.lastBoxAnsweredByScript(); };
    if (const std::optional<int> stopped =
            StartUp(options, *title, &platform, kHeadlessDisplay, okWasChosen, outcome))
      return *stopped;
  }
  runtime.inputFinished = [&platform] { return platform.scriptFinished(); };
  int status = kExitOk;
  {
    Runtime player(platform, std::move(runtime));
    status = player.Run();
  }
  // The runtime has closed its sound: the record is complete.
  if (const std::optional<std::string> error = platform.flushAudioCapture()) {
    std::cerr << program << ": --audio-out: " << *error << '\n';
    if (status == kExitOk) status = kExitFailure;
  }
  return status;
}

int PlayInWindow(const PlayerOptions& options, RuntimeOptions runtime, std::string_view program,
                 const TitleStrings* title) {
  platform::SdlPlatformSettings settings;
  settings.mute = options.mute;
  settings.volumeLevel = options.volumeLevel;
  settings.pauseInBackground = options.pauseInBackground;
  settings.program = std::string(program);
  auto platform = platform::MakeSdlPlatform(options.titleFolder, settings);
  if (title != nullptr) {
    StartupOutcome outcome;
    const platform::DisplayReport display =
        platform ? platform::DesktopDisplay() : platform::DisplayReport{};
    platform::Platform* shown = platform ? platform->get() : nullptr;
    // A retry box that could be shown to no one stops the start rather than asking forever.
    const auto okWasChosen = [shown] { return shown == nullptr || shown->lastBoxWasAnswered(); };
    if (const std::optional<int> stopped =
            StartUp(options, *title, shown, display, okWasChosen, outcome)) {
      // The box says there is no display; the platform's own error says why, for the player.
      if (!platform)
        std::cerr << program << ": " << platform.error() << "\n(--headless runs without one)\n";
      return *stopped;
    }
    if (outcome.sampleBytes == 0 && !settings.mute && platform) {
      // No sound device, and the player went on: the title plays by the clock, unheard.
      settings.mute = true;
      platform = platform::MakeSdlPlatform(options.titleFolder, settings);
    }
  }
  if (!platform) {
    std::cerr << program << ": " << platform.error() << "\n(--headless runs without one)\n";
    return kExitFailure;
  }
  Runtime player(**platform, std::move(runtime));
  return player.Run();
}

}  // namespace

int Play(const PlayerOptions& options) { return Play(options, PlayerProgram::kTitle, {}); }

int Play(const PlayerOptions& options, PlayerProgram program,
         const std::function<void(RuntimeOptions&)>& adjust) {
  const std::string_view name = ProgramName(program);
  SetLogChannels(options.log);
  LW_LOG(kBoot, "playing %s", options.headless ? "headless" : "in a window");
  if (const std::optional<std::string> complaint = CheckFolders(options)) {
    std::cerr << name << ": " << *complaint << '\n';
    return kExitUsage;
  }
  RuntimeOptions runtime = ToRuntimeOptions(options);
  // Only the title player reads a title's strings and checks the machine for it.
  std::optional<TitleStrings> title;
  if (program == PlayerProgram::kTitle) {
    auto read = ReadTitleStrings(options.titleFolder);
    if (!read) {
      std::cerr << name << ": " << read.error() << '\n';
      return kExitFailure;
    }
    title = std::move(*read);
    runtime.titleName = title->name;
  }
  if (adjust) adjust(runtime);
  const TitleStrings* strings = title ? &*title : nullptr;
  return options.headless ? PlayHeadless(options, std::move(runtime), name, strings)
                          : PlayInWindow(options, std::move(runtime), name, strings);
}

Expected<PlayerOptions, std::string> ReadPlayerOptions(Arguments args, PlayerProgram program) {
  auto options = ParsePlayerOptions(args, program);
  if (!options || options->headless || options->help || options->version || options->helpMan) {
    return options;
  }
  const PlayerConfig config = ReadUserPlayerConfig();
  for (const std::string& complaint : config.complaints) {
    std::cerr << ProgramName(program) << ": " << complaint << '\n';
  }
  PlayerOptions base;
  ApplyPlayerSettings(config.settings, base);
  return ParsePlayerOptions(args, program, std::move(base));
}

bool PrintAskedText(const PlayerOptions& options, PlayerProgram program) {
  if (options.help) {
    std::cout << UsageText(program);
  } else if (options.version) {
    std::cout << VersionText(program);
  } else if (options.helpMan) {
    std::cout << ManualPage(program);
  } else {
    return false;
  }
  return true;
}

int Main(Arguments args) {
  auto options = ReadPlayerOptions(args, PlayerProgram::kTitle);
  if (!options) {
    std::cerr << "titleplayer: " << options.error() << "\n(titleplayer --help lists the options)\n";
    return kExitUsage;
  }
  if (PrintAskedText(*options, PlayerProgram::kTitle)) return kExitOk;
  return Play(*options);
}

}  // namespace lw::titleplayer
