// Space management of a star file: best-fit allocation in 64-byte granules, freeing with
// coalescing, compaction when the free-block table is full, growth of the index by one page,
// and the in-file block copies that compaction and growth need.
#include <algorithm>
#include <vector>

#include "media/star_file.h"
#include "media/star_space.h"

namespace lw {

// Takes `length` bytes: the smallest free run that holds them (the lowest on ties), exact fits
// removed and others shortened from the front; else the file end grows.
ProgramCode StarFile::allocate(std::uint64_t length, std::uint32_t& offset) {
  std::uint32_t best = header_.freeBlockCount;
  for (std::uint32_t i = 0; i < header_.freeBlockCount; ++i) {
    const StarFreeRun& run = header_.freeRuns[i];
    if (run.size >= length &&
        (best == header_.freeBlockCount || run.size < header_.freeRuns[best].size))
      best = i;
  }
  if (best == header_.freeBlockCount) {
    if (header_.fileEnd + length > kStarMaxFileEnd) return ProgramCode::kLogic;
    offset = header_.fileEnd;
    header_.fileEnd += static_cast<std::uint32_t>(length);
    return ProgramCode::kOk;
  }
  StarFreeRun& run = header_.freeRuns[best];
  offset = run.offset;
  header_.freeBytes -= static_cast<std::uint32_t>(length);
  if (run.size == length) {
    removeRun(best);
  } else {
    run.offset += static_cast<std::uint32_t>(length);
    run.size -= static_cast<std::uint32_t>(length);
  }
  return ProgramCode::kOk;
}

// Puts the block at `offset` into the free-block table in offset order and merges runs that
// touch. A block that overlaps a free run is not a block of this file (100).
ProgramCode StarFile::release(std::uint32_t offset, std::uint64_t length) {
  auto& runs = header_.freeRuns;
  std::uint32_t& count = header_.freeBlockCount;
  std::uint32_t at = 0;
  while (at < count && runs[at].offset < offset) ++at;
  if (at > 0 && std::uint64_t{runs[at - 1].offset} + runs[at - 1].size > offset)
    return ProgramCode::kUndefined;
  if (at < count && offset + length > runs[at].offset) return ProgramCode::kUndefined;
  // Compaction runs before every operation that frees, so the table always has room here.
  if (count >= kStarMaxFreeRuns) return ProgramCode::kLogic;
  std::copy_backward(runs.begin() + at, runs.begin() + count, runs.begin() + count + 1);
  runs[at] = {offset, static_cast<std::uint32_t>(length)};
  ++count;
  header_.freeBytes += static_cast<std::uint32_t>(length);
  for (std::uint32_t i = 0; i + 1 < count;) {
    if (std::uint64_t{runs[i].offset} + runs[i].size >= runs[i + 1].offset) {
      runs[i].size += runs[i + 1].size;
      removeRun(i + 1);
    } else {
      ++i;
    }
  }
  return ProgramCode::kOk;
}

// Removes table entry `index`; the free-bytes total is the caller's business.
void StarFile::removeRun(std::uint32_t index) {
  auto& runs = header_.freeRuns;
  std::copy(runs.begin() + index + 1, runs.begin() + header_.freeBlockCount, runs.begin() + index);
  --header_.freeBlockCount;
  runs[header_.freeBlockCount] = StarFreeRun{};
}

// Merges the two neighbouring runs with the fewest record bytes between them by sliding those
// records down over the lower run.
ProgramCode StarFile::compact() {
  auto& runs = header_.freeRuns;
  std::uint32_t pair = 0;
  std::uint64_t fewest = kStarMaxFileEnd + 1;
  for (std::uint32_t i = 0; i + 1 < header_.freeBlockCount; ++i) {
    const std::uint64_t between =
        runs[i + 1].offset - (std::uint64_t{runs[i].offset} + runs[i].size);
    if (between < fewest) {
      fewest = between;
      pair = i;
    }
  }
  const StarFreeRun low = runs[pair];
  const StarFreeRun high = runs[pair + 1];
  std::uint64_t read = std::uint64_t{low.offset} + low.size;
  std::uint64_t write = low.offset;
  while (read < high.offset) {
    std::uint64_t length = 0;
    LW_TRY_CODE(slideBlock(read, write, high.offset, length));
    read += length;
    write += length;
  }
  runs[pair + 1] = {high.offset - low.size, high.size + low.size};
  removeRun(pair);
  return ProgramCode::kOk;
}

// Moves the record block at `from` down to `to`, then points its index entry there. The block
// must end by `limit` and be the one its id's entry names (100 otherwise).
ProgramCode StarFile::slideBlock(std::uint64_t from, std::uint64_t to, std::uint64_t limit,
                                 std::uint64_t& length) {
  std::uint32_t id = 0;
  std::uint32_t dataLength = 0;
  LW_TRY_CODE(readBlockHeader(from, id, dataLength));
  length = StarBlockLength64(dataLength);
  if (from + length > limit) return ProgramCode::kUndefined;
  std::uint32_t entry = 0;
  LW_TRY_CODE(readEntry(static_cast<std::int32_t>(id), entry));
  if (entry != from) return ProgramCode::kUndefined;
  LW_TRY_CODE(copyDown(from, to, length));
  return writeEntry(static_cast<std::int32_t>(id), static_cast<std::uint32_t>(to));
}

// Makes room for one more index page: the 512 bytes behind the index are cleared of free runs
// (dropped from the table) and records (moved elsewhere), and whatever was cleared beyond the
// page is freed again. The new page's bytes are left as they were.
ProgramCode StarFile::growIndex() {
  const std::uint64_t start = recordAreaStart();
  if (start + kStarPageBytes > kStarMaxFileEnd) return ProgramCode::kLogic;
  std::uint64_t at = start;
  std::uint64_t cleared = 0;
  while (cleared < kStarPageBytes) {
    std::uint64_t length = 0;
    if (header_.freeBlockCount != 0 && header_.freeRuns[0].offset == at) {
      length = header_.freeRuns[0].size;
      header_.freeBytes -= header_.freeRuns[0].size;
      removeRun(0);
    } else {
      LW_TRY_CODE(moveBlockAway(at, length));
    }
    at += length;
    cleared += length;
  }
  header_.indexCapacity += kStarIdsPerPage;
  if (cleared > kStarPageBytes) {
    const std::uint64_t excess = cleared - kStarPageBytes;
    LW_TRY_CODE(release(static_cast<std::uint32_t>(at - excess), excess));
  }
  return ProgramCode::kOk;
}

// Moves the record block at `from` to newly allocated space above it and points its index
// entry there. Only a full index with too few bytes behind it has no block here (101).
ProgramCode StarFile::moveBlockAway(std::uint64_t from, std::uint64_t& length) {
  if (from + kStarRecordHeaderSize > header_.fileEnd) return ProgramCode::kBadStarSize;
  std::uint32_t id = 0;
  std::uint32_t dataLength = 0;
  LW_TRY_CODE(readBlockHeader(from, id, dataLength));
  length = StarBlockLength64(dataLength);
  if (from + length > header_.fileEnd) return ProgramCode::kUndefined;
  if (header_.freeBlockCount != 0 && from + length > header_.freeRuns[0].offset)
    return ProgramCode::kUndefined;
  std::uint32_t entry = 0;
  LW_TRY_CODE(readEntry(static_cast<std::int32_t>(id), entry));
  if (entry != from) return ProgramCode::kUndefined;
  std::uint32_t to = 0;
  LW_TRY_CODE(allocate(length, to));
  LW_TRY_CODE(copyUp(from, to, length));
  return writeEntry(static_cast<std::int32_t>(id), to);
}

// Copies `length` bytes to a lower offset, front to back, so that overlapping ranges work.
ProgramCode StarFile::copyDown(std::uint64_t from, std::uint64_t to, std::uint64_t length) {
  if (to >= from) return ProgramCode::kMemory;
  std::vector<std::uint8_t> buffer(std::min(length, kStarCopyBufferBytes));
  for (std::uint64_t done = 0; done < length;) {
    const auto piece =
        std::span(buffer).first(std::min<std::uint64_t>(buffer.size(), length - done));
    LW_TRY_CODE(readAt(from + done, piece));
    LW_TRY_CODE(writeAt(to + done, piece));
    done += piece.size();
  }
  return ProgramCode::kOk;
}

// Copies `length` bytes to a higher offset, back to front, so that overlapping ranges work.
ProgramCode StarFile::copyUp(std::uint64_t from, std::uint64_t to, std::uint64_t length) {
  if (to <= from) return ProgramCode::kMemory;
  std::vector<std::uint8_t> buffer(std::min(length, kStarCopyBufferBytes));
  for (std::uint64_t left = length; left > 0;) {
    const auto piece = std::span(buffer).first(std::min<std::uint64_t>(buffer.size(), left));
    left -= piece.size();
    LW_TRY_CODE(readAt(from + left, piece));
    LW_TRY_CODE(writeAt(to + left, piece));
  }
  return ProgramCode::kOk;
}

}  // namespace lw
