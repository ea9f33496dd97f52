// The storage layers as titlekit uses them: the file layer with its boxes on the terminal, the
// error reporter, and the star library with the compiled-script cache over it, wired the way
// the runtime wires them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "media/stamp_counter.h"
#include "media/star_library.h"
#include "script/compiled_script_cache.h"
#include "shell/dialogs/boxes.h"
#include "shell/error_report.h"
#include "shell/files/file_access.h"
#include "shell/files/platform_error.h"
#include "shell/files/volume_map.h"
#include "shell/message_texts.h"

namespace lw::titlekit {

struct Storage {
  Storage()
      : files(volumes, boxes, texts, lastError),
        errors(boxes, texts, lastError),
        library(files, errors, stamps, [this] { return memory.FreeMemory(); }),
        scripts(library, errors) {}

  TerminalBoxes boxes;
  MessageTexts texts;
  LastPlatformError lastError;
  VolumeMap volumes;
  FileAccess files;
  ErrorReporter errors;
  StampCounter stamps;
  MemoryStatus memory;
  StarLibrary library;
  CompiledScriptCache scripts;
};

// A star-file record named as "FILE#ID" (a record id after the last '#').
struct RecordName {
  std::string file;
  std::int32_t id = 0;
};

// The record that `name` names, or nothing when it is a plain file name: an existing file of
// that exact name, or no decimal id after the last '#'.
std::optional<RecordName> ParseRecordName(std::string_view name);

}  // namespace lw::titlekit
