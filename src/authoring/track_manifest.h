// The tracks of a title manifest ($.tracks, title_manifest.h): each track's sounds, the parts of
// its theme and the theme's sequence, read with the shared field readers.
#pragma once

#include <string>
#include <vector>

#include "authoring/manifest_reading.h"

namespace lw::authoring::manifest {

// Reads $.tracks into `tracks`, checking each output name against `files` and adding it.
void ReadTracks(const Json& root, std::vector<ManifestTrack>& tracks,
                std::vector<std::string>& files, Reading& reading);

}  // namespace lw::authoring::manifest
