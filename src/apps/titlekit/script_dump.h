// A readable dump of a compiled script: one line per token (byte offset, the token's 8 stored
// bytes in hex, what it means), then the string pool in rows of 16 bytes.
#pragma once

#include <string>

#include "script/compiled_script.h"

namespace lw::titlekit {

// What token `index` of a script means: `name "keydown"`, `(`, `string "a"`, `number 12`,
// `line end 1`, a keyword's name, or `end`. Texts are shown in UTF-8.
std::string DescribeToken(const CompiledScript& script, std::size_t index);

// The whole dump, lines ended by LF.
std::string DumpScript(const CompiledScript& script);

}  // namespace lw::titlekit
