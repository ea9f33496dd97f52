#include "runtime/builtins_display.h"

namespace lw {
namespace {

// forceupdate(): the display step. Nothing on a stage moves by itself, so the step is the frame
// counter rising by one and a frame composed (which waits out the frame interval).
ScriptError ForceUpdate(BuiltinCall& /*c*/, DisplayServices& s) {
  ++s.settings.frameCounter;
  s.compositor.ComposeFrame();
  return ScriptError::None;
}

using enum BuiltinKind;

constexpr BuiltinEntry<DisplayServices> kDisplayBuiltins[] = {
    {"forceupdate",
     kCommand,
     ForceUpdate,
     {"",
      "",
      {},
      "Moves the title one frame on: frame() rises by one and the changed parts of the screen "
      "are drawn, at most one frame every 3 ticks."}},
};

}  // namespace

void WireDisplayBuiltins(BuiltinTable& table, DisplayServices& services) {
  table.wire<kDisplayBuiltins>(services);
}
void DescribeDisplayBuiltins(BuiltinTable& catalog) { catalog.describe<kDisplayBuiltins>(); }

}  // namespace lw
