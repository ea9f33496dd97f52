// movieplayer: `movieplayer [options] [MOVIE]` plays one movie file and exits when it ends.
// It takes titleplayer's options (but --console and --strict) and runs the runtime in movie
// mode (runtime.h), with appl: standing for the program's own folder. A MOVIE with a folder
// ('/', '\' or ':' in it) is looked for there first, a bare file name in the current folder
// first; then in appl:. Without MOVIE the open dialog asks for one, and Cancel exits with status 0.
// A movie that is not found is named on standard error ("movieplayer: MOVIE: not found") and
// the status is 1; no box is shown.
#pragma once

#include <filesystem>

#include "apps/titleplayer/player_options.h"

namespace lw::movieplayer {

using titleplayer::Arguments;

// Runs movieplayer with the arguments after the program name; the exit status.
int Main(Arguments args);

// The folder that holds the running program: what appl: stands for.
[[nodiscard]] std::filesystem::path ProgramFolder();

}  // namespace lw::movieplayer
