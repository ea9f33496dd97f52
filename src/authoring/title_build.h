// `titlekit build`: turns a title manifest (title_manifest.h) into the title's files in one
// folder: the boot file from the system script, one stage file per stage (stage_build.h), one
// set file per set (set_build.h), one cast or shop file per cast or shop (cast_build.h), one
// track file per track (track_build.h), one movie file per movie (movie_build.h) and one puppet
// file per puppet entry (puppet_build.h); and title.json with the title's strings when the
// manifest gives any (shell/startup/title_strings.h).
//
// Everything is read and checked before anything is written: the manifest, then every source
// file it names (title_sources.h, movie_sources.h, puppet_sources.h), and no output may fall on one
// of those files. Any error stops the build with every error found and leaves the folder as it was.
// Then only the outputs whose inputs changed since the last build are rewritten (build_stamps.h);
// the others are not touched, so their times stay. Each output is built under a temporary name and
// renamed over the old one.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "authoring/loaded_script.h"
#include "common/expected.h"
#include "media/star_library.h"

namespace lw::authoring {

struct TitleBuildRequest {
  std::filesystem::path manifest;
  std::filesystem::path folder;  // where the outputs go; made when missing
  ScriptLoader loadScript;
};

// The outputs by file name, in manifest order (the boot file first, title.json last).
struct TitleBuildResult {
  std::vector<std::string> written;
  std::vector<std::string> unchanged;
};

// Builds the title; the errors as ready lines ("MANIFEST: $.path: problem" and the like) when
// it fails.
[[nodiscard]] Expected<TitleBuildResult, std::vector<std::string>> BuildTitle(
    const TitleBuildRequest& request, StarLibrary& library);

}  // namespace lw::authoring
