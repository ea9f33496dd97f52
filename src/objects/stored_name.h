// Names as stage and set files store them: a 16-byte field holding a length byte (0..15) and
// the characters (Mac Roman); the bytes after the name are 0 as the writer leaves them and are
// not read.
#pragma once

#include <cstddef>
#include <string>

#include "common/byte_io.h"

namespace lw {

inline constexpr std::size_t kStoredNameBytes = 16;
inline constexpr std::size_t kMaxStoredNameLength = 15;

// Reads a name field into `out`; false when the field is cut short or its length byte passes 15.
[[nodiscard]] bool ReadStoredName(ByteReader& in, std::string& out);

// Writes a name field. Names longer than 15 characters are the caller's fault and are cut.
void WriteStoredName(ByteWriter& out, const std::string& name);

}  // namespace lw
