#include "script/error_codes.h"

#include "resources/program_resources.h"

namespace lw {

// The messages live once, in the program's string table.
std::string_view ScriptErrorString(int stringId) {
  const int code = stringId - kFirstScriptErrorString;
  if (code < 1 || code > kLastScriptError) return {};
  return StringTableText(stringId).value_or(std::string_view());
}

std::string_view ScriptErrorMessage(int code) {
  return ScriptErrorString(kFirstScriptErrorString + code);
}

}  // namespace lw
