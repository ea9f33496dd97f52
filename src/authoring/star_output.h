// Star files that titlekit makes whole: records 0, 1, 2 ... written in order into a new file.
// An output is built under a temporary name beside it and renamed over it only when every step
// succeeded, so a failed build leaves the previous file as it was.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "media/star_library.h"

namespace lw::authoring {

// The creator code of every star file that titlekit makes.
inline constexpr std::string_view kTitlekitCreator = "LWRT";
// What a file being built is called until it is renamed over its output.
inline constexpr std::string_view kPartialSuffix = ".partial";

using Records = std::vector<std::vector<std::uint8_t>>;

// The kind of star file: its type and creator, four characters each.
struct StarKind {
  std::string_view type;
  std::string_view creator = kTitlekitCreator;
};

// Creates the star file `path` holding `records` as records 0 .. N-1.
ProgramCode WriteStarRecords(StarLibrary& library, const std::string& path, StarKind kind,
                             std::span<const std::vector<std::uint8_t>> records);

// Writes the star file through `path` + ".partial" and renames it over `path`; the message
// "PATH: reason" on failure, with no temporary file left behind.
std::optional<std::string> ReplaceStarFile(StarLibrary& library, const std::filesystem::path& path,
                                           StarKind kind,
                                           std::span<const std::vector<std::uint8_t>> records);

}  // namespace lw::authoring
