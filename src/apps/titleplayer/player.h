// The players' wiring: the platform the options ask for (SDL for play, headless for tests and
// scripted runs), the runtime over it, and the run. titleplayer and movieplayer share it.
#pragma once

#include <functional>

#include "apps/titleplayer/player_options.h"
#include "runtime/runtime.h"

namespace lw::titleplayer {

// Runs titleplayer with the arguments after the program name; the exit status.
int Main(Arguments args);

// Plays the title of `options` (help and version already handled); the exit status.
int Play(const PlayerOptions& options);

// Runs `program` with `options` (help and version already handled): checks the folders, makes
// the runtime options, lets `adjust` add the program's own, and runs the runtime on the
// platform the options ask for. Complaints on standard error start with the program's name.
// The exit status.
int Play(const PlayerOptions& options, PlayerProgram program,
         const std::function<void(RuntimeOptions&)>& adjust);

}  // namespace lw::titleplayer
