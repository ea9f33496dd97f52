// Fuzzes star files with arbitrary file contents: open, read every record, rewrite some (in
// place and moved), append one, flush and close. Every step either works or gives a code; none
// may crash or touch memory out of bounds, and none may read outside the file, which would bring
// up the disc-read box (answered with Abort here, so that nothing waits).
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "media/star_file.h"
#include "shell/dialogs/boxes.h"
#include "shell/files/file_access.h"
#include "shell/files/platform_error.h"
#include "shell/files/volume_map.h"
#include "shell/message_texts.h"

namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kRewriteEvery = 3;

// A scratch file in memory-backed storage when there is some, else in the temporary folder.
fs::path ScratchPath() {
  std::error_code ignored;
  const fs::path folder =
      fs::is_directory("/dev/shm", ignored) ? fs::path("/dev/shm") : fs::temp_directory_path();
  return folder / ("star_file_fuzz_" + std::to_string(::getpid()) + ".str");
}

struct Harness {
  Harness() : files(volumes, boxes, texts, lastError), path(ScratchPath()) {
    boxes.setPolicy([this](const lw::BoxRequest&) {
      ++boxCount;
      return lw::BoxAnswer::kAbort;
    });
  }
  ~Harness() {
    std::error_code ignored;
    fs::remove(path, ignored);
  }

  lw::platform::EmptySystemInfo system;
  lw::VolumeMap volumes{".", system};
  lw::TerminalBoxes boxes{nullptr};
  lw::MessageTexts texts;
  lw::LastPlatformError lastError;
  lw::FileAccess files;
  fs::path path;
  int boxCount = 0;
};

// Reads every record and rewrites every third one, alternately with the same length (in place)
// and one byte longer (moved); then appends one record.
void Exercise(lw::StarFile& file) {
  const std::uint32_t count = file.header().nextId;
  lw::RecordBlock data;
  for (std::uint32_t id = 0; id < count; ++id) {
    const auto signedId = static_cast<std::int32_t>(id);
    std::uint32_t length = 0;
    if (lw::Failed(file.RecordLength(signedId, length)) ||
        lw::Failed(file.ReadRecord(signedId, data)))
      continue;
    if (data.size() != length) std::abort();
    if (id % kRewriteEvery != 0) continue;
    std::reverse(data.begin(), data.end());
    if (id / kRewriteEvery % 2 == 1) data.push_back(static_cast<std::uint8_t>(id));
    (void)file.RewriteRecord(signedId, data);
  }
  std::int32_t newId = -1;
  (void)file.AppendRecord(data, newId);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  static Harness harness;
  std::ofstream(harness.path, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(bytes), static_cast<std::streamsize>(size));
  std::unique_ptr<lw::StarFile> file;
  if (lw::Failed(lw::StarFile::Open(harness.files, harness.path.string(), 1, file))) return 0;
  Exercise(*file);
  (void)file->Flush();
  (void)file->CloseHandle();
  if (harness.boxCount != 0) std::abort();  // something read outside the file
  return 0;
}
