// The event handler names: handlers that the runtime and the object layers call whether or not
// a title defines them, so that a missing one is no error.
#pragma once

#include <string_view>

namespace lw {

inline constexpr int kEventHandlerNameCount = 31;

bool IsEventHandlerName(std::string_view name);

}  // namespace lw
