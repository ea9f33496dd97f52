// Makes the records of one stage file from its manifest entry and the title's checked sources.
// Records are laid out in the order the builder meets them:
//
//   RECORD           CONTENTS
//   0                the stage header (stage_file.h)
//   1                the title's palette, when the title has one
//   next ...         the stage's script, then for each flat in order: its script, its picture
//                    (a key frame record, frame_codec.h), its buttons' scripts, its button record
//   last             the line table of every script that came from source (line_table.h)
//
// A script file named again in the same stage shares its first record. Objects without a script
// share one empty compiled script, placed where the first of them needs it.
#pragma once

#include <string>

#include "authoring/star_output.h"
#include "authoring/title_manifest.h"
#include "authoring/title_sources.h"

namespace lw::authoring {

// The stage file's records; the reason when a picture cannot be encoded.
[[nodiscard]] Expected<Records, std::string> BuildStageRecords(const ManifestStage& stage,
                                                               const TitleSources& sources);

}  // namespace lw::authoring
