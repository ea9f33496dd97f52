// The resource cache over the open star files, and the files themselves: every reader of title
// data gets records here. A record is loaded into a block on first use, handed out while its
// holders keep it locked, kept after release so that the next use costs nothing, written back
// when changed, and dropped least-recently-used when memory runs short or a file holds too many.
// A file that its last user closes is parked, open and with its cache, so that opening it again
// by name costs nothing; at most four stay parked.
//
// One StarLibrary per runtime owns the open files, the parked pool, the memo of the last found
// record and the hooks; the stamp counter is the runtime's.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "media/stamp_counter.h"
#include "media/star_file.h"
#include "shell/error_report.h"
#include "shell/files/file_access.h"

namespace lw {

// Error lines of the star library's own fatal reports.
namespace errline {
inline constexpr std::int16_t kAddToParkedFile = 2600;
inline constexpr std::int16_t kFindOnParkedFile = 2601;
inline constexpr std::int16_t kParkParkedFile = 2602;
}  // namespace errline

class StarLibrary {
 public:
  static constexpr std::size_t kCacheStep = 20;        // entry table grows and shrinks by this
  static constexpr std::size_t kMaxIdleRecords = 128;  // a trim drops one beyond this
  static constexpr std::size_t kParkedFiles = 4;       // the parked pool's size, new one included
  static constexpr std::int64_t kMemoryHeadroom = 300000;
  static constexpr std::int64_t kMemoryBatch = 200000;
  static constexpr std::int64_t kRecordReserve = 20000;  // reserved beyond a record's length

  // Given the signed number of bytes still missing, frees what it can and lowers it.
  using MemoryHook = std::function<ProgramCode(std::int64_t& missing)>;
  // Told about a star file that is about to close for good.
  using CloseHook = std::function<ProgramCode(StarFile& file)>;

  StarLibrary(FileAccess& files, ErrorReporter& errors, StampCounter& stamps,
              std::function<std::uint64_t()> availableMemory);
  ~StarLibrary();  // closes every file for good, reporting nothing

  StarLibrary(const StarLibrary&) = delete;
  StarLibrary& operator=(const StarLibrary&) = delete;

  // Opening and closing.
  ProgramCode StarOpen(std::string_view path, StarFile*& out);
  // A parked file with the same path (ASCII case ignored) revived with its cache; else StarOpen.
  ProgramCode StarOpenShared(std::string_view path, StarFile*& out);
  // The user's close: the file joins the parked pool; the fifth parked file closes for good.
  void StarPark(StarFile& file);
  // Closes for good: the close hook, then every cached record (104 if one is locked; dirty ones
  // written back), then flush, close and unlink.
  ProgramCode StarClose(StarFile& file);
  // Closes every file for good and empties the parked pool.
  ProgramCode StarCloseAll();

  [[nodiscard]] bool IsParked(std::string_view path) const;
  // An open, unparked file with this serial number, or null.
  [[nodiscard]] StarFile* FindBySerial(std::uint32_t serial) const;
  // The open files, newest first (parked ones included), and the parked pool, newest first.
  [[nodiscard]] const std::vector<StarFile*>& openFiles() const { return openList_; }
  [[nodiscard]] const std::vector<StarFile*>& parkedFiles() const { return parkedList_; }

  // Records. Every get is paired with one release.
  ProgramCode StarGetResource(StarFile& file, std::int32_t id, RecordBlock*& out);
  ProgramCode StarReleaseResource(StarFile& file, std::int32_t id);
  // The locked record's block was changed in place by its holder: it becomes dirty (unless the
  // file is read-only) and its use stamp is renewed.
  ProgramCode StarReplaceResource(StarFile& file, std::int32_t id);
  // As above, with new contents for the record's block.
  ProgramCode StarReplaceResource(StarFile& file, std::int32_t id, RecordBlock contents);
  // The decoded form kept with a held record (got and not yet released), or null when none is.
  [[nodiscard]] const DecodedForm* StarDecodedForm(StarFile& file, std::int32_t id);
  // Keeps `form` with a held record, in place of any form kept before; it stays until the
  // record is replaced or leaves the cache.
  ProgramCode StarKeepDecodedForm(StarFile& file, std::int32_t id,
                                  std::unique_ptr<const DecodedForm> form);
  // Appends a record (not cached) and gives its id.
  ProgramCode StarAddResource(StarFile& file, std::span<const std::uint8_t> data,
                              std::int32_t& newId);

  // The flush point: each file in list order is trimmed (dirty idle records written back, the
  // least recently used idle one dropped beyond 128) and flushed. The first error stops it.
  ProgramCode StarFlushAll();
  // Whether `bytes` more can be held with 300000 bytes to spare; when not, drops idle records
  // (least recently used first, over all files) and asks the memory hook, to 200000 bytes more
  // than needed. A write-back failure or the hook's failure code comes back in `code`.
  bool ReserveMemory(std::int64_t bytes, ProgramCode* code = nullptr);

  void setMemoryHook(MemoryHook hook) { memoryHook_ = std::move(hook); }
  void setCloseHook(CloseHook hook) { closeHook_ = std::move(hook); }

  [[nodiscard]] StampCounter& stamps() { return stamps_; }
  [[nodiscard]] FileAccess& files() { return files_; }

 private:
  // A record with no holder: the only kind that may be written back at will and dropped.
  [[nodiscard]] static bool IsIdle(const CachedRecord& entry) { return entry.lockCount == 0; }

  // The index of record `id` in the file's cache, or nothing; reports a find on a parked file.
  [[nodiscard]] std::optional<std::size_t> FindEntry(StarFile& file, std::int32_t id);
  // Writes a dirty record back to its file and marks it clean.
  static ProgramCode WriteBack(StarFile& file, CachedRecord& entry);
  // Both forms of StarReplaceResource; `contents` is null when the block changed in place.
  ProgramCode ReplaceEntry(StarFile& file, std::int32_t id, RecordBlock* contents);
  // Drops entry `index` (the last entry takes its slot) and shrinks the table by a step when
  // it has grown too roomy.
  static void RemoveEntry(StarFile& file, std::size_t index);
  // Writes back the file's dirty idle records and drops its least recently used idle record
  // when more than 128 are idle.
  static ProgramCode TrimFile(StarFile& file);
  // Drops idle records, least recently used first over all open files, until `missing` is no
  // longer above 0 or none is left.
  ProgramCode DropIdleRecords(std::int64_t& missing);
  // Takes the file out of the parked pool, if it is there.
  void UnlinkParked(StarFile& file);
  // Takes the file out of the open list and frees it.
  void Forget(StarFile& file);
  // The shutdown close: everything written and closed as far as it goes, failures ignored.
  void CloseQuietly(StarFile& file);

  FileAccess& files_;
  ErrorReporter& errors_;
  StampCounter& stamps_;
  std::function<std::uint64_t()> availableMemory_;
  std::vector<std::unique_ptr<StarFile>> owned_;
  std::vector<StarFile*> openList_;    // newest first
  std::vector<StarFile*> parkedList_;  // most recently parked first
  struct Memo {
    std::int32_t id = -1;
    std::size_t index = 0;
  } memo_;
  MemoryHook memoryHook_;
  CloseHook closeHook_;
};

// The decoded form of type T kept with held record `id` (whose bytes are `block`); when none of
// that type is kept, decode(block) makes one (a std::unique_ptr<T>, null when the bytes do not
// decode), which is kept. Null when it does not decode.
template <typename T, typename Decode>
const T* KeptDecodedForm(StarLibrary& library, StarFile& file, std::int32_t id,
                         const RecordBlock& block, Decode&& decode) {
  if (const auto* kept = dynamic_cast<const T*>(library.StarDecodedForm(file, id))) return kept;
  std::unique_ptr<T> made = decode(block);
  const T* form = made.get();
  if (form != nullptr) (void)library.StarKeepDecodedForm(file, id, std::move(made));
  return form;
}

}  // namespace lw
