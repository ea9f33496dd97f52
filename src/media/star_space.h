// Sizes and limits shared by the star-file format code (star_file.cpp) and its space management
// (star_space.cpp).
#pragma once

#include <cstdint>
#include <limits>

#include "media/star_file.h"

namespace lw {

inline constexpr std::uint32_t kStarIndexEntrySize = 4;
// Offsets are 32-bit: no byte of a star file lies at or beyond this.
inline constexpr std::uint64_t kStarMaxFileEnd = std::numeric_limits<std::uint32_t>::max();
// The largest record whose block length still fits in 32 bits.
inline constexpr std::uint64_t kStarMaxRecordBytes =
    kStarMaxFileEnd - (kStarRecordHeaderSize + kStarBlockUnit - 1);
// In-file copies go through a buffer of at most this many bytes.
inline constexpr std::uint64_t kStarCopyBufferBytes = 64 * 1024;

// The block length of a record of `dataLength` bytes, for any 32-bit length.
[[nodiscard]] constexpr std::uint64_t StarBlockLength64(std::uint64_t dataLength) {
  return kStarBlockUnit *
         ((dataLength + kStarRecordHeaderSize + kStarBlockUnit - 1) / kStarBlockUnit);
}

}  // namespace lw
