// titlekit build MANIFEST -o DIR: builds a title's files from its manifest (title_build.h). Each
// output is reported on standard output as "NAME: written" or "NAME: unchanged"; every error,
// all of them, on standard error, and then nothing was written.
#include <iostream>
#include <sstream>
#include <string>

#include "apps/titlekit/command_line.h"
#include "apps/titlekit/commands.h"
#include "apps/titlekit/script_check_report.h"
#include "apps/titlekit/script_files.h"
#include "apps/titlekit/storage.h"
#include "authoring/title_build.h"

namespace lw::titlekit {
namespace {

// The scripts of a title go through the check that `bootfile` runs: findings stop the build.
Expected<authoring::LoadedScript, std::string> LoadCheckedScript(const std::string& path) {
  std::ostringstream findings;
  if (!ScriptPassesCheck(path, findings)) {
    std::string text = findings.str();
    while (!text.empty() && text.back() == '\n') text.pop_back();
    return Unexpected{std::move(text)};
  }
  return LoadScriptFileWithLines(path);
}

}  // namespace

int RunBuildCommand(Arguments args) {
  auto line = SplitCommandLine(args);
  if (!line) {
    std::cerr << "titlekit build: " << line.error() << '\n';
    return kExitUsage;
  }
  std::string folder;
  for (const auto& [option, value] : line->options) {
    if (option != "-o") {
      std::cerr << "titlekit build: unknown option '" << option << "'\n";
      return kExitUsage;
    }
    folder = std::string(value);
  }
  if (line->input.empty() || folder.empty()) {
    std::cerr << "titlekit build: " << (line->input.empty() ? "missing MANIFEST" : "missing -o DIR")
              << '\n';
    return kExitUsage;
  }
  Storage storage;
  auto built = authoring::BuildTitle({line->input, folder, LoadCheckedScript}, storage.library);
  if (!built) {
    for (const std::string& error : built.error()) std::cerr << error << '\n';
    return kExitFailure;
  }
  for (const std::string& name : built->written) std::cout << name << ": written\n";
  for (const std::string& name : built->unchanged) std::cout << name << ": unchanged\n";
  return kExitOk;
}

}  // namespace lw::titlekit
