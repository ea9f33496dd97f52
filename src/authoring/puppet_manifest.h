// The puppet files of a title manifest ($.puppets, title_manifest.h): the puppets and their
// scripts, the layered picture, the rest picture and the mouth, the band picture, the spoken and
// idle lines and the player's lines, read with the shared field readers. Indices of layers and
// images are checked against the layers given; the pictures themselves are checked once they are
// read (puppet_sources.h).
#pragma once

#include <string>
#include <vector>

#include "authoring/manifest_reading.h"

namespace lw::authoring::manifest {

// Reads $.puppets into `puppets`, checking each output name against `files` and adding it.
void ReadPuppetFiles(const Json& root, std::vector<ManifestPuppetFile>& puppets,
                     std::vector<std::string>& files, Reading& reading);

}  // namespace lw::authoring::manifest
