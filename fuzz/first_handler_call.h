// The call that the interpreter fuzz targets make: the script's first handler by name, with up to
// three sample arguments.
#pragma once

#include <cstddef>
#include <string>

#include "script/compiled_script.h"
#include "script/token.h"

// The call text: the script's first handler name with `arguments` arguments (idle() when the
// script defines no handler).
inline std::string CallOfFirstHandler(const lw::CompiledScript& script, int arguments) {
  auto tokens = script.tokens();
  for (std::size_t i = 0; i + 1 < tokens.size(); ++i) {
    if (tokens[i].code == lw::tok::kCode && tokens[i + 1].code == lw::tok::kName) {
      std::string call(script.textOf(i + 1));
      call += "(";
      const char* samples[] = {"1", "\"t\"", "true"};
      for (int a = 0; a < arguments; ++a) call += (a ? ", " : "") + std::string(samples[a]);
      return call + ")";
    }
  }
  return "idle()";
}
