// The sine and cosine tables of directions, read from the program's resources "TRIG1" (sine)
// and "TRIG2" (cosine).
//
// Resource layout (both tables), little-endian:
//   OFFSET  SIZE  DESCRIPTION
//   2 x d   2     signed value for direction d (0..255), 16384 standing for 1
// Total 512 bytes.
#pragma once

#include "common/direction.h"

namespace lw {

// The decoded tables, or null when the program's resource is missing or not 512 bytes long.
[[nodiscard]] const TrigTable* SineTable();
[[nodiscard]] const TrigTable* CosineTable();

}  // namespace lw
