#include "shell/files/disc_image.h"

#include <cdio/iso9660.h>
#include <cdio/logging.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <mutex>

#include "common/log.h"
#include "shell/files/name_case.h"

namespace lw {
namespace {

// The volume descriptors start at block 16: a shorter file holds no image.
constexpr std::uint64_t kFirstDescriptorBlock = 16;
// Directory record fields (the table in the header).
constexpr std::size_t kRecordExtentOffset = 2;
constexpr std::size_t kRecordFlagsOffset = 25;
constexpr std::size_t kRecordNameLengthOffset = 32;
constexpr std::size_t kRecordNameOffset = 33;
constexpr std::uint8_t kNotFinalExtent = 0x80;
// Folders kept read at once, counted in entries, before the cache starts over.
constexpr std::size_t kMaxCachedEntries = 1 << 16;

// libiso9660 writes its complaints about damaged images to standard error; they go to the files
// log channel instead, so that a damaged image is an error the player reports, not noise.
void LogLibraryMessage(cdio_log_level_t level, const char message[]) {
  LW_LOG(kFiles, "libiso9660 (level %d): %s", static_cast<int>(level), message);
}

void RouteLibraryMessages() {
  static std::once_flag routed;
  std::call_once(routed, [] { cdio_log_set_handler(LogLibraryMessage); });
}

std::uint32_t ReadLittle32(const std::uint8_t* bytes) {
  return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
         static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

DiscImage::Entry EntryFrom(const iso9660_stat_t& stat) {
  DiscImage::Entry entry;
  entry.rawName = stat.filename;
  entry.name = ShownImageName(entry.rawName);
  entry.folder = stat.type == iso9660_stat_t::_STAT_DIR;
  entry.block = static_cast<std::uint32_t>(stat.lsn);  // the library keeps it signed
  entry.size = stat.size;
  return entry;
}

// The entry named `element`: the first exact match in the image's order, else the first match
// without regard to case in sorted order.
const DiscImage::Entry* MatchEntry(const std::vector<DiscImage::Entry>& entries,
                                   std::string_view element) {
  const DiscImage::Entry* folded = nullptr;
  for (const DiscImage::Entry& entry : entries) {
    if (entry.name == element) return &entry;
    if (EqualIgnoringCase(entry.name, element) && (!folded || entry.name < folded->name))
      folded = &entry;
  }
  return folded;
}

// Reads `count` bytes at `offset`; the bytes read, errno 0 when the file ended first.
std::size_t ReadWhole(int fd, std::uint8_t* into, std::size_t count, std::uint64_t offset) {
  std::size_t got = 0;
  errno = 0;
  while (got < count) {
    const ssize_t n = ::pread(fd, into + got, count - got, static_cast<off_t>(offset + got));
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

DiscImage::Stamp DiscImage::StampOf(const struct stat& info) {
  return Stamp{.device = info.st_dev,
               .inode = info.st_ino,
               .size = static_cast<std::uint64_t>(info.st_size),
               .modifiedSeconds = info.st_mtim.tv_sec,
               .modifiedNanoseconds = info.st_mtim.tv_nsec,
               .changedSeconds = info.st_ctim.tv_sec,
               .changedNanoseconds = info.st_ctim.tv_nsec};
}

std::string ShownImageName(std::string_view rawName) {
  std::string_view name = rawName.substr(0, rawName.find(';'));
  if (name.size() > 1 && name.back() == '.') name.remove_suffix(1);
  return std::string(name);
}

bool IsDiscImage(const std::filesystem::path& file) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(file, error)) return false;
  int openError = 0;
  return DiscImage::Open(file, openError) != nullptr;
}

DiscImage::DiscImage(int fd, _iso9660_s* iso, const Stamp& stamp)
    : fd_(fd), iso_(iso), stamp_(stamp), size_(stamp.size) {}

DiscImage::~DiscImage() {
  iso9660_close(iso_);
  ::close(fd_);
}

std::shared_ptr<DiscImage> DiscImage::Open(const std::filesystem::path& file, int& error) {
  RouteLibraryMessages();
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = errno;
    return nullptr;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
      static_cast<std::uint64_t>(info.st_size) < (kFirstDescriptorBlock + 1) * kBlockSize) {
    error = S_ISDIR(info.st_mode) ? EISDIR : EIO;
    ::close(fd);
    return nullptr;
  }
  // The library opens the file again by name: through the descriptor's name it is sure to read
  // the file checked here, even if the path is replaced meanwhile.
  const std::string viaDescriptor = "/proc/self/fd/" + std::to_string(fd);
  iso9660_t* iso = iso9660_open_ext(viaDescriptor.c_str(), ISO_EXTENSION_ALL);
  if (iso == nullptr) {
    LW_LOG(kFiles, "%s is no ISO 9660 image", file.c_str());
    error = EIO;
    ::close(fd);
    return nullptr;
  }
  std::shared_ptr<DiscImage> image(new DiscImage(fd, iso, StampOf(info)));
  iso9660_stat_t* root = iso9660_ifs_stat(iso, "/");
  if (root == nullptr || root->type != iso9660_stat_t::_STAT_DIR) {
    if (root != nullptr) iso9660_stat_free(root);
    error = EIO;
    return nullptr;
  }
  image->root_ = EntryFrom(*root);
  iso9660_stat_free(root);
  char* label = nullptr;
  if (iso9660_ifs_get_volume_id(iso, &label) && label != nullptr) image->label_ = label;
  std::free(label);
  while (!image->label_.empty() && image->label_.back() == ' ') image->label_.pop_back();
  return image;
}

bool DiscImage::IsStill(const std::filesystem::path& file) const {
  struct stat now {};
  return ::stat(file.c_str(), &now) == 0 && StampOf(now) == stamp_;
}

std::optional<DiscImage::Entry> DiscImage::Find(const std::vector<std::string>& elements,
                                                int& error) {
  std::string libraryPath;
  return Walk(elements, libraryPath, error);
}

std::optional<std::vector<DiscImage::Entry>> DiscImage::List(
    const std::vector<std::string>& elements, int& error) {
  std::string libraryPath;
  const std::optional<Entry> folder = Walk(elements, libraryPath, error);
  if (!folder) return std::nullopt;
  if (!folder->folder) {
    error = ENOTDIR;
    return std::nullopt;
  }
  return ReadFolder(*folder, libraryPath, error);
}

std::optional<DiscImage::Entry> DiscImage::Walk(const std::vector<std::string>& elements,
                                                std::string& libraryPath, int& error) {
  Entry at = root_;
  libraryPath = "/";
  for (const std::string& element : elements) {
    if (!at.folder) {
      error = ENOTDIR;
      return std::nullopt;
    }
    const std::optional<std::vector<Entry>> entries = ReadFolder(at, libraryPath, error);
    if (!entries) return std::nullopt;
    const Entry* match = MatchEntry(*entries, element);
    if (match == nullptr) {
      error = ENOENT;
      return std::nullopt;
    }
    if (libraryPath.back() != '/') libraryPath += '/';
    libraryPath += match->rawName;
    at = *match;
  }
  return at;
}

std::optional<std::vector<DiscImage::Entry>> DiscImage::ReadFolder(const Entry& folder,
                                                                   const std::string& libraryPath,
                                                                   int& error) {
  if (const auto cached = folders_.find(libraryPath); cached != folders_.end())
    return cached->second;
  error = EIO;
  std::vector<std::uint32_t> splitBlocks;
  if (!CheckFolderRecords(folder, splitBlocks)) {
    LW_LOG(kFiles, "image folder %s is damaged", libraryPath.c_str());
    return std::nullopt;
  }
  // The library finds the folder again by its path: it must be the folder checked above, not
  // another entry of the same name.
  iso9660_stat_t* found = iso9660_ifs_stat(iso_, libraryPath.c_str());
  const bool same = found != nullptr && static_cast<std::uint32_t>(found->lsn) == folder.block &&
                    found->size == folder.size;
  if (found != nullptr) iso9660_stat_free(found);
  if (!same) return std::nullopt;
  CdioList_t* list = iso9660_ifs_readdir(iso_, libraryPath.c_str());
  if (list == nullptr) return std::nullopt;
  std::vector<Entry> entries;
  for (CdioListNode_t* node = _cdio_list_begin(list); node != nullptr;
       node = _cdio_list_node_next(node)) {
    const auto* stat = static_cast<const iso9660_stat_t*>(_cdio_list_node_data(node));
    const std::string_view raw = stat->filename;
    // A name with a "/" could not be named in the library's paths, one with a ":" in the
    // titles' colon paths.
    if (raw.find('/') != std::string_view::npos) continue;
    Entry entry = EntryFrom(*stat);
    if (entry.name.empty() || entry.name == "." || entry.name == ".." ||
        entry.name.find(':') != std::string::npos)
      continue;
    entry.splitExtents =
        std::find(splitBlocks.begin(), splitBlocks.end(), entry.block) != splitBlocks.end();
    entries.push_back(std::move(entry));
  }
  iso9660_filelist_free(list);
  if (cachedEntries_ + entries.size() > kMaxCachedEntries) {
    folders_.clear();
    cachedEntries_ = 0;
  }
  cachedEntries_ += entries.size();
  folders_.emplace(libraryPath, entries);
  return entries;
}

bool DiscImage::CheckFolderRecords(const Entry& folder,
                                   std::vector<std::uint32_t>& splitBlocks) const {
  if (folder.size == 0 || folder.size > kMaxFolderBytes) return false;
  // The library reads whole blocks.
  const std::uint64_t bytes =
      (static_cast<std::uint64_t>(folder.size) + kBlockSize - 1) / kBlockSize * kBlockSize;
  const std::uint64_t start = static_cast<std::uint64_t>(folder.block) * kBlockSize;
  if (start + bytes > size_) return false;
  std::vector<std::uint8_t> records(bytes);
  if (ReadWhole(fd_, records.data(), records.size(), start) != records.size()) return false;
  for (std::size_t at = 0; at < records.size();) {
    const std::size_t length = records[at];
    if (length == 0) {
      ++at;
      continue;
    }
    if (length <= kRecordNameOffset || at + length > records.size()) return false;
    if (kRecordNameOffset + records[at + kRecordNameLengthOffset] > length) return false;
    if ((records[at + kRecordFlagsOffset] & kNotFinalExtent) != 0)
      splitBlocks.push_back(ReadLittle32(&records[at + kRecordExtentOffset]));
    at += length;
  }
  return true;
}

std::size_t DiscImage::ReadAt(const Entry& file, std::uint64_t offset, std::uint8_t* into,
                              std::size_t count) const {
  errno = 0;
  if (offset >= file.size) return 0;
  const std::size_t wanted =
      static_cast<std::size_t>(std::min<std::uint64_t>(count, file.size - offset));
  const std::uint64_t start = static_cast<std::uint64_t>(file.block) * kBlockSize + offset;
  const std::size_t got = ReadWhole(fd_, into, wanted, start);
  // The image ending inside the file is damage, not the end of the file.
  if (got < wanted && errno == 0) errno = EIO;
  return got;
}

}  // namespace lw
