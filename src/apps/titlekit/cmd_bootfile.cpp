// titlekit bootfile SYSTEM [-o OUT]: makes a title's boot file, a new star file whose record 1
// is the compiled system script SYSTEM (source or compiled, as `compile` takes it). Record 0 is
// left empty. OUT defaults to ./bootfile.
#include <iostream>
#include <string>

#include "apps/titlekit/command_line.h"
#include "apps/titlekit/commands.h"
#include "apps/titlekit/script_check_report.h"
#include "apps/titlekit/script_files.h"
#include "apps/titlekit/storage.h"

namespace lw::titlekit {
namespace {

constexpr std::string_view kDefaultOutput = "bootfile";
constexpr std::int32_t kExpectedRecords = 2;
constexpr std::string_view kFileType = "STAR";
constexpr std::string_view kCreator = "LWRT";
constexpr std::int32_t kSystemScriptRecord = 1;

int Fail(const std::string& output, ProgramCode code) {
  std::cerr << "titlekit bootfile: " << output << ": error " << CodeNumber(code) << '\n';
  return kExitFailure;
}

// Writes an empty record 0 and the script as record 1 into the open file.
ProgramCode AddRecords(StarLibrary& library, StarFile& file, const CompiledScript& script) {
  std::int32_t id = 0;
  LW_TRY_CODE(library.StarAddResource(file, {}, id));
  const std::vector<std::uint8_t> bytes = script.ToBytes();
  LW_TRY_CODE(library.StarAddResource(file, bytes, id));
  // A fresh file hands out ids in order, so the script cannot land anywhere else.
  return id == kSystemScriptRecord ? ProgramCode::kOk : ProgramCode::kLogic;
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
  if (!ScriptPassesCheck(line->input, std::cerr)) return kExitFailure;
  auto script = LoadScriptFile(line->input);
  if (!script) {
    std::cerr << script.error() << '\n';
    return kExitFailure;
  }

  Storage storage;
  if (ProgramCode code = StarFile::Create(storage.files, output, kExpectedRecords,
                                          FourCharCode(kFileType), FourCharCode(kCreator));
      Failed(code)) {
    return Fail(output, code);
  }
  StarFile* file = nullptr;
  if (ProgramCode code = storage.library.StarOpen(output, file); Failed(code)) {
    return Fail(output, code);
  }
  const ProgramCode added = AddRecords(storage.library, *file, *script);
  const ProgramCode closed = storage.library.StarClose(*file);
  if (Failed(added)) return Fail(output, added);
  if (Failed(closed)) return Fail(output, closed);
  return kExitOk;
}

}  // namespace lw::titlekit
