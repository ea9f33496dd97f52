// plugin(name, a1 ... a4) and pluginfx(name, a1 ... a4): a script call of a plug-in. The name
// is a text naming a loaded plug-in; zero to four numbers or texts follow, each after a comma,
// and go to the plug-in as numbers and as texts in 256-byte buffers of the call. A non-zero
// answer is the script error. pluginfx yields the number or the text the plug-in gives back
// (5 when it gives neither); plugin succeeds only when no value comes back (else 6).

#pragma once

#include "runtime/plugins.h"
#include "script/builtin_table.h"

namespace lw {

// What plugin and pluginfx work with: the loaded plug-ins.
struct PluginCallServices {
  PluginHost& plugins;
};

// Wires plugin and pluginfx; `services` must outlive the table.
void WirePluginBuiltins(BuiltinTable& table, PluginCallServices& services);
// Records their signatures alone.
void DescribePluginBuiltins(BuiltinTable& catalog);

}  // namespace lw
