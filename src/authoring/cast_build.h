// Makes the records of one cast or shop file (objects/cast_file.h) from its manifest entry and
// the title's checked sources. Records are laid out in the order the builder meets them:
//
//   RECORD           CONTENTS
//   0                the group header
//   1                the group's script
//   next ...         for each figure in order: its figure record, its script, then for each of
//                    its poses: the pose record and the sprite pictures (media/sprite.h) that no
//                    earlier pose of the file has
//   last             the line table of every script that came from source (line_table.h)
//
// A picture entry's bounds are the whole picture (top 0, left 0, bottom its height, right its
// width); its hot spot is stored both in the entry and in the sprite's header. A PNG named again
// with the same hot spot and transparent index shares the first sprite made from it. A script
// file named again in the same file shares its first record; objects without a script share one
// empty compiled script.
#pragma once

#include <string>
#include <vector>

#include "authoring/star_output.h"
#include "authoring/title_manifest.h"
#include "authoring/title_sources.h"

namespace lw::authoring {

// What is wrong with the group's pictures once they are read: a hot spot outside its picture.
[[nodiscard]] std::vector<ManifestError> CheckGroupPictures(const ManifestGroup& group,
                                                            const TitleSources& sources);

// The cast or shop file's records; the reason, after the file's name, when a sprite cannot be
// encoded.
[[nodiscard]] Expected<Records, std::string> BuildGroupRecords(const ManifestGroup& group,
                                                               const TitleSources& sources);

}  // namespace lw::authoring
