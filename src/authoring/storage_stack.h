// The storage layers wired as the runtime wires them, for the tools, benchmarks and tests that
// read and write title files outside a run: the file layer over a volume map, its boxes on a
// terminal, the error reporter, the star library budgeting by the system's free memory, and the
// compiled-script cache over the library. The members are public: a user reaches each layer
// directly. `Files` may be a FileAccess that a test puts faults or counters into.
#pragma once

#include <cstdio>
#include <filesystem>

#include "media/stamp_counter.h"
#include "media/star_library.h"
#include "platform/system_info.h"
#include "script/compiled_script_cache.h"
#include "shell/dialogs/boxes.h"
#include "shell/error_report.h"
#include "shell/files/file_access.h"
#include "shell/files/platform_error.h"
#include "shell/files/volume_map.h"
#include "shell/message_texts.h"

namespace lw::authoring {

template <typename Files = FileAccess>
struct BasicStorageStack {
  // `system` reports memory, mounts and labels; `titleFolder` is the "appl:" volume; boxes are
  // printed on `boxOut` (null prints nothing) and take their default answer unless a policy is
  // set on `boxes`.
  explicit BasicStorageStack(const platform::SystemInfo& system,
                             std::filesystem::path titleFolder = ".", std::FILE* boxOut = stderr)
      : boxes(boxOut),
        volumes(std::move(titleFolder), system),
        files(volumes, boxes, texts, lastError),
        errors(boxes, texts, lastError),
        memory(system),
        library(files, errors, stamps, [this] { return memory.FreeMemory(); }),
        scripts(library, errors) {}

  BasicStorageStack(const BasicStorageStack&) = delete;
  BasicStorageStack& operator=(const BasicStorageStack&) = delete;

  TerminalBoxes boxes;
  MessageTexts texts;
  LastPlatformError lastError;
  VolumeMap volumes;
  Files files;
  ErrorReporter errors;
  StampCounter stamps;
  MemoryStatus memory;
  StarLibrary library;
  CompiledScriptCache scripts;
};

using StorageStack = BasicStorageStack<>;

}  // namespace lw::authoring
