#include "apps/titleplayer/player_options.h"

#include <charconv>
#include <system_error>
#include <utility>

#include "apps/manual/help_to_manual.h"

namespace lw::titleplayer {
namespace {

constexpr std::string_view kUsage =
    "usage: titleplayer [options] TITLE_DIR\n"
    "\n"
    "Boots the title whose boot file is TITLE_DIR/bootfile.\n"
    "\n"
    "options:\n"
    "  --windowed            play in a window\n"
    "  --fullscreen          play full screen (the default; F11 or Alt+Enter switches)\n"
    "  --integer-scale       scale the 640 x 480 screen by whole numbers only\n"
    "  --volume NAME=PATH    the folder or ISO 9660 disc image that stands for volume NAME:\n"
    "                        (repeatable)\n"
    "  --headless            run without a window, on a virtual clock\n"
    "  --input FILE          the input script of a headless run\n"
    "  --ticks N             end the run when the tick count (60 a second) reaches N\n"
    "  --screenshot FILE     write the screen as a PNG file when the run ends\n"
    "  --audio-out FILE      write the sound of a headless run as a WAV file, silences\n"
    "                        included, so that its samples keep time with the virtual clock\n"
    "  --mute                play without sound (the title keeps the pace of its sound)\n"
    "  --volume-level N      the player's sound level over the title's own, 0 (silent) to 9\n"
    "                        (full, the default)\n"
    "  --no-pause-in-background\n"
    "                        keep playing, and sounding, while another window has the focus\n"
    "  --pause-in-background\n"
    "                        pause while another window has the focus (the default)\n"
    "  --trace-calls         print every handler call the runtime makes, except idle()\n"
    "  --trace-present       print every rectangle copied to the window with the tick count\n"
    "                        then, one a line: 'present TICK: LEFT,TOP RIGHT,BOTTOM'\n"
    "  --seed N              the seed of the title's random numbers\n"
    "  --console             show the message box from the start (F12 shows and hides it)\n"
    "  --strict              end the run at the first script error, with exit status 3\n"
    "  --log CHANNEL[,...]   write the developers' notes of these channels on standard error:\n"
    "                        boot, files, script, input, present, sound\n"
    "  --help                show this text\n"
    "  --version             show the version\n"
    "\n"
    "A headless run ends 60 ticks after its input script has played its last action, unless\n"
    "the title or --ticks ends it first. The script's console lines run in the message box,\n"
    "and each outcome is printed on standard output as 'console: OUTCOME'.\n";

constexpr std::string_view kMovieUsage =
    "usage: movieplayer [options] [MOVIE]\n"
    "\n"
    "Plays the movie file MOVIE (.MOV) and exits when it ends. MOVIE is looked for in its\n"
    "folder (the current folder when it names none), then in the program's folder. Without\n"
    "MOVIE, an open dialog asks for one; Cancel exits.\n"
    "\n"
    "options:\n"
    "  --windowed            play in a window\n"
    "  --fullscreen          play full screen (the default; F11 or Alt+Enter switches)\n"
    "  --integer-scale       scale the 640 x 480 screen by whole numbers only\n"
    "  --volume NAME=PATH    the folder that stands for volume NAME: (repeatable)\n"
    "  --headless            run without a window, on a virtual clock\n"
    "  --input FILE          the input script of a headless run ('choose PATH' answers the\n"
    "                        open dialog)\n"
    "  --ticks N             end the run when the tick count (60 a second) reaches N\n"
    "  --screenshot FILE     write the screen as a PNG file when the run ends\n"
    "  --audio-out FILE      write the sound of a headless run as a WAV file, silences\n"
    "                        included, so that its samples keep time with the virtual clock\n"
    "  --mute                play without sound (the movie keeps the pace of its sound)\n"
    "  --volume-level N      the player's sound level over the movie's own, 0 (silent) to 9\n"
    "                        (full, the default)\n"
    "  --no-pause-in-background\n"
    "                        keep playing, and sounding, while another window has the focus\n"
    "  --pause-in-background\n"
    "                        pause while another window has the focus (the default)\n"
    "  --trace-calls         print every handler call the runtime makes (a movie makes none)\n"
    "  --trace-present       print every rectangle copied to the window with the tick count\n"
    "                        then, one a line: 'present TICK: LEFT,TOP RIGHT,BOTTOM'\n"
    "  --seed N              the seed of the random numbers that dissolves draw from\n"
    "  --log CHANNEL[,...]   write the developers' notes of these channels on standard error:\n"
    "                        boot, files, script, input, present, sound\n"
    "  --help                show this text\n"
    "  --version             show the version\n"
    "\n"
    "A movie that is not found is named on standard error, with exit status 1.\n";

// The keys and files of play in a window, the end of both programs' --help, with PROGRAM
// standing for the program's name. F12 is the title player's message box key.
constexpr std::string_view kDesktopKeys =
    "\n"
    "keys:\n"
    "  F11, Alt+Enter        switch between full screen and a window\n"
    "  Ctrl+F12              save the screen as a PNG file, PROGRAM-YYYYMMDD-HHMMSS.png in\n"
    "                        $XDG_PICTURES_DIR (or the pictures folder of\n"
    "                        ~/.config/user-dirs.dirs, or the home folder)\n"
    "  Ctrl+Shift+M          silence the sound, or bring it back (not with --mute, which\n"
    "                        opens no sound device)\n"
    "  F10                   the player menu: sound level, mute, display, scaling, a\n"
    "                        screenshot, quit; the title waits while it is up\n";
constexpr std::string_view kMessageBoxKey =
    "  F12                   show or hide the message box\n";
constexpr std::string_view kDesktopFiles =
    "\n"
    "files:\n"
    "  $XDG_CONFIG_HOME/loomwork/player.conf\n"
    "                        (~/.config/loomwork/player.conf without XDG_CONFIG_HOME) the\n"
    "                        options of play in a window, one 'option = value' a line, '#'\n"
    "                        starting a comment: display = fullscreen|windowed,\n"
    "                        scaling = fit|integer, mute = yes|no, volume-level = 0..9,\n"
    "                        pause-in-background = yes|no. The command line wins over the\n"
    "                        file; headless runs do not read it.\n";

// The sample title, built with the project; the message for a missing TITLE_DIR names it.
#ifdef LW_SAMPLE_TITLE_DIR
constexpr std::string_view kSampleTitle = LW_SAMPLE_TITLE_DIR;
#else
constexpr std::string_view kSampleTitle = "build/examples/sample-title";
#endif

constexpr int kMaxVolumeLevel = 9;
constexpr int kManualSection = 6;  // games

#ifdef LW_VERSION
constexpr std::string_view kVersion = LW_VERSION;
#else
constexpr std::string_view kVersion = "0";
#endif

std::optional<std::uint32_t> ParseNumber(std::string_view text) {
  std::uint32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
    return std::nullopt;
  }
  return value;
}

// NAME=PATH with both parts present; the name without its colon, if one was written.
std::optional<std::pair<std::string, std::filesystem::path>> ParseVolume(std::string_view text) {
  const std::size_t equals = text.find('=');
  if (equals == std::string_view::npos || equals == 0 || equals + 1 == text.size()) {
    return std::nullopt;
  }
  std::string_view name = text.substr(0, equals);
  if (name.ends_with(':')) name.remove_suffix(1);
  if (name.empty()) return std::nullopt;
  return std::pair{std::string(name), std::filesystem::path(text.substr(equals + 1))};
}

// Applies an option that takes a value; the complaint when the value is wrong.
std::optional<std::string> ApplyValue(std::string_view option, std::string_view value,
                                      PlayerOptions& options) {
  if (option == "--volume") {
    auto volume = ParseVolume(value);
    if (!volume) return "--volume needs NAME=PATH, not '" + std::string(value) + "'";
    options.volumes.push_back(std::move(*volume));
  } else if (option == "--input") {
    options.inputScript = std::string(value);
  } else if (option == "--audio-out") {
    options.audioOut = std::string(value);
  } else if (option == "--log") {
    auto channels = ParseLogChannels(value);
    if (!channels) return "--log: " + channels.error();
    options.log |= *channels;
  } else if (option == "--volume-level") {
    const auto level = ParseNumber(value);
    if (!level || *level > kMaxVolumeLevel) {
      return "--volume-level needs a level from 0 to 9, not '" + std::string(value) + "'";
    }
    options.volumeLevel = static_cast<int>(*level);
  } else if (option == "--ticks" || option == "--seed") {
    const auto number = ParseNumber(value);
    if (!number) return std::string(option) + " needs a number, not '" + std::string(value) + "'";
    (option == "--ticks" ? options.endTick : options.seed) = number;
  } else {
    options.screenshot = std::string(value);
  }
  return std::nullopt;
}

bool TakesValue(std::string_view option) {
  return option == "--volume" || option == "--input" || option == "--ticks" ||
         option == "--screenshot" || option == "--seed" || option == "--log" ||
         option == "--audio-out" || option == "--volume-level";
}

// The title player's flags that mean nothing without a script: no movie runs one.
bool TitleOnlyFlag(std::string_view option) {
  return option == "--console" || option == "--strict";
}

// Applies a flag of `program`; false when `option` is no such flag.
bool ApplyFlag(std::string_view option, PlayerProgram program, PlayerOptions& options) {
  if (program == PlayerProgram::kMovie && TitleOnlyFlag(option)) return false;
  if (option == "--windowed") {
    options.fullscreen = false;
  } else if (option == "--fullscreen") {
    options.fullscreen = true;
  } else if (option == "--integer-scale") {
    options.integerScale = true;
  } else if (option == "--headless") {
    options.headless = true;
  } else if (option == "--mute") {
    options.mute = true;
  } else if (option == "--pause-in-background") {
    options.pauseInBackground = true;
  } else if (option == "--no-pause-in-background") {
    options.pauseInBackground = false;
  } else if (option == "--trace-calls") {
    options.traceCalls = true;
  } else if (option == "--trace-present") {
    options.tracePresent = true;
  } else if (option == "--console") {
    options.console = true;
  } else if (option == "--strict") {
    options.strict = true;
  } else if (option == "--help" || option == "-h") {
    options.help = true;
  } else if (option == "--version") {
    options.version = true;
  } else if (option == "--help-man") {
    options.helpMan = true;
  } else {
    return false;
  }
  return true;
}

// Takes the one argument that is no option: TITLE_DIR or MOVIE.
void ApplyOperand(std::string_view arg, PlayerProgram program, PlayerOptions& options) {
  if (program == PlayerProgram::kMovie) {
    options.movie = std::string(arg);
  } else {
    options.titleFolder = std::filesystem::path(arg);
  }
}

}  // namespace

std::string_view ProgramName(PlayerProgram program) {
  return program == PlayerProgram::kMovie ? "movieplayer" : "titleplayer";
}

Expected<PlayerOptions, std::string> ParsePlayerOptions(Arguments args, PlayerProgram program,
                                                        PlayerOptions base) {
  PlayerOptions options = std::move(base);
  bool haveOperand = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (ApplyFlag(arg, program, options)) continue;
    if (TakesValue(arg)) {
      if (i + 1 == args.size()) return Unexpected{std::string(arg) + " needs a value"};
      if (auto complaint = ApplyValue(arg, args[++i], options)) return Unexpected{*complaint};
    } else if (arg.starts_with('-')) {
      return Unexpected{"unknown option '" + std::string(arg) + "'"};
    } else if (!haveOperand) {
      ApplyOperand(arg, program, options);
      haveOperand = true;
    } else {
      return Unexpected{"unexpected argument '" + std::string(arg) + "'"};
    }
  }
  if (options.help || options.version || options.helpMan) return options;
  if (options.inputScript && !options.headless)
    return Unexpected{std::string("--input needs --headless")};
  if (options.audioOut && !options.headless)
    return Unexpected{std::string("--audio-out needs --headless (--mute plays without sound)")};
  if (!haveOperand && program == PlayerProgram::kTitle) {
    return Unexpected{"no TITLE_DIR given; to play the sample title, run\n  titleplayer " +
                      std::string(kSampleTitle)};
  }
  return options;
}

std::string UsageText(PlayerProgram program) {
  const bool movie = program == PlayerProgram::kMovie;
  std::string keys(kDesktopKeys);
  constexpr std::string_view kProgram = "PROGRAM";
  keys.replace(keys.find(kProgram), kProgram.size(), ProgramName(program));
  return std::string(movie ? kMovieUsage : kUsage) + keys +
         std::string(movie ? "" : kMessageBoxKey) + std::string(kDesktopFiles);
}

std::string ManualPage(PlayerProgram program) {
  return HelpToManual({ProgramName(program), kManualSection, kVersion}, UsageText(program));
}

std::string VersionText(PlayerProgram program) {
  return std::string(ProgramName(program)) + " " + std::string(kVersion) + "\n";
}

}  // namespace lw::titleplayer
