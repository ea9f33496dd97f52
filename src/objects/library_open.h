// Opening the library file a script names, as every single-kind library (stage, set) opens it:
// the title's file lookup finds it (its own script errors pass through), the star file opens
// shared (a failure is reported at `openLine` and the file counts as of the wrong type), and its
// star type must be the kind's, else it is parked again and refused as of the wrong type.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "media/star_library.h"
#include "script/error_codes.h"
#include "shell/error_report.h"

namespace lw {

// Record 0 of every library file: its header, kept loaded while the library is open.
inline constexpr std::int32_t kHeaderRecord = 0;

using LocateFile = std::function<ScriptError(std::string_view name, std::string& path)>;

ScriptError OpenLibraryFile(StarLibrary& library, ErrorReporter& errors, const LocateFile& locate,
                            std::string_view name, std::string_view type, std::int16_t openLine,
                            StarFile*& out);

}  // namespace lw
