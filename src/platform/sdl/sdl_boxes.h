// Boxes shown before the window exists: SDL's system message box, or, when that cannot be
// shown (no display), the box printed on standard error and answered with its default button.
#pragma once

#include <cstdio>

#include "common/box_request.h"

namespace lw::platform {

// Shows the box and waits for the answer; always one of the box's buttons. Closing the box
// without a button gives its CancelAnswer (Cancel, No in a Yes/No box, else the default).
// `shown` is false when the box could not be shown, and its default answer was printed instead.
[[nodiscard]] BoxAnswer ShowSystemBox(const BoxRequest& request, bool& shown);

// Prints the box to `out` and gives its default button (the first one).
BoxAnswer PrintBox(const BoxRequest& request, std::FILE* out);

}  // namespace lw::platform
