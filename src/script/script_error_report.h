// What an error report shows about a failed run, copied when the interpreter latches the
// failure: the failing frame's script belongs to the run and is released when the run ends, so
// nothing in a report points into it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "script/error_codes.h"

namespace lw {

struct ScriptFrame;
class ScriptHost;

struct ScriptErrorReport {
  ScriptError code = ScriptError::None;
  std::string scriptTitle;        // the frame's title without its closing ": " ("Boot Message")
  std::string handler;            // the handler whose body holds the statement; may be empty
  std::int32_t statementPos = 0;  // token index of the statement in its script
  std::optional<int> sourceLine;  // when the script's star file has a line table for it
};

// Whether a report is of a line typed into the message box (whose frame has the message box's
// title); the box shows the outcome of its own lines.
[[nodiscard]] bool IsMessageBoxReport(const ScriptErrorReport& report);

// The report of `frame`, whose error code is set. The handler is the one whose `code` header is
// the last at or before the statement; a script without one (a one-line call text) is named by
// the call it holds. The host gives the source line.
[[nodiscard]] ScriptErrorReport MakeScriptErrorReport(const ScriptFrame& frame, ScriptHost& host);

}  // namespace lw
