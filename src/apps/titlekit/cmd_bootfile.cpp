// titlekit bootfile SYSTEM [-o OUT]: makes a title's boot file, a new star file whose record 1
// is the compiled system script SYSTEM (source or compiled, as `compile` takes it). Record 0 is
// left empty. For a source SYSTEM, record 2 is the script's line table (line_table.h), so that
// the runtime's error reports name source lines. OUT defaults to ./bootfile.
//
// The file is built under a temporary name in OUT's folder and renamed over OUT only when every
// step succeeded, so a failed build leaves the previous boot file as it was.
#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>

#include "apps/titlekit/command_line.h"
#include "apps/titlekit/commands.h"
#include "apps/titlekit/script_check_report.h"
#include "apps/titlekit/script_files.h"
#include "apps/titlekit/storage.h"
#include "authoring/boot_file.h"

namespace lw::titlekit {
namespace {

constexpr std::string_view kDefaultOutput = "bootfile";

// Says what became of OUT after a failed build: nothing was written over it.
int Kept(const std::string& output) {
  std::error_code error;
  if (std::filesystem::exists(output, error)) {
    std::cerr << "titlekit bootfile: the old " << output << " was kept\n";
  } else {
    std::cerr << "titlekit bootfile: no " << output << " was written\n";
  }
  return kExitFailure;
}

}  // namespace

int RunBootfileCommand(Arguments args) {
  auto line = SplitCommandLine(args);
  if (!line) {
    std::cerr << "titlekit bootfile: " << line.error() << '\n';
    return kExitUsage;
  }
  std::string output(kDefaultOutput);
  for (const auto& [option, value] : line->options) {
    if (option != "-o") {
      std::cerr << "titlekit bootfile: unknown option '" << option << "'\n";
      return kExitUsage;
    }
    output = std::string(value);
  }
  if (line->input.empty()) {
    std::cerr << "titlekit bootfile: missing SYSTEM\n";
    return kExitUsage;
  }
  if (!ScriptPassesCheck(line->input, std::cerr)) return Kept(output);
  auto system = LoadScriptFileWithLines(line->input);
  if (!system) {
    std::cerr << system.error() << '\n';
    return Kept(output);
  }

  Storage storage;
  if (const auto failure =
          authoring::ReplaceStarFile(storage.library, output, {authoring::kBootFileType},
                                     authoring::BootFileRecords(*system))) {
    std::cerr << "titlekit bootfile: " << *failure << '\n';
    return Kept(output);
  }
  return kExitOk;
}

}  // namespace lw::titlekit
