// Object names: at most 15 characters (a length byte and the characters in a 16-byte field),
// equal when they match after folding 'A'-'Z' to 'a'-'z' and nothing else.
#pragma once

#include <string_view>

#include "script/bounded_string.h"
#include "script/error_codes.h"
#include "script/fold.h"

namespace lw {

// Whether two object names name the same object.
[[nodiscard]] constexpr bool SameObjectName(std::string_view a, std::string_view b) {
  return FoldEqual(a, b);
}

// A name that a built-in stores (a new instance's name, an owner): 16 characters or more is
// StringLengthTooBig, and `out` is left as it was.
[[nodiscard]] inline ScriptError StoreObjectName(std::string_view name, Name15& out) {
  return out.assign(name) ? ScriptError::None : ScriptError::StringLengthTooBig;
}

}  // namespace lw
