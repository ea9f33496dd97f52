// Makes the records of one set file (objects/set_file.h) from its manifest entry and the title's
// checked sources: the map's moves, and every view picture rendered by the ray caster
// (set_render.h) with the title's palette for the shading.
//
//   RECORD           CONTENTS
//   0                the set header: one scene entry per open cell, row by row
//   1                the move table (set_map.h lists the moves)
//   2                the star record: the manifest's stars, each alone
//   next ...         the set's script, the floors' scripts (0..31), the scenes' scripts; objects
//                    without a script share one empty compiled script
//   next ...         for each move, six key frame records (frame_codec.h): its steps 0..4, then
//                    the view once the move is made, the same pixels as step 4
//   last             the line table of every script that came from source (line_table.h)
#pragma once

#include <string>

#include "authoring/star_output.h"
#include "authoring/title_manifest.h"
#include "authoring/title_sources.h"

namespace lw::authoring {

// The set file's records; the reason, after the set file's name, when the view cannot be rendered
// or encoded.
[[nodiscard]] Expected<Records, std::string> BuildSetRecords(const ManifestSet& set,
                                                             const TitleSources& sources);

}  // namespace lw::authoring
