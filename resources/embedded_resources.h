// The program's resources as compiled-in data. embed_resources writes the definitions into a
// generated source file at build time; program_resources.cpp is the only reader and offers the
// lookups by name.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "common/geometry.h"
#include "platform/platform.h"

namespace lw::embedded {

// Raw data under its resource name ("CLUT.SYSTEM", "TRIG1").
struct RawResource {
  std::string_view name;
  std::span<const std::uint8_t> bytes;
};

// A cursor under its resource name ("CURS.ARROW", "CURS2002"); pixels row by row.
struct CursorSource {
  std::string_view name;
  int width = 0;
  int height = 0;
  Point hotSpot;
  std::span<const platform::CursorImage::Pixel> pixels;
};

// One text of the string table.
struct StringEntry {
  int id = 0;
  std::string_view text;
};

inline constexpr int kIconSide = 32;
inline constexpr int kIconBytesPerPixel = 4;  // red, green, blue, alpha

// Sorted by name.
std::span<const RawResource> RawResources();
// Sorted by name.
std::span<const CursorSource> Cursors();
// Sorted by id, each id once.
std::span<const StringEntry> Strings();
// kIconSide x kIconSide pixels, row by row.
std::span<const std::uint8_t> IconRgba();

}  // namespace lw::embedded
