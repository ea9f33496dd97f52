// The built-ins that need the runtime around the interpreter (input state, cursors, settings,
// palettes, dialogs, the message box, plug-ins, the display step, the title objects), one group
// per header, each with the services it works with. The Runtime makes the services of every
// group from its parts at start and wires them into its interpreter; titlekit's interpreters,
// which run without a runtime, have only the script layer's own built-ins.
#pragma once

#include "objects/figure_builtins.h"
#include "objects/hit_test.h"
#include "objects/motion_builtins.h"
#include "objects/puppet_builtins.h"
#include "objects/set_builtins.h"
#include "objects/stage_builtins.h"
#include "objects/track_builtins.h"
#include "runtime/builtins_dialogs.h"
#include "runtime/builtins_display.h"
#include "runtime/builtins_input.h"
#include "runtime/builtins_message.h"
#include "runtime/builtins_movie.h"
#include "runtime/builtins_palette.h"
#include "runtime/builtins_plugin.h"
#include "runtime/builtins_saved_game.h"
#include "runtime/builtins_settings.h"
#include "script/builtin_table.h"

namespace lw {

// The services of every group of runtime built-ins.
struct RuntimeBuiltinServices {
  InputServices input;
  SettingsServices settings;
  MessageServices message;
  PluginCallServices plugins;
  DialogServices dialogs;
  PaletteServices palettes;
  DisplayServices display;
  StageObjects& stage;
  SetObjects& set;
  FigureServices actors;
  FigureServices props;
  Motion& motion;
  HitTestServices hitTest;
  TrackServices tracks;
  PuppetObjects& puppet;
  MovieBuiltinServices movie;
  SavedGameServices savedGames;
};

// Wires every runtime built-in into `table`; `services` must outlive the table.
void WireRuntimeBuiltins(BuiltinTable& table, RuntimeBuiltinServices& services);

// Records the signature of every built-in that a title's run answers (the script layer's and
// the runtime's) without wiring any: the catalogue that checks scripts and makes the reference.
void DescribeAllBuiltins(BuiltinTable& catalog);

}  // namespace lw
