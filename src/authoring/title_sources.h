// The source files that a title manifest names, read and checked before anything is built:
// every script loaded and checked, every stage picture, set texture and sprite picture decoded,
// every track's sound file read as mono (audio_file.h), the palette read, and the bytes of each
// file kept as a hash for the build stamps. Each file is read once however often the manifest names
// it.
//
// A stage picture is checked from its PNG header before it is decoded:
//
//   OFFSET  SIZE  DESCRIPTION (big-endian, as PNG stores numbers)
//   0       8     signature 89 50 4E 47 0D 0A 1A 0A
//   8       u32   length of the first chunk, 13
//   12      4     "IHDR"
//   16      u32   width, must be 512
//   20      u32   height, must be 384
//   24      u8    bit depth, must be 8
//   25      u8    colour type, must be 3 (palette indices)
//
// A set texture is checked the same way, but may be of any size from 1 x 1 to 1024 x 1024; the
// picture of a cast's or shop's sprite too, from 1 x 1 to 512 x 1024.
//
// The palette file is a PNG (its signature decides) whose palette is taken, or a colour table
// (colour_table.h) stored exactly as it is.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <vector>

#include "authoring/audio_file.h"
#include "authoring/loaded_script.h"
#include "authoring/title_manifest.h"
#include "platform/png_image.h"

namespace lw::authoring {

struct TitleSources {
  std::map<std::filesystem::path, LoadedScript> scripts;
  std::map<std::filesystem::path, IndexedImage> pictures;
  std::map<std::filesystem::path, IndexedImage> textures;  // set textures: 1..1024 a side
  std::map<std::filesystem::path, IndexedImage> sprites;   // cast and shop pictures
  std::map<std::filesystem::path, PcmSound> sounds;        // track sounds and theme parts
  std::vector<std::uint8_t> palette;  // the colour table record; empty when the title has none
  std::map<std::filesystem::path, std::uint64_t> fileHashes;  // the bytes of every file read
};

// Reads and checks every file of `manifest`; every problem found, each at the JSON path that
// named the file.
[[nodiscard]] Expected<TitleSources, std::vector<ManifestError>> LoadTitleSources(
    const TitleManifest& manifest, const ScriptLoader& loadScript);

}  // namespace lw::authoring
