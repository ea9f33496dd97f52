// Fuzzes the saved-game reader with arbitrary file contents: the bytes are opened as a star file
// and read as a game saved under the identity "Fuzz" (the identity of the seeds that
// saved_game_seed writes, so that mutations get past the identity check). Every input is refused
// with a reason or read whole; none may crash, touch memory out of bounds or read outside the
// file (which would bring up the disc-read box, answered with Abort here). A game that is read
// must be as consistent as the reader promises: every table as long as the state block counts,
// and every star file the records name in the header's list.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "media/star_file.h"
#include "objects/saved_game_reader.h"
#include "shell/dialogs/boxes.h"
#include "shell/files/file_access.h"
#include "shell/files/platform_error.h"
#include "shell/files/volume_map.h"
#include "shell/message_texts.h"

namespace {

namespace fs = std::filesystem;

constexpr char kIdentity[] = "Fuzz";

void Require(bool condition) {
  if (!condition) std::abort();
}

// A scratch file in memory-backed storage when there is some, else in the temporary folder.
fs::path ScratchPath() {
  std::error_code ignored;
  const fs::path folder =
      fs::is_directory("/dev/shm", ignored) ? fs::path("/dev/shm") : fs::temp_directory_path();
  return folder / ("saved_game_fuzz_" + std::to_string(::getpid()) + ".rtd");
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

void CheckConsistent(const lw::SavedGameRecords& game) {
  using lw::SavedTable;
  const lw::ObjectState& state = game.state;
  Require(game.actors.size() == state.count(SavedTable::kActors));
  Require(game.casts.size() == state.count(SavedTable::kCasts));
  Require(game.props.size() == state.count(SavedTable::kProps));
  Require(game.shops.size() == state.count(SavedTable::kShops));
  Require(game.tracks.size() == state.count(SavedTable::kTracks));
  for (const lw::SavedTrackState& track : game.tracks) {
    Require(track.sounds.size() == track.track.sounds);
    Require(track.themeParts.size() == track.track.themeParts);
    Require(track.sequence.size() == track.track.sequence);
  }
  for (const std::uint32_t id : game.libraries()) Require(game.header.file(id) != nullptr);
  for (const lw::WalkSlot& walk : game.walks) Require(walk.active || !walk.path);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  static Harness harness;
  std::ofstream(harness.path, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(bytes), static_cast<std::streamsize>(size));
  std::unique_ptr<lw::StarFile> file;
  if (lw::Failed(lw::StarFile::Open(harness.files, harness.path.string(), 1, file))) return 0;
  const lw::SavedGameRead read = lw::ReadSavedGame(*file, kIdentity);
  if (read.fault == lw::SavedGameFault::kNone) {
    CheckConsistent(read.records);
  } else {
    Require(!read.why.empty());
  }
  (void)file->CloseHandle();
  if (harness.boxCount != 0) std::abort();  // something read outside the file
  return 0;
}
