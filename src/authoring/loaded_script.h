// A script as the title builder takes it: compiled, with the source line of each token when it
// came from source text, and the loader that makes one from a script file. titlekit gives the
// loader, because reading source text and checking it against every built-in of a run belong to
// the tool, not to this library.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/expected.h"
#include "script/compiled_script.h"

namespace lw::authoring {

struct LoadedScript {
  CompiledScript script;
  std::vector<std::uint32_t> tokenLines;  // one per token, end token included; none when compiled
};

// Reads, checks and compiles the script file at a path; the error is a ready message, several
// lines when the check has several findings.
using ScriptLoader = std::function<Expected<LoadedScript, std::string>(const std::string& path)>;

}  // namespace lw::authoring
