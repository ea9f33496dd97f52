// The built-ins of the puppet, which work on the title's PuppetObjects:
//
// - openpuppetfile(file), closepuppetfile(): open and close the puppet file.
// - puppetbevel(text, number), puppetclear(), countbevels(), puppetscramble(): the reply choices
//   (at most five: "Puppet bevel full.").
// - puppetspeak(line), puppetsubtitle(text), puppetevent(timeout): the conversation.
// - puppetgrab(logic), puppetvisible, puppetbase (at most 31 characters), puppetparam(n) with n
//   1..8 ("Bad argument type." otherwise): the settings.
// - countpuppets(), indextopuppet(n), currentpuppet() ("None" without a file), puppetscript(p),
//   sendtopuppet(p, call) and sendtopuppetfx(p, call).
//
// Every one but openpuppetfile, puppetgrab, puppetsubtitle, puppetbase, puppetparam, currentpuppet
// and the read of puppetvisible fails with "A puppet is already open." (code 45) when no puppet
// file is open; puppetspeak and puppetevent also when the puppet is hidden.
#pragma once

#include "objects/puppet_objects.h"
#include "script/builtin_table.h"

namespace lw {

// Wires the built-ins above; `puppet` must outlive the table.
void WirePuppetBuiltins(BuiltinTable& table, PuppetObjects& puppet);
// Records their signatures alone.
void DescribePuppetBuiltins(BuiltinTable& catalog);

}  // namespace lw
