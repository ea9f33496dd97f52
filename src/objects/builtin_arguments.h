// The single arguments the object built-ins read most: one text (a name) or one number.
#pragma once

#include <cstdint>

#include "script/builtin_table.h"

namespace lw {

// The one text argument of a built-in, read (BadArgumentType when it is not a text).
inline ScriptError TextArgument(BuiltinCall& c, PString& text) {
  Value v;
  LW_TRY(c.args(v));
  return c.text(v, text);
}

// The one number argument of a built-in.
inline ScriptError NumberArgument(BuiltinCall& c, std::int32_t& n) {
  Value v;
  LW_TRY(c.args(v));
  return BuiltinCall::number(v, n);
}

}  // namespace lw
