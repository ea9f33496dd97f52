// The source files of a title's movies, read and checked before anything is built: each frame
// picture decoded, each sound read as mono (audio_file.h), each movie palette read, and the
// bytes of every file kept as a hash for the build stamps. Each file is read once however often
// the movies name it.
//
// A frame picture is checked from its PNG header before it is decoded:
//
//   OFFSET  SIZE  DESCRIPTION (big-endian, as PNG stores numbers)
//   0       8     signature 89 50 4E 47 0D 0A 1A 0A
//   12      4     "IHDR"
//   16      u32   width, 1..640
//   20      u32   height, 1..480
//   25      u8    colour type, must be 3 (palette indices, of any bit depth)
//
// A movie palette is a PNG (its signature decides) whose palette is taken, or a colour table
// (colour_table.h).
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <vector>

#include "authoring/audio_file.h"
#include "authoring/title_manifest.h"
#include "platform/png_image.h"
#include "shell/drawing/colour_table.h"

namespace lw::authoring {

struct MovieSources {
  std::map<std::filesystem::path, IndexedImage> pictures;
  std::map<std::filesystem::path, PcmSound> sounds;
  std::map<std::filesystem::path, ColourTable> palettes;
  std::map<std::filesystem::path, std::uint64_t> fileHashes;  // the bytes of every file read
};

// Reads and checks every file of `movies`; every problem found, each at the JSON path that
// named the file.
[[nodiscard]] Expected<MovieSources, std::vector<ManifestError>> LoadMovieSources(
    const std::vector<ManifestMovie>& movies);

}  // namespace lw::authoring
