// Script files as titlekit reads and writes them. A script file is either source text (UTF-8,
// any line ends) or a compiled script block (the stored form of compiled_script.h). A compiled
// block always holds NUL bytes (its end token is code 0), and source text never does, so one
// NUL byte is enough to tell them apart.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "authoring/loaded_script.h"
#include "common/expected.h"
#include "script/compiled_script.h"

namespace lw::titlekit {

// True when a file's bytes are a compiled script block rather than source text.
bool IsCompiledScriptBytes(std::string_view bytes);

// Reads a whole file. The error is a ready message: "PATH: reason".
Expected<std::string, std::string> ReadWholeFile(const std::string& path);

// The bytes of a file's content as ReadWholeFile gives it.
inline std::span<const std::uint8_t> AsBytes(const std::string& content) {
  return {reinterpret_cast<const std::uint8_t*>(content.data()), content.size()};
}

// Writes `bytes` as the whole content of a file; the message "PATH: reason" on failure.
std::optional<std::string> WriteWholeFile(const std::string& path,
                                          std::span<const std::uint8_t> bytes);

// Converts UTF-8 source to Mac Roman and compiles it. The error is a ready message naming the
// place in the source: "NAME:LINE:COLUMN: reason".
Expected<CompiledScript, std::string> CompileSource(std::string_view utf8, std::string_view name);

// A script and, when it was compiled from source, the source line of each of its tokens (end
// token included); no lines for a compiled block.
using ScriptWithLines = authoring::LoadedScript;

// Loads a script file of either kind, as LoadScriptFile does, with the lines of its tokens.
Expected<ScriptWithLines, std::string> LoadScriptFileWithLines(const std::string& path);

// Loads a script file of either kind. The error is a ready message: "PATH: reason" for a file
// that cannot be read or a corrupt compiled block, "PATH:LINE:COLUMN: reason" for source.
Expected<CompiledScript, std::string> LoadScriptFile(const std::string& path);

}  // namespace lw::titlekit
