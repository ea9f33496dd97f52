// The source files of a title's puppet files, read and checked before anything is built: every
// puppet script loaded and checked, every layer image and band picture decoded, every line's
// sound read as mono (audio_file.h), each puppet palette read, and the bytes of every file kept
// as a hash for the build stamps. Each file is read once however often the puppets name it.
//
// Pictures are checked from their PNG header before they are decoded:
//
//   OFFSET  SIZE  DESCRIPTION (big-endian, as PNG stores numbers)
//   0       8     signature 89 50 4E 47 0D 0A 1A 0A
//   12      4     "IHDR"
//   16      u32   width: 1..512 for a layer image, 512 for a band picture
//   20      u32   height: 1..264 for a layer image (the puppet picture's height), 120 for a band
//   24      u8    bit depth, must be 8
//   25      u8    colour type, must be 3 (palette indices)
//
// A puppet palette is a PNG (its signature decides) whose palette is taken, or a colour table
// (colour_table.h).
#pragma once

#include <filesystem>
#include <map>
#include <vector>

#include "authoring/loaded_script.h"
#include "authoring/title_manifest.h"
#include "authoring/title_sources.h"
#include "shell/drawing/colour_table.h"

namespace lw::authoring {

struct PuppetSources {
  // Scripts, pictures (in `sprites`: layer images and band pictures), sounds and the file hashes,
  // in the form the shared record plan (record_plan.h) takes.
  TitleSources files;
  std::map<std::filesystem::path, ColourTable> palettes;
};

// Reads and checks every file of `puppets`; every problem found, each at the JSON path that
// named the file.
[[nodiscard]] Expected<PuppetSources, std::vector<ManifestError>> LoadPuppetSources(
    const std::vector<ManifestPuppetFile>& puppets, const ScriptLoader& loadScript);

// What can be known only once the pictures are read: a hot spot outside its picture.
[[nodiscard]] std::vector<ManifestError> CheckPuppetPictures(const ManifestPuppetFile& puppets,
                                                             const PuppetSources& sources);

}  // namespace lw::authoring
