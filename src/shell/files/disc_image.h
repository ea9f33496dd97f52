// An ISO 9660 disc image read as a volume: its label, its folders listed and its files read,
// without mounting it. libiso9660 reads the volume descriptors and the folder records (Rock Ridge
// and Joliet names when the image has them); file data is read here with pread from the extent
// that the folder record names, so a file is never loaded whole.
//
// Names are matched like the names of a folder on disc: exactly first, else without regard to
// ASCII case, the first match in sorted order. The ";1" version of plain ISO names and the "." of
// a level-1 name without an extension are not part of the name ("BOOTFILE.;1" is "BOOTFILE").
//
// An image is untrusted: before libiso9660 parses a folder, the folder's extent is read here and
// every record in it checked, the same way the library walks it (a zero length byte is skipped
// one byte at a time, any other starts a record):
//
//   OFFSET  SIZE  FIELD (directory record; numbers in both byte orders, little-endian first)
//        0     1  record length; the record must lie inside the folder's extent
//        2     8  extent: the first 2048-byte block of the data
//       10     8  data length in bytes
//       25     1  flags: 0x02 a folder, 0x80 not the last extent of its file
//       32     1  name length; 33 + name length must not pass the record length
//       33     n  name, then the Rock Ridge system use area up to the record length
//
// A folder larger than kMaxFolderBytes, an extent that passes the end of the image, or a bad
// record make the folder unreadable (EIO). A file split over several extents (only needed for
// files of 4 GB and more) is refused with EFBIG rather than read in part.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct _iso9660_s;
struct stat;

namespace lw {

class DiscImage {
 public:
  static constexpr std::uint32_t kBlockSize = 2048;
  static constexpr std::uint32_t kMaxFolderBytes = 4U << 20;

  // A file or folder of the image.
  struct Entry {
    std::string name;     // as shown: version and level-1 trailing "." removed
    std::string rawName;  // as libiso9660 names it, to build the paths it takes
    bool folder = false;
    bool splitExtents = false;  // part of a file of several extents
    std::uint32_t block = 0;    // the first block of the extent
    std::uint32_t size = 0;     // bytes
  };

  // Opens `file` as an image; nothing, with `error` set to an errno value, when it is not one.
  static std::shared_ptr<DiscImage> Open(const std::filesystem::path& file, int& error);
  ~DiscImage();
  DiscImage(const DiscImage&) = delete;
  DiscImage& operator=(const DiscImage&) = delete;

  // The volume label, trailing spaces removed.
  [[nodiscard]] const std::string& label() const { return label_; }
  // The image's own descriptor: the file layer duplicates it for each file it opens inside.
  [[nodiscard]] int descriptor() const { return fd_; }
  // True when the file at `file` is still the image opened (same inode, size and times).
  [[nodiscard]] bool IsStill(const std::filesystem::path& file) const;

  // The entry at `elements` (each matched as above); the root folder for no elements. Nothing
  // with `error` set when an element is missing (ENOENT), a file stands where a folder must
  // (ENOTDIR), or a folder on the way is damaged (EIO).
  std::optional<Entry> Find(const std::vector<std::string>& elements, int& error);
  // The entries of the folder at `elements`, without "." and "..", in the image's order.
  std::optional<std::vector<Entry>> List(const std::vector<std::string>& elements, int& error);

  // True when the extent of `file` lies inside the image (an image cut short may end before).
  [[nodiscard]] bool Holds(const Entry& file) const {
    return static_cast<std::uint64_t>(file.block) * kBlockSize + file.size <= size_;
  }
  // Reads up to `count` bytes of `file` from `offset` into `into` and gives the bytes read;
  // fewer leave errno 0 at the end of the file, else the cause (EIO for an image cut short).
  std::size_t ReadAt(const Entry& file, std::uint64_t offset, std::uint8_t* into,
                     std::size_t count) const;

 private:
  // What identifies the file's content at opening: a rewritten image differs in some field.
  struct Stamp {
    std::uint64_t device = 0, inode = 0, size = 0;
    std::int64_t modifiedSeconds = 0, modifiedNanoseconds = 0;
    std::int64_t changedSeconds = 0, changedNanoseconds = 0;
    bool operator==(const Stamp&) const = default;
  };

  static Stamp StampOf(const struct stat& info);
  DiscImage(int fd, _iso9660_s* iso, const Stamp& stamp);
  // The entries of the folder `folder` found at the library path `libraryPath`.
  std::optional<std::vector<Entry>> ReadFolder(const Entry& folder, const std::string& libraryPath,
                                               int& error);
  // Checks the records of a folder's extent (the table above); also notes the blocks of split
  // files. False when the folder cannot be read safely.
  bool CheckFolderRecords(const Entry& folder, std::vector<std::uint32_t>& splitBlocks) const;
  // Walks `elements` from the root; `libraryPath` receives the library's path of the result.
  std::optional<Entry> Walk(const std::vector<std::string>& elements, std::string& libraryPath,
                            int& error);

  int fd_;
  _iso9660_s* iso_;
  Stamp stamp_;
  std::uint64_t size_;
  std::string label_;
  Entry root_;
  // Folders already read, by library path; dropped whole when they hold too many entries.
  std::map<std::string, std::vector<Entry>> folders_;
  std::size_t cachedEntries_ = 0;
};

// The name of an image entry as shown: "NAME.EXT;1" -> "NAME.EXT", "NAME.;1" -> "NAME".
[[nodiscard]] std::string ShownImageName(std::string_view rawName);

// True when `file` is a regular file that opens as a disc image.
[[nodiscard]] bool IsDiscImage(const std::filesystem::path& file);

}  // namespace lw
