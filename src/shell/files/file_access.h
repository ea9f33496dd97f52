// File access for every reader of title files: colon paths mapped through the volume map, and
// the small set of operations that star files, movies and saved games need. Every operation gives
// 0 or 107 (ProgramCode::kFile); it clears the last platform error when it starts and records the
// error of a failed call, so that the reporter names the cause of the latest failure and never
// an older miss that its caller got over. Reads and seeks that fail ask the player (Abort, Retry,
// Ignore), because those are the operations that meet a dirty or missing disc. Every operation
// pumps window messages first, so a long series of reads keeps the window alive.
//
// Volumes may be ISO 9660 disc images (see volume_map.h). Files inside an image open read-only
// and read from the image in place; creating, writing or deleting there fails with the platform's
// error for a read-only filesystem (EROFS, platform error 19), as on a mounted disc.
//
// The operations are virtual so that tests can put faults under the star-file layer.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/system_info.h"
#include "shell/dialogs/boxes.h"
#include "shell/files/disc_image.h"
#include "shell/files/platform_error.h"
#include "shell/files/volume_map.h"
#include "shell/message_texts.h"
#include "shell/program_code.h"

namespace lw {

// An open file: a platform descriptor, -1 when none. A file inside a disc image has a duplicate
// of the image's descriptor, so that its number never stands for another open file.
using FileHandle = int;
inline constexpr FileHandle kNoFile = -1;

class FileAccess {
 public:
  // Reads go in pieces of this size, with messages pumped before each piece.
  static constexpr std::size_t kReadPiece = 10000;

  FileAccess(VolumeMap& volumes, BoxPresenter& boxes, const MessageTexts& texts,
             LastPlatformError& lastError)
      : volumes_(volumes), boxes_(boxes), texts_(texts), lastError_(lastError) {}
  virtual ~FileAccess();

  // Called before each operation and each read piece; the shell installs its message pump.
  void setMessagePump(std::function<void()> pump) { pump_ = std::move(pump); }

  [[nodiscard]] std::string MapPath(std::string_view colonPath) const {
    return volumes_.MapPath(colonPath);
  }
  [[nodiscard]] VolumeMap& volumes() { return volumes_; }
  [[nodiscard]] LastPlatformError& lastError() { return lastError_; }

  // Creates or truncates a file for reading and writing. Type and creator codes have no place
  // on this platform and are ignored.
  virtual ProgramCode FileCreate(std::string_view path, FileHandle& out);
  // Opens an existing file for reading and writing, or read-only when writing is not allowed.
  virtual ProgramCode FileOpen(std::string_view path, FileHandle& out);
  virtual ProgramCode FileClose(FileHandle file);
  // Reads exactly buffer.size() bytes at the current position, in pieces; a failed or short
  // piece shows the disc read box: Abort gives 107, Ignore 0 at once (the rest of the buffer
  // left as it was), Retry reads what is missing of that piece again. A piece cut short by the
  // end of the file records the data error (23): the data the caller expects is not there.
  virtual ProgramCode FileRead(FileHandle file, std::span<std::uint8_t> buffer);
  // Writes every byte or gives 107; no box.
  virtual ProgramCode FileWrite(FileHandle file, std::span<const std::uint8_t> bytes);
  // Sets the position from the start; a failure shows the disc seek box (Retry seeks again).
  virtual ProgramCode FileSeek(FileHandle file, std::uint32_t offset);
  // FileSeek and FileRead in one call that leaves the file position alone, with FileRead's
  // pieces and boxes; one system call for the common read of a record.
  virtual ProgramCode FileReadAt(FileHandle file, std::uint32_t offset,
                                 std::span<std::uint8_t> buffer);
  // FileSeek and FileWrite in one call that leaves the file position alone.
  virtual ProgramCode FileWriteAt(FileHandle file, std::uint32_t offset,
                                  std::span<const std::uint8_t> bytes);
  virtual ProgramCode FileFlush(FileHandle file);
  // 107 when the size cannot be read, is 0 (platform error 0) or exceeds 32 bits.
  virtual ProgramCode FileSize(FileHandle file, std::uint32_t& size);

  // 0 when the file or folder exists, else 107.
  ProgramCode FileExists(std::string_view path);
  ProgramCode FileDelete(std::string_view path);

  // The single directory search of the runtime: FindFirst(folder path ending with ":") starts
  // it (107 when nothing matches); FindNext gives the next name, then 107 once the search has
  // ended. A new FindFirst replaces a search not read to its end. Names (files and folders,
  // without "." and "..") come in sorted order, the same on every filesystem.
  ProgramCode FindFirst(std::string_view folderPath);
  ProgramCode FindNext(std::string& name);

 protected:
  void pump() const {
    if (pump_) pump_();
  }
  // The start of every operation: messages pumped, then the last platform error cleared.
  void beginOperation() {
    pump();
    lastError_.clear();
  }
  // Records errno as the platform error and gives 107.
  ProgramCode failFromErrno(int errnoValue);

 private:
  // A file opened inside a disc image, read at its extent from its own position.
  struct ImageFile {
    std::shared_ptr<DiscImage> image;
    DiscImage::Entry entry;
    std::uint64_t position = 0;
  };
  // The image file of `file`, or none for a platform descriptor.
  ImageFile* imageFile(FileHandle file);
  ProgramCode openInImage(const MappedPath& mapped, FileHandle& out);
  // Reads up to `count` bytes at `offset` (advancing the position when `positioned` is false):
  // the bytes read, errno 0 when the file ended first.
  std::size_t readSome(FileHandle file, std::uint8_t* into, std::size_t count, off_t offset,
                       bool positioned);
  // Moves the file position to `offset`; false with errno set when it cannot.
  bool seekTo(FileHandle file, off_t offset);
  // Reads `buffer` from `start` in pieces, asking the player when a piece fails or comes short;
  // `positioned` reads leave the file position alone.
  ProgramCode readPieces(FileHandle file, off_t start, std::span<std::uint8_t> buffer,
                         bool positioned);
  // The Abort/Retry/Ignore box of a failed read or seek, with the platform error in the text.
  BoxAnswer askDisc(int textId, int captionId);

  VolumeMap& volumes_;
  BoxPresenter& boxes_;
  const MessageTexts& texts_;
  LastPlatformError& lastError_;
  std::function<void()> pump_;
  std::map<FileHandle, ImageFile> imageFiles_;
  std::vector<std::string> searchNames_;  // the entries of the running search, in listing order
  std::size_t searchNext_ = 0;
  bool searchOpen_ = false;
};

// The free-memory figure that the resource cache budgets against, from the system's memory
// figures: what is available without swapping; where the kernel does not report that (old
// kernels, some containers), the free memory with the buffers and page cache that the kernel
// gives back on demand; without even a free figure, no limit, since a budget of 0 would refuse
// every record. Tests may set the figure.
class MemoryStatus {
 public:
  explicit MemoryStatus(const platform::SystemInfo& system) : system_(system) {}
  void overrideAvailable(std::optional<std::uint64_t> bytes) { override_ = bytes; }
  // Read again at most every kReadingLifetime: the resource cache asks on every record load.
  [[nodiscard]] std::uint64_t FreeMemory() const;

 private:
  static constexpr std::chrono::milliseconds kReadingLifetime{100};
  [[nodiscard]] std::uint64_t ReadFreeMemory() const;

  const platform::SystemInfo& system_;
  std::optional<std::uint64_t> override_;
  mutable std::optional<std::uint64_t> lastReading_;
  mutable std::chrono::steady_clock::time_point readAt_;
};

}  // namespace lw
