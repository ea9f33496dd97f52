// The movie built-in: playmovie(t) clears the movie status word and plays the movie file t,
// returning when the movie has ended.
#pragma once

#include <functional>
#include <string_view>

#include "runtime/builtins_settings.h"
#include "script/builtin_table.h"

namespace lw {

struct MovieBuiltinServices {
  ScriptSettings& settings;
  // Plays a movie; 0, or the file search's error when the movie is not found.
  std::function<ScriptError(std::string_view name)> play;
};

void WireMovieBuiltins(BuiltinTable& table, MovieBuiltinServices& services);
void DescribeMovieBuiltins(BuiltinTable& catalog);

}  // namespace lw
