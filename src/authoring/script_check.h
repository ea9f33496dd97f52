// The static check of scripts that `titlekit check` runs and that `compile` and `bootfile` run
// before they accept a script. It reads the tokens as the interpreter would, handler by handler,
// and reports what would fail only when a statement runs: blocks that do not balance, variables
// that no `local` or `global` declares, built-ins called with the wrong number or kind of
// arguments, malformed statements and expressions, and handlers defined twice.
//
// A script that runs correctly gets no error: the checks follow the interpreter's reading of
// each statement. Warnings mark what runs but is probably not meant (statements that can never
// run).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "script/builtin_table.h"
#include "script/compiled_script.h"

namespace lw::authoring {

enum class Severity : std::uint8_t { kError, kWarning };

// One finding. `token` is the index of the token it is about; `line` and `column` (1-based,
// counted in characters) are 0 when the script has no source text.
struct ScriptDiagnostic {
  int token = 0;
  int line = 0;
  int column = 0;
  Severity severity = Severity::kError;
  std::string text;
};

// Checks script text (Mac Roman, carriage-return line ends, as CompileScriptText takes it)
// against the built-ins of `catalog` (their signatures; nothing is run). A text that does not
// tokenize gives one error at the refused character. Diagnostics come in source order.
std::vector<ScriptDiagnostic> CheckScriptText(std::string_view text, const BuiltinTable& catalog);

// Checks a compiled script that has no source: every diagnostic has line and column 0.
std::vector<ScriptDiagnostic> CheckCompiledScript(const CompiledScript& script,
                                                  const BuiltinTable& catalog);

// Whether any diagnostic is an error.
bool HasErrors(std::span<const ScriptDiagnostic> diagnostics);

}  // namespace lw::authoring
