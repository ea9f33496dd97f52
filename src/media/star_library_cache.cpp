// The resource cache inside the open star files: records got and released by their holders,
// written back at flush points, and dropped least recently used when a file holds too many idle
// records or memory runs short. The rule that runs through all of it: a locked record is never
// written back behind its holder's back, moved or dropped.
#include <algorithm>
#include <limits>
#include <utility>

#include "media/star_library.h"

namespace lw {

namespace {

constexpr std::int16_t kMaxLockCount = std::numeric_limits<std::int16_t>::max();

// Byte counts beyond this are taken as this, so that the budget arithmetic cannot overflow.
constexpr std::int64_t kLargestBudget = std::numeric_limits<std::int64_t>::max() / 4;

// A request or a memory figure limited to 0 .. kLargestBudget.
[[nodiscard]] std::int64_t BudgetBytes(std::int64_t bytes) {
  return std::clamp<std::int64_t>(bytes, 0, kLargestBudget);
}
[[nodiscard]] std::int64_t BudgetBytes(std::uint64_t bytes) {
  return static_cast<std::int64_t>(std::min(bytes, static_cast<std::uint64_t>(kLargestBudget)));
}

}  // namespace

std::optional<std::size_t> StarLibrary::FindEntry(StarFile& file, std::int32_t id) {
  // Parked files keep their records only for the one who revives them; the find goes on, so that
  // a caller who acknowledges the report keeps balanced lock counts.
  if (file.parked) errors_.ReportError(CodeNumber(ProgramCode::kLogic), errline::kFindOnParkedFile);
  const RecordCache& cache = file.cache;
  // The memo may point into another file's table; it counts only when the entry agrees.
  if (memo_.id == id && memo_.index < cache.size() && cache[memo_.index].id == id)
    return memo_.index;
  const std::optional<std::size_t> index = cache.find(id);
  if (index) memo_ = {id, *index};
  return index;
}

ProgramCode StarLibrary::WriteBack(StarFile& file, CachedRecord& entry) {
  if (!entry.dirty) return ProgramCode::kOk;
  LW_TRY_CODE(file.RewriteRecord(entry.id, *entry.block));
  entry.dirty = false;
  return ProgramCode::kOk;
}

void StarLibrary::RemoveEntry(StarFile& file, std::size_t index) {
  RecordCache& cache = file.cache;
  cache.remove(index);
  if (cache.size() + kCacheStep < file.cacheCapacity) file.cacheCapacity -= kCacheStep;
}

ProgramCode StarLibrary::StarGetResource(StarFile& file, std::int32_t id, RecordBlock*& out) {
  out = nullptr;
  if (const std::optional<std::size_t> index = FindEntry(file, id)) {
    CachedRecord& entry = file.cache[*index];
    if (entry.lockCount == kMaxLockCount) return ProgramCode::kPackUseCount;
    ++entry.lockCount;
    entry.useStamp = stamps_.next();
    out = entry.block.get();
    return ProgramCode::kOk;
  }

  std::uint32_t length = 0;
  LW_TRY_CODE(file.RecordLength(id, length));
  if (!ReserveMemory(static_cast<std::int64_t>(length) + kRecordReserve))
    return ProgramCode::kMemory;
  auto block = std::make_unique<RecordBlock>();
  LW_TRY_CODE(file.ReadRecord(id, *block));

  if (file.cache.size() + 1 > file.cacheCapacity) file.cacheCapacity += kCacheStep;
  out = block.get();
  const std::size_t slot = file.cache.add(CachedRecord{.id = id,
                                                       .lockCount = 1,
                                                       .dirty = false,
                                                       .block = std::move(block),
                                                       .useStamp = stamps_.next(),
                                                       .decoded = nullptr});
  memo_ = {id, slot};
  return ProgramCode::kOk;
}

ProgramCode StarLibrary::StarReleaseResource(StarFile& file, std::int32_t id) {
  const std::optional<std::size_t> index = FindEntry(file, id);
  if (!index) return ProgramCode::kHandleCache;
  CachedRecord& entry = file.cache[*index];
  // The count stays at 0 rather than going negative, so the record is still idle afterwards.
  if (entry.lockCount < 1) return ProgramCode::kPackUseCount;
  --entry.lockCount;
  return ProgramCode::kOk;
}

ProgramCode StarLibrary::StarReplaceResource(StarFile& file, std::int32_t id) {
  return ReplaceEntry(file, id, nullptr);
}

ProgramCode StarLibrary::StarReplaceResource(StarFile& file, std::int32_t id,
                                             RecordBlock contents) {
  return ReplaceEntry(file, id, &contents);
}

ProgramCode StarLibrary::ReplaceEntry(StarFile& file, std::int32_t id, RecordBlock* contents) {
  const std::optional<std::size_t> index = FindEntry(file, id);
  if (!index) return ProgramCode::kHandleCache;
  CachedRecord& entry = file.cache[*index];
  if (entry.lockCount < 1) return ProgramCode::kPackUseCount;
  // New contents move into the block the holders already point at.
  if (contents != nullptr) *entry.block = std::move(*contents);
  entry.decoded.reset();
  if (!file.readOnly()) entry.dirty = true;
  entry.useStamp = stamps_.next();
  return ProgramCode::kOk;
}

const DecodedForm* StarLibrary::StarDecodedForm(StarFile& file, std::int32_t id) {
  const std::optional<std::size_t> index = FindEntry(file, id);
  return index ? file.cache[*index].decoded.get() : nullptr;
}

ProgramCode StarLibrary::StarKeepDecodedForm(StarFile& file, std::int32_t id,
                                             std::unique_ptr<const DecodedForm> form) {
  const std::optional<std::size_t> index = FindEntry(file, id);
  if (!index) return ProgramCode::kHandleCache;
  CachedRecord& entry = file.cache[*index];
  if (entry.lockCount < 1) return ProgramCode::kPackUseCount;
  entry.decoded = std::move(form);
  return ProgramCode::kOk;
}

ProgramCode StarLibrary::StarAddResource(StarFile& file, std::span<const std::uint8_t> data,
                                         std::int32_t& newId) {
  newId = -1;
  if (file.parked) {
    errors_.ReportError(CodeNumber(ProgramCode::kLogic), errline::kAddToParkedFile);
    return ProgramCode::kLogic;
  }
  return file.AppendRecord(data, newId);
}

ProgramCode StarLibrary::TrimFile(StarFile& file) {
  std::size_t idle = 0;
  std::optional<std::size_t> oldest;
  for (std::size_t index = 0; index < file.cache.size(); ++index) {
    CachedRecord& entry = file.cache[index];
    if (!IsIdle(entry)) continue;
    ++idle;
    if (!oldest || entry.useStamp < file.cache[*oldest].useStamp) oldest = index;
    LW_TRY_CODE(WriteBack(file, entry));
  }
  if (idle > kMaxIdleRecords) RemoveEntry(file, *oldest);
  return ProgramCode::kOk;
}

ProgramCode StarLibrary::StarFlushAll() {
  for (StarFile* file : openList_) {
    LW_TRY_CODE(TrimFile(*file));
    LW_TRY_CODE(file->Flush());
  }
  return ProgramCode::kOk;
}

ProgramCode StarLibrary::DropIdleRecords(std::int64_t& missing) {
  while (missing > 0) {
    StarFile* oldestFile = nullptr;
    std::size_t oldestIndex = 0;
    for (StarFile* file : openList_) {
      for (std::size_t index = 0; index < file->cache.size(); ++index) {
        const CachedRecord& entry = file->cache[index];
        if (!IsIdle(entry)) continue;
        if (oldestFile == nullptr || entry.useStamp < oldestFile->cache[oldestIndex].useStamp) {
          oldestFile = file;
          oldestIndex = index;
        }
      }
    }
    if (oldestFile == nullptr) break;
    CachedRecord& entry = oldestFile->cache[oldestIndex];
    LW_TRY_CODE(WriteBack(*oldestFile, entry));
    missing -= static_cast<std::int64_t>(entry.block->size());
    RemoveEntry(*oldestFile, oldestIndex);
  }
  return ProgramCode::kOk;
}

bool StarLibrary::ReserveMemory(std::int64_t bytes, ProgramCode* code) {
  if (code != nullptr) *code = ProgramCode::kOk;
  std::int64_t missing = BudgetBytes(bytes) - BudgetBytes(availableMemory_()) + kMemoryHeadroom;
  if (missing < 0) return true;
  // Once short, free a batch beyond the need so that the next loads do not come back here.
  missing += kMemoryBatch;
  ProgramCode failure = DropIdleRecords(missing);
  if (!Failed(failure) && memoryHook_) failure = memoryHook_(missing);
  if (Failed(failure)) {
    if (code != nullptr) *code = failure;
    return false;
  }
  return missing < 0;
}

}  // namespace lw
