// RunConsoleLine: runs one line as the programmer's message box does and gives the outcome
// text that the box shows ("True", "False", a quoted text, a number, "OK" or an error message).
#pragma once

#include <string>
#include <string_view>

#include "script/error_codes.h"
#include "script/value.h"

namespace lw {

class Interpreter;

std::string RunConsoleLine(Interpreter& in, std::string_view line);

// The outcome text of a run: the error's message when it failed, else the value as the box
// shows it ("OK" when `value` is null). A text value is read (its slot freed).
std::string DescribeOutcome(Interpreter& in, ScriptError error, const Value* value);

}  // namespace lw
