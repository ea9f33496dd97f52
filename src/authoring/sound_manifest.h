// The sound entries that track and movie manifests share: {"name", "audio", "rate"}, in arrays of
// sounds or theme parts.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "authoring/manifest_reading.h"

namespace lw::authoring::manifest {

// The array `field` of `object`: at most 32767 entries, each an object with a name (1 to 15
// characters, unique among the names already in `names`, to which it is added), an audio file
// and a rate of 11025, 22050 or 44100. `what` and `aWhat` name an entry in errors ("sound", "a
// sound").
std::vector<ManifestSound> ReadSounds(const Json& object, const Field& field, std::string_view what,
                                      std::string_view aWhat, const std::string& where,
                                      std::vector<std::string>& names, Reading& reading);

}  // namespace lw::authoring::manifest
