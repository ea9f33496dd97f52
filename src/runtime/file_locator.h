// Locating a file that a script names (used by the commands that open title files): the name
// must be an 8.3 name; the search needs room for 400,000 bytes in the resource cache; then path
// slots 1..8 are tried in order, each slot's path followed by the name, and the first that is an
// open star file or an existing file is the answer.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "media/star_library.h"
#include "runtime/path_slots.h"
#include "script/error_codes.h"
#include "shell/error_report.h"
#include "shell/files/file_access.h"

namespace lw {

class FileLocator {
 public:
  static constexpr std::int64_t kRoomNeeded = 400000;

  FileLocator(const PathSlots& slots, StarLibrary& library, FileAccess& files,
              ErrorReporter& errors)
      : slots_(slots), library_(library), files_(files), errors_(errors) {}

  // The colon path of the file `name`, in `path`. MustUse83Filenames (52) for a name that is not
  // 3..12 characters starting with a letter, with at most one "." at character 9 or earlier
  // followed by one to three characters; NotEnoughMemory (41) when the resource cache cannot
  // make the room (an internal failure while trying reports line 5211 first); CantFindFile (42)
  // when no slot has it.
  ScriptError LocateFile(std::string_view name, std::string& path);

 private:
  // Whether a star file of this colon path is open (ASCII case ignored, as the library opens).
  [[nodiscard]] bool StarFileOpen(std::string_view path) const;

  const PathSlots& slots_;
  StarLibrary& library_;
  FileAccess& files_;
  ErrorReporter& errors_;
};

// Whether `name` is a name LocateFile accepts (the 8.3 rule above).
[[nodiscard]] bool IsEightThreeName(std::string_view name);

}  // namespace lw
