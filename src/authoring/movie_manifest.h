// The movies of a title manifest ($.movies, title_manifest.h): each movie's palette and its
// segments, their sounds, theme parts and frames with their end actions and hot spots, read with
// the shared field readers. Frame numbers, sound names and theme part numbers are checked
// against their segment here; what depends on the pictures (the default movie rectangle, a
// picture inside it) is checked once they are read (movie_build.h).
#pragma once

#include <string>
#include <vector>

#include "authoring/manifest_reading.h"

namespace lw::authoring::manifest {

// Reads $.movies into `movies`, checking each output name against `files` and adding it.
void ReadMovies(const Json& root, std::vector<ManifestMovie>& movies,
                std::vector<std::string>& files, Reading& reading);

}  // namespace lw::authoring::manifest
