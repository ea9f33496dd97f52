#include "shell/files/file_access.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <limits>

#include "common/log.h"

namespace lw {
namespace {

constexpr mode_t kCreateMode = 0644;

// Where a colon path leads, or nothing when it cannot name a file (an embedded NUL would
// silently cut the name short at the system call).
std::optional<MappedPath> Locate(VolumeMap& volumes, std::string_view colonPath) {
  MappedPath mapped = volumes.Resolve(colonPath);
  if (mapped.path.find('\0') != std::string::npos) return std::nullopt;
  return mapped;
}

// Reads up to `count` bytes at `offset`, or at the current position when `offset` is negative,
// going on after interrupted and partial reads; stops early only at the end of the file or on an
// error. Gives the bytes read, and leaves errno 0 when it stopped at the end of the file.
std::size_t ReadFully(int fd, std::uint8_t* into, std::size_t count, off_t offset) {
  std::size_t got = 0;
  errno = 0;
  while (got < count) {
    const ssize_t n = offset < 0
                          ? ::read(fd, into + got, count - got)
                          : ::pread(fd, into + got, count - got, offset + static_cast<off_t>(got));
    if (n > 0) {
      got += static_cast<std::size_t>(n);
    } else if (n == 0) {
      errno = 0;
      break;
    } else if (errno != EINTR) {
      break;
    }
  }
  return got;
}

// Appends the entry names of `path` (without "." and "..") to `names`; 0, or the errno of a
// folder that cannot be listed.
int ListFolder(const std::string& path, std::vector<std::string>& names) {
  DIR* folder = ::opendir(path.empty() ? "." : path.c_str());
  if (folder == nullptr) return errno;
  errno = 0;
  while (const dirent* entry = ::readdir(folder)) {
    const std::string_view name = entry->d_name;
    if (name != "." && name != "..") names.emplace_back(name);
  }
  const int listError = errno;
  ::closedir(folder);
  return listError;
}

}  // namespace

FileAccess::~FileAccess() = default;

FileAccess::ImageFile* FileAccess::imageFile(FileHandle file) {
  const auto found = imageFiles_.find(file);
  return found == imageFiles_.end() ? nullptr : &found->second;
}

ProgramCode FileAccess::openInImage(const MappedPath& mapped, FileHandle& out) {
  if (!mapped.image) return failFromErrno(mapped.imageError);
  int error = 0;
  const std::optional<DiscImage::Entry> entry = mapped.image->Find(mapped.inImage, error);
  if (!entry) {
    LW_LOG(kFiles, "cannot open %s", mapped.path.c_str());
    return failFromErrno(error);
  }
  if (entry->folder) return failFromErrno(EISDIR);
  if (!mapped.image->Holds(*entry)) {
    LW_LOG(kFiles, "%s lies past the end of its image", mapped.path.c_str());
    return failFromErrno(EIO);
  }
  if (entry->splitExtents) {
    LW_LOG(kFiles, "%s is split over several extents, which the player does not read",
           mapped.path.c_str());
    return failFromErrno(EFBIG);
  }
  const int fd = ::fcntl(mapped.image->descriptor(), F_DUPFD_CLOEXEC, 0);
  if (fd < 0) return failFromErrno(errno);
  imageFiles_.insert_or_assign(fd, ImageFile{mapped.image, *entry, 0});
  out = fd;
  return ProgramCode::kOk;
}

std::size_t FileAccess::readSome(FileHandle file, std::uint8_t* into, std::size_t count,
                                 off_t offset, bool positioned) {
  if (ImageFile* image = imageFile(file)) {
    const std::uint64_t from = positioned ? static_cast<std::uint64_t>(offset) : image->position;
    const std::size_t got = image->image->ReadAt(image->entry, from, into, count);
    if (!positioned) image->position = from + got;
    return got;
  }
  return ReadFully(file, into, count, positioned ? offset : -1);
}

bool FileAccess::seekTo(FileHandle file, off_t offset) {
  if (ImageFile* image = imageFile(file)) {
    image->position = static_cast<std::uint64_t>(offset);
    return true;
  }
  return ::lseek(file, offset, SEEK_SET) == offset;
}

ProgramCode FileAccess::failFromErrno(int errnoValue) {
  lastError_.setFromErrno(errnoValue);
  LW_LOG(kFiles, "file call failed: %s (platform error %d)", std::strerror(errnoValue),
         static_cast<int>(lastError_.get()));
  return ProgramCode::kFile;
}

BoxAnswer FileAccess::askDisc(int textId, int captionId) {
  BoxRequest request;
  request.caption = texts_.text(captionId);
  request.text = WrapForBox(texts_.format(textId, lastError_.get()));
  request.buttons = BoxButtons::kAbortRetryIgnore;
  request.icon = BoxIcon::kExclamation;
  return boxes_.showBox(request);
}

ProgramCode FileAccess::FileCreate(std::string_view path, FileHandle& out) {
  beginOperation();
  out = kNoFile;
  const std::optional<MappedPath> mapped = Locate(volumes_, path);
  if (!mapped) return failFromErrno(ENOENT);
  if (mapped->onImage()) return failFromErrno(EROFS);
  const std::string& platformPath = mapped->path;
  const int fd = ::open(platformPath.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, kCreateMode);
  if (fd < 0) {
    const int cause = errno;  // logging may change errno
    LW_LOG(kFiles, "cannot create %s", platformPath.c_str());
    return failFromErrno(cause);
  }
  imageFiles_.erase(fd);  // a number left behind by an image file closed outside this layer
  out = fd;
  return ProgramCode::kOk;
}

ProgramCode FileAccess::FileOpen(std::string_view path, FileHandle& out) {
  beginOperation();
  out = kNoFile;
  const std::optional<MappedPath> mapped = Locate(volumes_, path);
  if (!mapped) return failFromErrno(ENOENT);
  if (mapped->onImage()) return openInImage(*mapped, out);
  const std::string& platformPath = mapped->path;
  int fd = ::open(platformPath.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) fd = ::open(platformPath.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    const int cause = errno;  // logging may change errno
    LW_LOG(kFiles, "cannot open %s", platformPath.c_str());
    return failFromErrno(cause);
  }
  // A folder opens read-only here, but it is no file to read.
  struct stat info {};
  if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
    const int cause = S_ISDIR(info.st_mode) ? EISDIR : errno;
    ::close(fd);
    return failFromErrno(cause);
  }
  imageFiles_.erase(fd);  // a number left behind by an image file closed outside this layer
  out = fd;
  return ProgramCode::kOk;
}

ProgramCode FileAccess::FileClose(FileHandle file) {
  beginOperation();
  imageFiles_.erase(file);
  // On Linux the descriptor is released even when close reports an interruption.
  if (::close(file) != 0 && errno != EINTR) return failFromErrno(errno);
  return ProgramCode::kOk;
}

ProgramCode FileAccess::FileRead(FileHandle file, std::span<std::uint8_t> buffer) {
  beginOperation();
  const ImageFile* image = imageFile(file);
  const off_t start =
      image != nullptr ? static_cast<off_t>(image->position) : ::lseek(file, 0, SEEK_CUR);
  if (start < 0) return failFromErrno(errno);
  return readPieces(file, start, buffer, false);
}

ProgramCode FileAccess::FileReadAt(FileHandle file, std::uint32_t offset,
                                   std::span<std::uint8_t> buffer) {
  beginOperation();
  return readPieces(file, static_cast<off_t>(offset), buffer, true);
}

ProgramCode FileAccess::readPieces(FileHandle file, off_t start, std::span<std::uint8_t> buffer,
                                   bool positioned) {
  std::size_t done = 0;
  while (done < buffer.size()) {
    const std::size_t piece = std::min(kReadPiece, buffer.size() - done);
    std::size_t got = 0;
    // A failed or short piece asks the player. Retry reads again what is missing of the
    // piece, from where the missing part starts, so that no part of the buffer stays unread.
    for (bool retrying = false; got < piece; retrying = true) {
      pump();
      const off_t missingAt = start + static_cast<off_t>(done + got);
      if (retrying && !positioned && !seekTo(file, missingAt)) {
        lastError_.setFromErrno(errno);
      } else {
        got += readSome(file, buffer.data() + done + got, piece - got, missingAt, positioned);
        if (got == piece) break;
        // Stopping early without an error is the end of the file: the data is not there.
        if (errno == 0)
          lastError_.set(platform_error::kDataError);
        else
          lastError_.setFromErrno(errno);
      }
      switch (askDisc(text_id::kDiscReadError, text_id::kDiscReadCaption)) {
        case BoxAnswer::kIgnore: return ProgramCode::kOk;
        case BoxAnswer::kRetry: break;
        default: return ProgramCode::kFile;
      }
    }
    done += piece;
  }
  pump();
  return ProgramCode::kOk;
}

ProgramCode FileAccess::FileWrite(FileHandle file, std::span<const std::uint8_t> bytes) {
  beginOperation();
  if (imageFile(file) != nullptr) return failFromErrno(EROFS);
  if (::lseek(file, 0, SEEK_CUR) < 0) return failFromErrno(errno);
  std::size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t n = ::write(file, bytes.data() + written, bytes.size() - written);
    if (n > 0) {
      written += static_cast<std::size_t>(n);
    } else if (n == 0) {
      return failFromErrno(ENOSPC);  // nothing taken without an error: the device is full
    } else if (errno != EINTR) {
      return failFromErrno(errno);
    }
  }
  return ProgramCode::kOk;
}

ProgramCode FileAccess::FileWriteAt(FileHandle file, std::uint32_t offset,
                                    std::span<const std::uint8_t> bytes) {
  beginOperation();
  if (imageFile(file) != nullptr) return failFromErrno(EROFS);
  std::size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t n = ::pwrite(file, bytes.data() + written, bytes.size() - written,
                               static_cast<off_t>(offset) + static_cast<off_t>(written));
    if (n > 0) {
      written += static_cast<std::size_t>(n);
    } else if (n == 0) {
      return failFromErrno(ENOSPC);
    } else if (errno != EINTR) {
      return failFromErrno(errno);
    }
  }
  return ProgramCode::kOk;
}

ProgramCode FileAccess::FileSeek(FileHandle file, std::uint32_t offset) {
  beginOperation();
  const off_t target = static_cast<off_t>(offset);
  while (!seekTo(file, target)) {
    lastError_.setFromErrno(errno);
    switch (askDisc(text_id::kDiscSeekError, text_id::kDiscSeekCaption)) {
      case BoxAnswer::kIgnore: return ProgramCode::kOk;
      case BoxAnswer::kRetry: pump(); break;
      default: return ProgramCode::kFile;
    }
  }
  return ProgramCode::kOk;
}

ProgramCode FileAccess::FileFlush(FileHandle file) {
  beginOperation();
  if (imageFile(file) != nullptr) return ProgramCode::kOk;  // nothing was written to it
  if (::fsync(file) != 0) return failFromErrno(errno);
  return ProgramCode::kOk;
}

ProgramCode FileAccess::FileSize(FileHandle file, std::uint32_t& size) {
  beginOperation();
  size = 0;
  struct stat info {};
  if (const ImageFile* image = imageFile(file)) {
    info.st_size = image->entry.size;
  } else if (::fstat(file, &info) != 0) {
    return failFromErrno(errno);
  }
  if (info.st_size > std::numeric_limits<std::uint32_t>::max()) return failFromErrno(EFBIG);
  // An empty file is a failure without a platform cause.
  if (info.st_size <= 0) {
    lastError_.set(platform_error::kNone);
    return ProgramCode::kFile;
  }
  size = static_cast<std::uint32_t>(info.st_size);
  return ProgramCode::kOk;
}

ProgramCode FileAccess::FileExists(std::string_view path) {
  beginOperation();
  const std::optional<MappedPath> mapped = Locate(volumes_, path);
  if (!mapped) return failFromErrno(ENOENT);
  if (mapped->onImage()) {
    int error = mapped->imageError;
    if (!mapped->image || !mapped->image->Find(mapped->inImage, error)) return failFromErrno(error);
    return ProgramCode::kOk;
  }
  struct stat info {};
  if (::stat(mapped->path.c_str(), &info) != 0) return failFromErrno(errno);
  return ProgramCode::kOk;
}

ProgramCode FileAccess::FileDelete(std::string_view path) {
  beginOperation();
  const std::optional<MappedPath> mapped = Locate(volumes_, path);
  if (!mapped) return failFromErrno(ENOENT);
  if (mapped->onImage()) return failFromErrno(EROFS);
  if (::unlink(mapped->path.c_str()) != 0) return failFromErrno(errno);
  return ProgramCode::kOk;
}

ProgramCode FileAccess::FindFirst(std::string_view folderPath) {
  beginOperation();
  searchNames_.clear();
  searchNext_ = 0;
  searchOpen_ = false;
  const std::optional<MappedPath> mapped = Locate(volumes_, folderPath);
  if (!mapped) return failFromErrno(ENOENT);
  if (mapped->onImage()) {
    int error = mapped->imageError;
    const auto entries = mapped->image ? mapped->image->List(mapped->inImage, error) : std::nullopt;
    if (!entries) return failFromErrno(error);
    for (const DiscImage::Entry& entry : *entries) searchNames_.push_back(entry.name);
  } else if (const int listError = ListFolder(mapped->path, searchNames_); listError != 0) {
    searchNames_.clear();
    return failFromErrno(listError);
  }
  if (searchNames_.empty()) return failFromErrno(ENOENT);
  // The listing order of a folder depends on the filesystem; sorted, a title sees the same
  // order everywhere.
  std::sort(searchNames_.begin(), searchNames_.end());
  searchOpen_ = true;
  return ProgramCode::kOk;
}

ProgramCode FileAccess::FindNext(std::string& name) {
  beginOperation();
  if (!searchOpen_ || searchNext_ >= searchNames_.size()) {
    searchOpen_ = false;
    searchNames_.clear();
    searchNext_ = 0;
    lastError_.set(platform_error::kNoMoreFiles);
    return ProgramCode::kFile;
  }
  name = searchNames_[searchNext_++];
  return ProgramCode::kOk;
}

std::uint64_t MemoryStatus::FreeMemory() const {
  if (override_) return *override_;
  const auto now = std::chrono::steady_clock::now();
  if (!lastReading_ || now - readAt_ >= kReadingLifetime) {
    lastReading_ = ReadFreeMemory();
    readAt_ = now;
  }
  return *lastReading_;
}

std::uint64_t MemoryStatus::ReadFreeMemory() const {
  const platform::MemoryFigures figures = system_.memory();
  if (figures.available) return *figures.available;
  constexpr std::uint64_t kNoLimit = std::numeric_limits<std::uint64_t>::max();
  if (!figures.free) return kNoLimit;
  std::uint64_t sum = *figures.free;
  for (const auto& part : {figures.buffers, figures.cached})
    sum += std::min(part.value_or(0), kNoLimit - sum);  // saturating: the figures are untrusted
  return sum;
}

}  // namespace lw
