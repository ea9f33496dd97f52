// Fuzzes disc images with arbitrary bytes, read as the title's volume through the file layer:
// every folder listed (a few levels deep), every file opened, sized and read whole, and a file
// created there, which must be refused as on a read-only disc. Every step either works or gives a
// code; none may crash or read out of bounds, and no read of a file that opened may fail (its
// extent was checked against the image), which would bring up the disc-read box.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "shell/dialogs/boxes.h"
#include "shell/files/file_access.h"
#include "shell/files/platform_error.h"
#include "shell/files/volume_map.h"
#include "shell/message_texts.h"

namespace {

namespace fs = std::filesystem;

constexpr int kMaxDepth = 4;
constexpr int kMaxEntries = 64;
constexpr std::size_t kReadChunk = 4096;

// The image file of the inputs, in memory-backed storage when there is some, else in the
// temporary folder; removed when the fuzzer exits.
struct ScratchImage {
  ScratchImage() {
    std::error_code ignored;
    const fs::path folder =
        fs::is_directory("/dev/shm", ignored) ? fs::path("/dev/shm") : fs::temp_directory_path();
    path = folder / ("disc_image_fuzz_" + std::to_string(::getpid()) + ".iso");
  }
  ~ScratchImage() {
    std::error_code ignored;
    fs::remove(path, ignored);
  }
  fs::path path;
};

// One input's run: a volume map of its own, so that no image read for an earlier input is kept.
struct Harness {
  explicit Harness(const fs::path& image) : volumes(image, system) {
    boxes.setPolicy([this](const lw::BoxRequest&) {
      ++boxCount;
      return lw::BoxAnswer::kAbort;
    });
  }

  lw::platform::EmptySystemInfo system;
  lw::VolumeMap volumes;
  lw::TerminalBoxes boxes{nullptr};
  lw::MessageTexts texts;
  lw::LastPlatformError lastError;
  lw::FileAccess files{volumes, boxes, texts, lastError};
  int boxCount = 0;
  int entries = 0;
};

// Opens `path` and reads it whole, chunk by chunk, and from its end backwards.
void ReadFile(Harness& h, const std::string& path) {
  lw::FileHandle handle = lw::kNoFile;
  if (lw::Failed(h.files.FileOpen(path, handle))) return;
  std::uint32_t size = 0;
  std::vector<std::uint8_t> chunk(kReadChunk);
  if (!lw::Failed(h.files.FileSize(handle, size))) {
    for (std::uint32_t at = 0; at < size; at += kReadChunk) {
      const std::size_t count = std::min<std::size_t>(kReadChunk, size - at);
      if (lw::Failed(h.files.FileReadAt(handle, at, {chunk.data(), count}))) std::abort();
    }
    if (lw::Failed(h.files.FileSeek(handle, size - 1)) ||
        lw::Failed(h.files.FileRead(handle, {chunk.data(), 1})))
      std::abort();
  }
  if (!lw::Failed(h.files.FileWrite(handle, chunk)) ||
      h.lastError.get() != lw::platform_error::kWriteProtected)
    std::abort();
  (void)h.files.FileClose(handle);
}

// Lists `folder` (a colon path ending in ":") and everything below it.
void Walk(Harness& h, const std::string& folder, int depth) {
  std::vector<std::string> names;
  if (lw::Failed(h.files.FindFirst(folder))) return;
  for (std::string name; !lw::Failed(h.files.FindNext(name));) names.push_back(name);
  for (const std::string& name : names) {
    if (++h.entries > kMaxEntries) return;
    const std::string path = folder + name;
    if (lw::Failed(h.files.FileExists(path))) std::abort();  // listed, so it must be there
    ReadFile(h, path);
    if (depth < kMaxDepth) Walk(h, path + ":", depth + 1);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  static const ScratchImage scratch;
  std::ofstream(scratch.path, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(bytes), static_cast<std::streamsize>(size));
  Harness harness(scratch.path);
  Walk(harness, "appl:", 0);
  lw::FileHandle handle = lw::kNoFile;
  if (!lw::Failed(harness.files.FileCreate("appl:NEW.TXT", handle))) std::abort();
  if (harness.boxCount != 0) std::abort();  // a read failed inside a checked extent
  return 0;
}
