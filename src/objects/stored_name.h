// Names as stage, set, cast and shop files store them: a 16-byte field holding a length byte
// (0..15) and the characters (Mac Roman); the bytes after the name are 0 as the writer leaves
// them and are not read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/byte_io.h"

namespace lw {

inline constexpr std::size_t kStoredNameBytes = 16;
inline constexpr std::size_t kMaxStoredNameLength = 15;

// A text field of `fieldBytes` bytes: a length byte, the characters, zeros after them. Reading
// gives false when the field is cut short or its length byte leaves the field; writing cuts a
// text too long for the field.
[[nodiscard]] bool ReadTextField(ByteReader& in, std::size_t fieldBytes, std::string& out);
void WriteTextField(ByteWriter& out, std::size_t fieldBytes, std::string_view text);

// The 16-byte name field. Names longer than 15 characters are the caller's fault and are cut.
[[nodiscard]] inline bool ReadStoredName(ByteReader& in, std::string& out) {
  return ReadTextField(in, kStoredNameBytes, out);
}
inline void WriteStoredName(ByteWriter& out, const std::string& name) {
  WriteTextField(out, kStoredNameBytes, name);
}

// For the readers of object records: whether `count` entries of `entryBytes` fit in what is left
// of a record of `size` bytes after `offset`, and a record's size as a refusal names it.
[[nodiscard]] inline bool CountFits(std::uint64_t count, std::size_t entryBytes, std::size_t offset,
                                    std::size_t size) {
  return offset <= size && count <= (size - offset) / entryBytes;
}
[[nodiscard]] inline std::string SizeText(std::size_t size) {
  return std::to_string(size) + " bytes";
}

}  // namespace lw
