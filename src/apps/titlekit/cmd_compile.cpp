// titlekit compile SRC [-o OUT] [--no-check]: checks a script file (titlekit check), then
// compiles it and writes the compiled block, or prints a dump of it. A script with errors is
// refused unless --no-check. SRC may also be a compiled file, which is then checked and dumped.
#include <iostream>
#include <optional>
#include <string>

#include "apps/titlekit/commands.h"
#include "apps/titlekit/script_check_report.h"
#include "apps/titlekit/script_dump.h"
#include "apps/titlekit/script_files.h"

namespace lw::titlekit {
namespace {

struct CompileOptions {
  std::string source;
  std::optional<std::string> output;
  bool check = true;
};

// The options, or null after a complaint about them.
std::optional<CompileOptions> ParseCompileOptions(Arguments args) {
  CompileOptions options;
  bool haveSource = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "-o") {
      if (i + 1 == args.size() || options.output) {
        std::cerr << "titlekit compile: -o needs one file name\n";
        return std::nullopt;
      }
      options.output = std::string(args[++i]);
    } else if (args[i] == "--no-check") {
      options.check = false;
    } else if (!haveSource) {
      options.source = std::string(args[i]);
      haveSource = true;
    } else {
      std::cerr << "titlekit compile: unexpected argument '" << args[i] << "'\n";
      return std::nullopt;
    }
  }
  if (!haveSource) {
    std::cerr << "titlekit compile: missing SRC\n";
    return std::nullopt;
  }
  return options;
}

}  // namespace

int RunCompileCommand(Arguments args) {
  const std::optional<CompileOptions> options = ParseCompileOptions(args);
  if (!options) return kExitUsage;
  if (options->check && !ScriptPassesCheck(options->source, std::cerr)) return kExitFailure;
  auto script = LoadScriptFile(options->source);
  if (!script) {
    std::cerr << script.error() << '\n';
    return kExitFailure;
  }
  if (!options->output) {
    std::cout << DumpScript(*script);
    return kExitOk;
  }
  if (auto failure = WriteWholeFile(*options->output, script->ToBytes())) {
    std::cerr << *failure << '\n';
    return kExitFailure;
  }
  return kExitOk;
}

}  // namespace lw::titlekit
