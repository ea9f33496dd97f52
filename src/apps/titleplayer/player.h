// The players' wiring: the platform the options ask for (SDL for play, headless for tests and
// scripted runs), the runtime over it, and the run. titleplayer and movieplayer share it.
#pragma once

#include <functional>

#include "apps/titleplayer/player_options.h"
#include "runtime/runtime.h"

namespace lw::titleplayer {

// Runs titleplayer with the arguments after the program name; the exit status.
int Main(Arguments args);

// The options of `program`'s command line. A run in a window takes the user's configuration
// file (player_config_file.h) first, telling its complaints on standard error, and the command
// line over it; a headless run does not read it, so that tests do not depend on the user's
// choices. The error as ParsePlayerOptions gives it.
Expected<PlayerOptions, std::string> ReadPlayerOptions(Arguments args, PlayerProgram program);

// Prints what --help, --version or --help-man asked for on standard output; false when none was.
bool PrintAskedText(const PlayerOptions& options, PlayerProgram program);

// Plays the title of `options` (help and version already handled); the exit status.
int Play(const PlayerOptions& options);

// Runs `program` with `options` (help and version already handled): checks the folders, makes
// the runtime options, lets `adjust` add the program's own, and runs the runtime on the
// platform the options ask for. Complaints on standard error start with the program's name.
// The exit status.
int Play(const PlayerOptions& options, PlayerProgram program,
         const std::function<void(RuntimeOptions&)>& adjust);

}  // namespace lw::titleplayer
