// The script check as titlekit's commands run it: a script file is read, checked against the
// catalogue of every built-in a title's run answers, and its findings printed as compilers
// print theirs:
//
//   hello.lws:3:9: error: '/' has no operand after it (the language has no comments: ...)
//   	x = 1 // comment
//   	      ^
//
// A compiled script has no source: its findings name token indexes instead
// ("hello.lwc: token 12: error: ..."), with no quoted line.
#pragma once

#include <ostream>
#include <string>

namespace lw::titlekit {

struct CheckCounts {
  int errors = 0;
  int warnings = 0;
};

// Checks the script file at `path` and prints every finding to `out`. A file that cannot be
// read, converted or loaded counts as one error, reported in the same form.
CheckCounts CheckScriptFile(const std::string& path, std::ostream& out);

// For the commands that build from a script: false, with every finding printed to `out`, when
// the script at `path` has errors. A file that cannot be read or loaded passes, for the
// command's own loading to report.
bool ScriptPassesCheck(const std::string& path, std::ostream& out);

}  // namespace lw::titlekit
