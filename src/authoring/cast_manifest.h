// The casts and shops of a title manifest ($.casts and $.shops, title_manifest.h): each group's
// figures, their poses and the pictures of those, read with the shared field readers.
#pragma once

#include <string>
#include <vector>

#include "authoring/manifest_reading.h"

namespace lw::authoring::manifest {

// Reads $.casts (kCast) or $.shops (kShop) into `groups`, checking each output name against
// `files` and adding it.
void ReadGroups(const Json& root, GroupKind kind, std::vector<ManifestGroup>& groups,
                std::vector<std::string>& files, Reading& reading);

}  // namespace lw::authoring::manifest
