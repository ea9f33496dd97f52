#include "runtime/runtime_builtins.h"

namespace lw {

void WireRuntimeBuiltins(BuiltinTable& table, RuntimeBuiltinServices& services) {
  // Each group of runtime built-ins adds its services above and its wiring call here.
  WireInputBuiltins(table, services.input);
  WireSettingsBuiltins(table, services.settings);
  WireMessageBuiltins(table, services.message);
  WirePluginBuiltins(table, services.plugins);
  WireDialogBuiltins(table, services.dialogs);
  WirePaletteBuiltins(table, services.palettes);
  WireStageBuiltins(table, services.stage);
  WireSetBuiltins(table, services.set);
  WireActorBuiltins(table, services.actors);
  WirePropBuiltins(table, services.props);
  WireMotionBuiltins(table, services.motion);
  WireHitTestBuiltins(table, services.hitTest);
  WireDisplayBuiltins(table, services.display);
  WireTrackBuiltins(table, services.tracks);
  WirePuppetBuiltins(table, services.puppet);
  WireMovieBuiltins(table, services.movie);
  WireSavedGameBuiltins(table, services.savedGames);
}

void DescribeAllBuiltins(BuiltinTable& catalog) {
  // The same groups as a run wires: the interpreter's own, then the runtime's.
  DescribeScriptBuiltins(catalog);
  DescribeInputBuiltins(catalog);
  DescribeSettingsBuiltins(catalog);
  DescribeMessageBuiltins(catalog);
  DescribePluginBuiltins(catalog);
  DescribeDialogBuiltins(catalog);
  DescribePaletteBuiltins(catalog);
  DescribeStageBuiltins(catalog);
  DescribeSetBuiltins(catalog);
  DescribeFigureBuiltins(catalog);
  DescribeMotionBuiltins(catalog);
  DescribeHitTestBuiltins(catalog);
  DescribeDisplayBuiltins(catalog);
  DescribeTrackBuiltins(catalog);
  DescribePuppetBuiltins(catalog);
  DescribeMovieBuiltins(catalog);
  DescribeSavedGameBuiltins(catalog);
}

}  // namespace lw
