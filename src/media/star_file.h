// Star files: the numbered-record container that holds all title data. A file holds records
// named by small integers (0, 1, 2 ...), each an opaque run of bytes whose meaning belongs to its
// reader. This module reads and writes the format and manages its space; the resource cache
// (star_library.h) decides when records are read and written.
//
// All numbers are little-endian; offsets are absolute.
//
// Header, 1024 bytes at offset 0:
//   OFFSET  SIZE   DESCRIPTION
//   0       u32    version, always 0x00010000
//   4       u32    file end: first byte after the last used byte; equals the file size on open
//   8       u32    free bytes: sum of the sizes of the runs in the free-block table (written
//                  so; read as at least that sum, see below)
//   12      u32    free-block count (0..64)
//   16      u32    index capacity: record ids the index has room for, a multiple of 128
//   20      u32    next id: ids 0 .. next id - 1 have been handed out
//   24      u32    free-id count: ids on the free-id chain
//   28      u32    free-id head: first id on the chain; a chained id's index entry holds the next
//   32      u32    file type, four-character code, first character most significant ('RTDO')
//   36      u32    creator, same encoding
//   40      472    reserved, zero
//   512     64x8   free-block table: (u32 offset, u32 size), ascending offsets; the first
//                  free-block count entries are meaningful
//
// Index, from offset 1024: index capacity x u32, entry i = file offset of record i's block.
// Handled in pages of 128 entries (512 bytes); page p lies at 1024 + 512p.
//
// Record block, at the offset its index entry gives:
//   OFFSET  SIZE   DESCRIPTION
//   0       u32    record id (equals the id used to find the block)
//   4       u32    data length D
//   8       D      the record's bytes
//   8+D     ...    zero padding up to the block length, 64 x floor((D + 71) / 64)
//
// Free runs are known only to the free-block table and never read.
//
// The reserved header bytes are written back as they were read. Free-block table entries beyond
// the free-block count are written as zeros.
//
// What an open checks (a file that fails gives 106 for the version, else 101): the file end
// equals the file size; the index capacity is a multiple of 128 and the index ends at or before
// the file end; next id <= index capacity; free-id count <= next id; at most 64 free runs, each
// of a positive multiple of 64 bytes, in ascending order without overlaps, inside the record
// area [1024 + 4 x index capacity, file end); free bytes at least the sum of the run sizes.
// Files whose free bytes exceed that sum exist, because index growth as the format's rules have
// it drops the runs it clears without lowering the field; nothing reads the field, so such a
// file opens with the field set to the sum, and its next flush writes the sum.
// What every record access checks (100 when it fails): the id was handed out; its index entry
// points into the record area; the block carries the id; the data (and, for a block that is
// freed or moved, the whole block) ends at or before the file end; a freed block overlaps no free
// run; a block met while sliding or moving records is the one its id's index entry names. The
// free-id chain is checked when it is first consumed: every id on it below next id, none twice
// (101 otherwise), and so is a full index whose record area ends before the 512 bytes that the
// next index page needs have been cleared. A file that would grow past 32-bit offsets gives 110;
// an in-file copy asked to run the wrong way is a logic fault (102).
//
// Writes and failures. The header is written only by Flush, after the dirty index pages (which
// are otherwise written only when evicted), and new record bytes are written before the index
// entry that points at them changes. A failed write gives 107 at once and leaves the header on
// disk as last flushed. Blocks added at the file end since then are not in that header, so the
// file has to be cut back to its flushed file end to open again; the flushed records that were
// not rewritten since then read back unchanged, unless compaction or index growth moved records
// in the meantime (the format slides and moves blocks in place).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "media/record_cache.h"
#include "shell/files/file_access.h"
#include "shell/program_code.h"

namespace lw {

inline constexpr std::uint32_t kStarVersion = 0x00010000;
inline constexpr std::uint32_t kStarHeaderSize = 1024;
inline constexpr std::uint32_t kStarIdsPerPage = 128;
inline constexpr std::uint32_t kStarPageBytes = kStarIdsPerPage * 4;
inline constexpr std::uint32_t kStarCachedPages = 4;
inline constexpr std::uint32_t kStarMaxFreeRuns = 64;
inline constexpr std::uint32_t kStarBlockUnit = 64;
inline constexpr std::uint32_t kStarRecordHeaderSize = 8;

// The block length that a record of `dataLength` bytes occupies.
[[nodiscard]] constexpr std::uint32_t StarBlockLength(std::uint32_t dataLength) {
  return kStarBlockUnit *
         ((dataLength + kStarRecordHeaderSize + kStarBlockUnit - 1) / kStarBlockUnit);
}

// A four-character code from its text ("RTDO" -> 0x5254444F) and back.
[[nodiscard]] constexpr std::uint32_t FourCharCode(std::string_view code) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i)
    value = (value << 8) | (i < code.size() ? static_cast<std::uint8_t>(code[i]) : ' ');
  return value;
}
[[nodiscard]] std::string FourCharText(std::uint32_t code);

struct StarFreeRun {
  std::uint32_t offset = 0;
  std::uint32_t size = 0;
};

struct StarHeader {
  std::uint32_t version = kStarVersion;
  std::uint32_t fileEnd = 0;
  std::uint32_t freeBytes = 0;
  std::uint32_t freeBlockCount = 0;
  std::uint32_t indexCapacity = 0;
  std::uint32_t nextId = 0;
  std::uint32_t freeIdCount = 0;
  std::uint32_t freeIdHead = 0;
  std::uint32_t fileType = 0;
  std::uint32_t creator = 0;
  std::array<StarFreeRun, kStarMaxFreeRuns> freeRuns{};
};

// One open star file. Created by StarFile::Open, owned by the star library (or by a test).
class StarFile {
 public:
  // Creates or truncates `path` and writes an empty star file with room for `expectedRecords`
  // ids (at least 1, rounded up to a multiple of 128); the file is closed again.
  static ProgramCode Create(FileAccess& files, std::string_view path, std::int32_t expectedRecords,
                            std::uint32_t fileType, std::uint32_t creator);
  // Opens `path` (107 when it does not exist), checks the version (106) and then the size (101)
  // and the consistency of the header and free-block table (101), and loads the first index
  // pages. `serial` is the caller's fresh number for this file.
  static ProgramCode Open(FileAccess& files, std::string_view path, std::uint32_t serial,
                          std::unique_ptr<StarFile>& out);

  ~StarFile();  // closes the handle without flushing; StarLibrary flushes before

  StarFile(const StarFile&) = delete;
  StarFile& operator=(const StarFile&) = delete;

  [[nodiscard]] const std::string& path() const { return path_; }
  [[nodiscard]] std::uint32_t serial() const { return serial_; }
  [[nodiscard]] const StarHeader& header() const { return header_; }
  [[nodiscard]] bool headerDirty() const { return headerDirty_; }
  [[nodiscard]] bool readOnly() const { return readOnly_; }
  // First ids of the cached index pages, in slot order (for tests and `titlekit star info`).
  [[nodiscard]] std::vector<std::uint32_t> cachedPages() const;

  // The data length of record `id` (100 for an id not handed out or a block that does not
  // carry its id; 100 also for a block whose length runs past the file end).
  ProgramCode RecordLength(std::int32_t id, std::uint32_t& length);
  // The file offset of record `id`'s block, checked as RecordLength checks it.
  ProgramCode RecordOffset(std::int32_t id, std::uint32_t& offset);
  // The ids on the free-id chain, head first; 101 when the chain loops or leaves the ids.
  ProgramCode FreeIdChain(std::vector<std::uint32_t>& ids);
  // The data of record `id`, exactly its data length.
  ProgramCode ReadRecord(std::int32_t id, RecordBlock& out);
  // Writes new contents for record `id`: in place when the length is unchanged, else in a new
  // block (best fit) with the old one freed.
  ProgramCode RewriteRecord(std::int32_t id, std::span<const std::uint8_t> data);
  // Writes `data` as a new record and gives its id (from the free-id chain first).
  ProgramCode AppendRecord(std::span<const std::uint8_t> data, std::int32_t& newId);
  // Writes dirty index pages and the header, then flushes the file; nothing when clean.
  ProgramCode Flush();
  // Closes the handle (after Flush); further operations give 107.
  ProgramCode CloseHandle();

  // The resource cache of this file and its place in the parked pool; kept by StarLibrary.
  RecordCache cache;
  std::size_t cacheCapacity = 0;  // grows and shrinks in steps of 20 entries
  bool parked = false;

 private:
  // Only Open constructs a StarFile; the key keeps the constructor usable by make_unique.
  struct PassKey {
    explicit PassKey() = default;
  };

 public:
  StarFile(PassKey, FileAccess& files, FileHandle handle, std::string path, std::uint32_t serial);

 private:
  struct IndexPage {
    std::uint32_t firstId = 0;
    std::uint32_t stamp = 0;
    bool dirty = false;
    std::array<std::uint32_t, kStarIdsPerPage> entries{};
  };

  // Where a record's block lies and what its header says.
  struct BlockInfo {
    std::uint32_t offset = 0;
    std::uint32_t dataLength = 0;
    std::uint64_t blockLength = 0;
  };

  // Header image.
  ProgramCode loadHeader();
  [[nodiscard]] ProgramCode checkHeader(std::uint32_t fileSize) const;
  void storeHeader();
  [[nodiscard]] std::uint64_t recordAreaStart() const;

  // Index pages and entries.
  ProgramCode pageFor(std::uint32_t id, IndexPage*& page);
  ProgramCode loadPage(IndexPage& slot, std::uint32_t firstId);
  ProgramCode writePage(IndexPage& page);
  ProgramCode readEntry(std::int32_t id, std::uint32_t& value);
  ProgramCode writeEntry(std::int32_t id, std::uint32_t value);
  ProgramCode peekEntry(std::uint32_t id, std::uint32_t& value);

  // Records.
  ProgramCode readBlockHeader(std::uint64_t offset, std::uint32_t& id, std::uint32_t& length);
  ProgramCode locateRecord(std::int32_t id, BlockInfo& out);
  ProgramCode checkWholeBlock(const BlockInfo& block) const;
  ProgramCode writeBlock(std::uint32_t offset, std::uint32_t id,
                         std::span<const std::uint8_t> data);
  ProgramCode takeId(std::int32_t& id);
  ProgramCode checkFreeIdChain();
  ProgramCode readAt(std::uint64_t offset, std::span<std::uint8_t> bytes);
  ProgramCode writeAt(std::uint64_t offset, std::span<const std::uint8_t> bytes);
  [[nodiscard]] ProgramCode checkOpen() const;

  // Space management (star_space.cpp).
  ProgramCode allocate(std::uint64_t length, std::uint32_t& offset);
  ProgramCode release(std::uint32_t offset, std::uint64_t length);
  void removeRun(std::uint32_t index);
  ProgramCode compact();
  ProgramCode slideBlock(std::uint64_t from, std::uint64_t to, std::uint64_t limit,
                         std::uint64_t& length);
  ProgramCode growIndex();
  ProgramCode moveBlockAway(std::uint64_t from, std::uint64_t& length);
  ProgramCode copyDown(std::uint64_t from, std::uint64_t to, std::uint64_t length);
  ProgramCode copyUp(std::uint64_t from, std::uint64_t to, std::uint64_t length);

  FileAccess& files_;
  FileHandle handle_;
  std::string path_;
  std::uint32_t serial_;
  StarHeader header_;
  std::array<std::uint8_t, kStarHeaderSize> headerImage_{};  // reserved bytes kept as read
  std::uint32_t pageStamp_ = 0;
  std::vector<IndexPage> pages_;  // at most kStarCachedPages
  bool headerDirty_ = false;
  std::optional<std::pair<std::int32_t, BlockInfo>> located_;  // the last record located
  bool readOnly_ = false;
  bool freeIdChainChecked_ = false;
};

}  // namespace lw
