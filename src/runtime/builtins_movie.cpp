#include "runtime/builtins_movie.h"

namespace lw {
namespace {

// playmovie(t)
ScriptError PlayMovieBuiltin(BuiltinCall& c, MovieBuiltinServices& s) {
  Value t;
  PString name;
  LW_TRY(c.args(t));
  LW_TRY(c.text(t, name));
  s.settings.movieStatus = 0;
  return s.play(name.view());
}

using enum BuiltinKind;

constexpr BuiltinEntry<MovieBuiltinServices> kMovieBuiltins[] = {
    {"playmovie",
     kCommand,
     PlayMovieBuiltin,
     {"t: text",
      "",
      {ScriptError::BadArgumentType, ScriptError::CantFindFile},
      "Plays the movie file t to its end; actionframe tells which marks it passed."}},
};

}  // namespace

void WireMovieBuiltins(BuiltinTable& table, MovieBuiltinServices& services) {
  table.wire<kMovieBuiltins>(services);
}
void DescribeMovieBuiltins(BuiltinTable& catalog) { catalog.describe<kMovieBuiltins>(); }

}  // namespace lw
