// The boot file's records, as `titlekit bootfile` and `titlekit build` make them:
//
//   RECORD  CONTENTS
//   0       empty
//   1       the compiled system script
//   2       its line table (line_table.h), only when the script came from source
#pragma once

#include <string_view>

#include "authoring/loaded_script.h"
#include "authoring/star_output.h"

namespace lw::authoring {

inline constexpr std::string_view kBootFileType = "STAR";
inline constexpr std::int32_t kSystemScriptRecord = 1;

[[nodiscard]] Records BootFileRecords(const LoadedScript& system);

}  // namespace lw::authoring
