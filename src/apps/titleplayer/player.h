// titleplayer's wiring: the platform the options ask for (SDL for play, headless for tests and
// scripted runs), the runtime over it, and the run.
#pragma once

#include "apps/titleplayer/player_options.h"

namespace lw::titleplayer {

// Runs titleplayer with the arguments after the program name; the exit status.
int Main(Arguments args);

// Plays the title of `options` (help and version already handled); the exit status.
int Play(const PlayerOptions& options);

}  // namespace lw::titleplayer
