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

// The platform path for a colon path, or nothing when it cannot name a file (an embedded NUL
// would silently cut the name short at the system call).
std::optional<std::string> PlatformPath(const FileAccess& files, std::string_view colonPath) {
  std::string path = files.MapPath(colonPath);
  if (path.find('\0') != std::string::npos) return std::nullopt;
  return path;
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

}  // namespace

FileAccess::~FileAccess() = default;

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
  const std::optional<std::string> platformPath = PlatformPath(*this, path);
  if (!platformPath) return failFromErrno(ENOENT);
  const int fd = ::open(platformPath->c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, kCreateMode);
  if (fd < 0) {
    const int cause = errno;  // logging may change errno
    LW_LOG(kFiles, "cannot create %s", platformPath->c_str());
    return failFromErrno(cause);
  }
  out = fd;
  return ProgramCode::kOk;
}

ProgramCode FileAccess::FileOpen(std::string_view path, FileHandle& out) {
  beginOperation();
  out = kNoFile;
  const std::optional<std::string> platformPath = PlatformPath(*this, path);
  if (!platformPath) return failFromErrno(ENOENT);
  int fd = ::open(platformPath->c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) fd = ::open(platformPath->c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    const int cause = errno;  // logging may change errno
    LW_LOG(kFiles, "cannot open %s", platformPath->c_str());
    return failFromErrno(cause);
  }
  // A folder opens read-only here, but it is no file to read.
  struct stat info {};
  if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
    const int cause = S_ISDIR(info.st_mode) ? EISDIR : errno;
    ::close(fd);
    return failFromErrno(cause);
  }
  out = fd;
  return ProgramCode::kOk;
}

ProgramCode FileAccess::FileClose(FileHandle file) {
  beginOperation();
  // On Linux the descriptor is released even when close reports an interruption.
  if (::close(file) != 0 && errno != EINTR) return failFromErrno(errno);
  return ProgramCode::kOk;
}

ProgramCode FileAccess::FileRead(FileHandle file, std::span<std::uint8_t> buffer) {
  beginOperation();
  const off_t start = ::lseek(file, 0, SEEK_CUR);
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
      if (retrying && !positioned && ::lseek(file, missingAt, SEEK_SET) != missingAt) {
        lastError_.setFromErrno(errno);
      } else {
        got +=
            ReadFully(file, buffer.data() + done + got, piece - got, positioned ? missingAt : -1);
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
  while (::lseek(file, target, SEEK_SET) != target) {
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
  if (::fsync(file) != 0) return failFromErrno(errno);
  return ProgramCode::kOk;
}

ProgramCode FileAccess::FileSize(FileHandle file, std::uint32_t& size) {
  beginOperation();
  size = 0;
  struct stat info {};
  if (::fstat(file, &info) != 0) return failFromErrno(errno);
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
  const std::optional<std::string> platformPath = PlatformPath(*this, path);
  if (!platformPath) return failFromErrno(ENOENT);
  struct stat info {};
  if (::stat(platformPath->c_str(), &info) != 0) return failFromErrno(errno);
  return ProgramCode::kOk;
}

ProgramCode FileAccess::FileDelete(std::string_view path) {
  beginOperation();
  const std::optional<std::string> platformPath = PlatformPath(*this, path);
  if (!platformPath) return failFromErrno(ENOENT);
  if (::unlink(platformPath->c_str()) != 0) return failFromErrno(errno);
  return ProgramCode::kOk;
}

ProgramCode FileAccess::FindFirst(std::string_view folderPath) {
  beginOperation();
  searchNames_.clear();
  searchNext_ = 0;
  searchOpen_ = false;
  const std::optional<std::string> platformPath = PlatformPath(*this, folderPath);
  if (!platformPath) return failFromErrno(ENOENT);
  DIR* folder = ::opendir(platformPath->empty() ? "." : platformPath->c_str());
  if (folder == nullptr) return failFromErrno(errno);
  errno = 0;
  while (const dirent* entry = ::readdir(folder)) {
    const std::string_view name = entry->d_name;
    if (name != "." && name != "..") searchNames_.emplace_back(name);
  }
  const int listError = errno;
  ::closedir(folder);
  if (listError != 0) {
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
