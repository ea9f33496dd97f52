// Makes the records of one track file (objects/track_file.h) from its manifest entry and the
// title's read sound files:
//
//   RECORD           CONTENTS
//   0                the track header: the track's name, its sounds' and theme parts' names and
//                    the theme's sequence as the manifest gives it
//   1 .. S           the sounds in manifest order, each a sound record (media/sound_record.h)
//                    encoded at its entry's rate (sound_encoder.h)
//   S+1 .. S+P       the theme parts in manifest order, encoded the same way
//
// A sound file named by several entries at the same rate is encoded once and its record bytes
// reused.
#pragma once

#include <string>

#include "authoring/star_output.h"
#include "authoring/title_manifest.h"
#include "authoring/title_sources.h"

namespace lw::authoring {

// The track file's records; "FILE: $.path: reason" when a sound cannot be encoded.
[[nodiscard]] Expected<Records, std::string> BuildTrackRecords(const ManifestTrack& track,
                                                               const TitleSources& sources);

}  // namespace lw::authoring
