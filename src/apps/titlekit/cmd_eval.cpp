// titlekit eval [--script FILE] [LINE ...]: runs lines as the programmer's message box does,
// one interpreter for all of them (so globals persist from line to line), and prints each
// line's outcome. Lines come from the arguments, else from standard input, one per line.
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "apps/titlekit/commands.h"
#include "apps/titlekit/script_files.h"
#include "apps/titlekit/script_text.h"
#include "apps/titlekit/system_script_host.h"
#include "script/console.h"
#include "script/interpreter.h"

namespace lw::titlekit {
namespace {

struct EvalOptions {
  std::optional<std::string> systemScript;
  std::vector<std::string_view> lines;
};

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
    } else {
      options.lines.push_back(args[i]);
    }
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

}  // namespace

int RunEvalCommand(Arguments args) {
  const std::optional<EvalOptions> options = ParseEvalOptions(args);
  if (!options) return kExitUsage;

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

  bool allConverted = true;
  if (options->lines.empty()) {
    allConverted = EvalStandardInput(in);
  } else {
    for (std::size_t i = 0; i < options->lines.size(); ++i) {
      const std::string name = "<argument " + std::to_string(i + 1) + ">";
      allConverted = EvalLine(in, options->lines[i], name, 1) && allConverted;
    }
  }
  return allConverted ? kExitOk : kExitFailure;
}

}  // namespace lw::titlekit
