// titlekit eval [--script FILE | --title DIR] [--seed N] [LINE ...]: runs lines as the
// programmer's message box does, one interpreter for all of them (so globals persist from line
// to line), and prints each line's outcome. Lines come from the arguments, else from standard
// input, one per line. `random` is seeded with N, or like the runtime with the time in ticks, so
// that runs differ. With --title the lines run inside the title DIR, booted headless by the
// runtime, so that every built-in of the runtime is there too.
#include <charconv>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "apps/titlekit/commands.h"
#include "apps/titlekit/script_files.h"
#include "apps/titlekit/script_text.h"
#include "apps/titlekit/system_script_host.h"
#include "platform/fonts/ttf_fonts.h"
#include "platform/headless/headless_platform.h"
#include "runtime/runtime.h"
#include "script/console.h"
#include "script/interpreter.h"

namespace lw::titlekit {
namespace {

struct EvalOptions {
  std::optional<std::string> systemScript;
  std::optional<std::string> title;
  std::optional<std::uint32_t> seed;
  std::vector<std::string_view> lines;
};

// A decimal seed, or nothing when the text is not one.
std::optional<std::uint32_t> ParseSeed(std::string_view text) {
  std::uint32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// The time in ticks of 1/60 second (ms x 3 / 50) on the steady clock, as the runtime counts.
std::uint32_t ClockTicks() {
  constexpr std::int64_t kTicksPerMsNumerator = 3;
  constexpr std::int64_t kTicksPerMsDenominator = 50;
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::steady_clock::now().time_since_epoch())
                      .count();
  return static_cast<std::uint32_t>(ms * kTicksPerMsNumerator / kTicksPerMsDenominator);
}

// The options, or null after a complaint about them. "--" makes every later argument a line,
// so that a line may itself be "--script".
std::optional<EvalOptions> ParseEvalOptions(Arguments args) {
  EvalOptions options;
  bool linesOnly = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (!linesOnly && args[i] == "--") {
      linesOnly = true;
    } else if (!linesOnly && args[i] == "--script") {
      if (i + 1 == args.size() || options.systemScript) {
        std::cerr << "titlekit eval: --script needs one file name\n";
        return std::nullopt;
      }
      options.systemScript = std::string(args[++i]);
    } else if (!linesOnly && args[i] == "--title") {
      if (i + 1 == args.size() || options.title) {
        std::cerr << "titlekit eval: --title needs one folder\n";
        return std::nullopt;
      }
      options.title = std::string(args[++i]);
    } else if (!linesOnly && args[i] == "--seed") {
      const std::optional<std::uint32_t> seed =
          i + 1 < args.size() ? ParseSeed(args[++i]) : std::nullopt;
      if (!seed || options.seed) {
        std::cerr << "titlekit eval: --seed needs one number from 0 to 4294967295\n";
        return std::nullopt;
      }
      options.seed = seed;
    } else {
      options.lines.push_back(args[i]);
    }
  }
  if (options.systemScript && options.title) {
    std::cerr << "titlekit eval: --script and --title do not go together (a title's system "
                 "script is its boot file's)\n";
    return std::nullopt;
  }
  return options;
}

// Runs one UTF-8 line at the start of a fresh pass and prints its outcome; false when the line
// cannot be converted to Mac Roman (reported as NAME:LINE:COLUMN).
bool EvalLine(Interpreter& in, std::string_view line, const std::string& name, int lineNumber) {
  auto text = Utf8ToScriptText(line);
  if (!text) {
    const ConversionFailure& failure = text.error();
    std::cerr << name << ':' << lineNumber + failure.where.line - 1 << ':' << failure.where.column
              << ": " << failure.reason << '\n';
    return false;
  }
  in.beginPass();
  std::cout << ScriptTextToUtf8(RunConsoleLine(in, *text)) << std::endl;
  return true;
}

// Runs the lines of standard input; blank lines are skipped and a CR before the LF is dropped.
bool EvalStandardInput(Interpreter& in) {
  bool allConverted = true;
  std::string line;
  for (int number = 1; std::getline(std::cin, line); ++number) {
    if (line.ends_with('\r')) line.pop_back();
    if (line.empty()) continue;
    allConverted = EvalLine(in, line, "<stdin>", number) && allConverted;
  }
  return allConverted;
}

// Runs every line of the options, or of standard input; false when a line cannot be converted.
bool EvalLines(Interpreter& in, const EvalOptions& options) {
  if (options.lines.empty()) return EvalStandardInput(in);
  bool allConverted = true;
  for (std::size_t i = 0; i < options.lines.size(); ++i) {
    const std::string name = "<argument " + std::to_string(i + 1) + ">";
    allConverted = EvalLine(in, options.lines[i], name, 1) && allConverted;
  }
  return allConverted;
}

// The lines inside a title booted headless: one loop pass runs its boot(), then each line runs
// as the message box runs it; the title's boxes are answered with their default buttons.
int EvalInTitle(const EvalOptions& options) {
  const std::filesystem::path folder(*options.title);
  std::error_code error;
  if (!std::filesystem::is_directory(folder, error)) {
    std::cerr << "titlekit eval: " << *options.title << ": no such folder\n";
    return kExitFailure;
  }
  platform::TtfFontRenderer fonts(*options.title);
  platform::HeadlessPlatform platform(platform::InputScript{"<none>", {}}, fonts);
  RuntimeOptions runtimeOptions;
  runtimeOptions.titleFolder = folder;
  runtimeOptions.seed = options.seed;
  Runtime runtime(platform, runtimeOptions);
  if (!runtime.Begin()) return kExitFailure;
  runtime.loop().Pass();
  const bool allConverted = EvalLines(*runtime.interpreter(), options);
  runtime.End();
  return allConverted ? kExitOk : kExitFailure;
}

}  // namespace

int RunEvalCommand(Arguments args) {
  const std::optional<EvalOptions> options = ParseEvalOptions(args);
  if (!options) return kExitUsage;
  if (options->title) return EvalInTitle(*options);

  std::unique_ptr<SystemScriptHost> host = std::make_unique<SystemScriptHost>();
  if (options->systemScript) {
    auto opened = SystemScriptHost::Open(*options->systemScript);
    if (!opened) {
      std::cerr << opened.error() << '\n';
      return kExitFailure;
    }
    host = std::move(opened).value();
  }
  Interpreter in(*host);
  in.random().seed(options->seed ? *options->seed : ClockTicks());
  return EvalLines(in, *options) ? kExitOk : kExitFailure;
}

}  // namespace lw::titlekit
