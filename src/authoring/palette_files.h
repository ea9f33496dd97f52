// Palettes as titlekit's picture commands take them: colour table files, and the grey ramp that
// shows pictures that come without colours.
#pragma once

#include <string>

#include "common/expected.h"
#include "shell/drawing/colour_table.h"

namespace lw::authoring {

// Reads a colour table file (colour_table.h); the message "PATH: reason" on failure.
Expected<Palette, std::string> ReadColourTableFile(const std::string& path);

// The palette that shows index i as grey level i.
Palette GreyRamp();

}  // namespace lw::authoring
