// The built-ins of stages, flats and buttons, which work on the title's StageObjects:
//
// - openstagefile(file), closestagefile(), gotoflat(flat): open, close, change flat.
// - stagescript(), flatscript(flat), buttonscript(flat, button): check that the object exists
//   and empty the result text.
// - sendtostage(call), sendtoflat(flat, call), sendtobutton(flat, button, call), and their fx
//   twins that give the handler's value.
// - stagevisible: read (false when no stage is open) and written (a logic).
// - countflats(), indextoflat(n), flattoindex(flat) (0 for an unknown name), currentflat()
//   ("none" without a stage), currentstage() ("None" without a stage), countbuttons(flat),
//   indextobutton(flat, n), pointinstage(p), pointinbutton(flat, button, p).
//
// Every one but currentflat, currentstage, pointinstage and the read of stagevisible fails with
// "Stage lib open/close error." when no stage is open; an unknown flat or button, or an index
// outside 1..count, is "No such object.".
#pragma once

#include "objects/stage_objects.h"
#include "script/builtin_table.h"

namespace lw {

// Wires the built-ins above; `stage` must outlive the table.
void WireStageBuiltins(BuiltinTable& table, StageObjects& stage);
// Records their signatures alone.
void DescribeStageBuiltins(BuiltinTable& catalog);

}  // namespace lw
