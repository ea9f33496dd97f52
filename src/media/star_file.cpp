#include "media/star_file.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "common/byte_io.h"
#include "media/star_space.h"

namespace lw {
namespace {

constexpr std::size_t kHeaderFieldsSize = 40;  // version .. creator
constexpr std::size_t kFreeTableOffset = 512;  // (offset, size) pairs of the free-block table
constexpr std::size_t kVersionSize = 4;
constexpr std::size_t kIndexWriteChunk = 64 * kStarPageBytes;  // zeros per write when creating
constexpr std::uint32_t kPageIdMask = ~(kStarIdsPerPage - 1);
constexpr std::size_t kCodeChars = 4;  // characters of a four-character code
constexpr std::uint32_t kByteMask = 0xFF;

// The header fields and the free-block table of a header image (the reserved bytes are left
// out; the caller keeps them).
StarHeader DecodeHeader(std::span<const std::uint8_t> image) {
  ByteReader fields(image.first(kHeaderFieldsSize));
  StarHeader header;
  header.version = fields.u32();
  header.fileEnd = fields.u32();
  header.freeBytes = fields.u32();
  header.freeBlockCount = fields.u32();
  header.indexCapacity = fields.u32();
  header.nextId = fields.u32();
  header.freeIdCount = fields.u32();
  header.freeIdHead = fields.u32();
  header.fileType = fields.u32();
  header.creator = fields.u32();
  ByteReader table(image.subspan(kFreeTableOffset));
  for (StarFreeRun& run : header.freeRuns) {
    run.offset = table.u32();
    run.size = table.u32();
  }
  return header;
}

// Writes the header fields and the free-block table into `image`; table entries beyond the
// count become zeros. The reserved bytes between them stay as they are.
void EncodeHeader(const StarHeader& header, std::span<std::uint8_t, kStarHeaderSize> image) {
  ByteWriter out;
  for (std::uint32_t field :
       {header.version, header.fileEnd, header.freeBytes, header.freeBlockCount,
        header.indexCapacity, header.nextId, header.freeIdCount, header.freeIdHead, header.fileType,
        header.creator}) {
    out.u32(field);
  }
  std::copy(out.data().begin(), out.data().end(), image.begin());
  ByteWriter table;
  for (std::uint32_t i = 0; i < kStarMaxFreeRuns; ++i) {
    const bool used = i < header.freeBlockCount;
    table.u32(used ? header.freeRuns[i].offset : 0);
    table.u32(used ? header.freeRuns[i].size : 0);
  }
  std::copy(table.data().begin(), table.data().end(), image.begin() + kFreeTableOffset);
}

// Writes the header and an index of zeros to a newly created file.
ProgramCode WriteEmptyFile(FileAccess& files, FileHandle handle,
                           std::span<const std::uint8_t> header, std::uint64_t indexBytes) {
  LW_TRY_CODE(files.FileSeek(handle, 0));
  LW_TRY_CODE(files.FileWrite(handle, header));
  const std::vector<std::uint8_t> zeros(std::min<std::uint64_t>(indexBytes, kIndexWriteChunk), 0);
  for (std::uint64_t done = 0; done < indexBytes;) {
    const std::size_t piece =
        static_cast<std::size_t>(std::min<std::uint64_t>(zeros.size(), indexBytes - done));
    LW_TRY_CODE(files.FileWrite(handle, std::span(zeros).first(piece)));
    done += piece;
  }
  return ProgramCode::kOk;
}

}  // namespace

std::string FourCharText(std::uint32_t code) {
  std::string text(kCodeChars, ' ');
  for (std::size_t i = 0; i < kCodeChars; ++i)
    text[i] = static_cast<char>((code >> (8 * (kCodeChars - 1 - i))) & kByteMask);
  return text;
}

ProgramCode StarFile::Create(FileAccess& files, std::string_view path, std::int32_t expectedRecords,
                             std::uint32_t fileType, std::uint32_t creator) {
  const std::uint64_t wanted = static_cast<std::uint64_t>(std::max(expectedRecords, 1));
  const std::uint64_t capacity =
      kStarIdsPerPage * ((wanted + kStarIdsPerPage - 1) / kStarIdsPerPage);
  const std::uint64_t fileEnd = kStarHeaderSize + kStarIndexEntrySize * capacity;
  if (fileEnd > kStarMaxFileEnd) return ProgramCode::kLogic;

  StarHeader header;
  header.fileEnd = static_cast<std::uint32_t>(fileEnd);
  header.indexCapacity = static_cast<std::uint32_t>(capacity);
  header.fileType = fileType;
  header.creator = creator;
  std::array<std::uint8_t, kStarHeaderSize> image{};
  EncodeHeader(header, image);

  FileHandle handle = kNoFile;
  LW_TRY_CODE(files.FileCreate(path, handle));
  const ProgramCode written = WriteEmptyFile(files, handle, image, fileEnd - kStarHeaderSize);
  const ProgramCode closed = files.FileClose(handle);
  return Failed(written) ? written : closed;
}

ProgramCode StarFile::Open(FileAccess& files, std::string_view path, std::uint32_t serial,
                           std::unique_ptr<StarFile>& out) {
  out.reset();
  LW_TRY_CODE(files.FileExists(path));
  FileHandle handle = kNoFile;
  LW_TRY_CODE(files.FileOpen(path, handle));
  auto file = std::make_unique<StarFile>(PassKey{}, files, handle, std::string(path), serial);
  LW_TRY_CODE(file->loadHeader());
  const std::uint32_t pages =
      std::min(file->header_.indexCapacity / kStarIdsPerPage, kStarCachedPages);
  for (std::uint32_t page = 0; page < pages; ++page) {
    IndexPage* slot = nullptr;
    LW_TRY_CODE(file->pageFor(page * kStarIdsPerPage, slot));
  }
  file->headerDirty_ = false;
  out = std::move(file);
  return ProgramCode::kOk;
}

StarFile::StarFile(PassKey, FileAccess& files, FileHandle handle, std::string path,
                   std::uint32_t serial)
    : files_(files), handle_(handle), path_(std::move(path)), serial_(serial) {
  pages_.reserve(kStarCachedPages);
}

StarFile::~StarFile() {
  if (handle_ != kNoFile) (void)files_.FileClose(handle_);
}

std::vector<std::uint32_t> StarFile::cachedPages() const {
  std::vector<std::uint32_t> firstIds;
  for (const IndexPage& page : pages_) firstIds.push_back(page.firstId);
  return firstIds;
}

// ---- Header ---------------------------------------------------------------------------------

// Reads the header image and checks it against the file: the version first, then the rest.
ProgramCode StarFile::loadHeader() {
  std::uint32_t size = 0;
  LW_TRY_CODE(files_.FileSize(handle_, size));
  // A short file is read only as far as it goes, so that no disc box comes up for it.
  const std::size_t available = std::min<std::size_t>(size, kStarHeaderSize);
  LW_TRY_CODE(readAt(0, std::span(headerImage_).first(available)));
  header_ = DecodeHeader(headerImage_);
  if (available < kVersionSize) return ProgramCode::kBadStarSize;
  if (header_.version != kStarVersion) return ProgramCode::kBadStarVersion;
  LW_TRY_CODE(checkHeader(size));
  std::fill(header_.freeRuns.begin() + header_.freeBlockCount, header_.freeRuns.end(),
            StarFreeRun{});
  // A field above the runs' sum comes from writers that drop runs in index growth without
  // lowering it; the runs are what is free, and the next flush writes their sum.
  header_.freeBytes = 0;
  for (std::uint32_t i = 0; i < header_.freeBlockCount; ++i)
    header_.freeBytes += header_.freeRuns[i].size;
  return ProgramCode::kOk;
}

// 101 unless the header agrees with a file of `fileSize` bytes (the rules in the header file).
ProgramCode StarFile::checkHeader(std::uint32_t fileSize) const {
  constexpr ProgramCode kBad = ProgramCode::kBadStarSize;
  const StarHeader& h = header_;
  if (fileSize < kStarHeaderSize || h.fileEnd != fileSize) return kBad;
  if (h.indexCapacity % kStarIdsPerPage != 0 || recordAreaStart() > h.fileEnd) return kBad;
  if (h.nextId > h.indexCapacity || h.freeIdCount > h.nextId) return kBad;
  if (h.freeBlockCount > kStarMaxFreeRuns) return kBad;
  std::uint64_t floor = recordAreaStart();  // the lowest offset the next run may have
  std::uint64_t sum = 0;
  for (std::uint32_t i = 0; i < h.freeBlockCount; ++i) {
    const StarFreeRun& run = h.freeRuns[i];
    const std::uint64_t end = std::uint64_t{run.offset} + run.size;
    if (run.size == 0 || run.size % kStarBlockUnit != 0) return kBad;
    if (run.offset < floor || end > h.fileEnd) return kBad;
    floor = end;
    sum += run.size;
  }
  return sum <= h.freeBytes ? ProgramCode::kOk : kBad;
}

void StarFile::storeHeader() { EncodeHeader(header_, headerImage_); }

std::uint64_t StarFile::recordAreaStart() const {
  return kStarHeaderSize + kStarIndexEntrySize * std::uint64_t{header_.indexCapacity};
}

// ---- Index pages ----------------------------------------------------------------------------

// The cached page that holds `id`, loaded into a free slot or over the least recently used one
// (written back first when dirty). Every use renews the page's stamp.
ProgramCode StarFile::pageFor(std::uint32_t id, IndexPage*& page) {
  const std::uint32_t firstId = id & kPageIdMask;
  for (IndexPage& slot : pages_) {
    if (slot.firstId == firstId) {
      slot.stamp = pageStamp_++;
      page = &slot;
      return ProgramCode::kOk;
    }
  }
  if (pages_.size() < kStarCachedPages) {
    IndexPage fresh;
    LW_TRY_CODE(loadPage(fresh, firstId));
    pages_.push_back(fresh);
    page = &pages_.back();
    return ProgramCode::kOk;
  }
  IndexPage& oldest =
      *std::min_element(pages_.begin(), pages_.end(),
                        [](const IndexPage& a, const IndexPage& b) { return a.stamp < b.stamp; });
  if (oldest.dirty) LW_TRY_CODE(writePage(oldest));
  LW_TRY_CODE(loadPage(oldest, firstId));
  page = &oldest;
  return ProgramCode::kOk;
}

// Reads the page of ids from `firstId` into `slot`; on failure the slot is left as it was.
ProgramCode StarFile::loadPage(IndexPage& slot, std::uint32_t firstId) {
  std::array<std::uint8_t, kStarPageBytes> bytes{};
  const std::uint32_t stamp = pageStamp_++;
  LW_TRY_CODE(readAt(kStarHeaderSize + kStarIndexEntrySize * std::uint64_t{firstId}, bytes));
  ByteReader in(bytes);
  for (std::uint32_t& entry : slot.entries) entry = in.u32();
  slot.firstId = firstId;
  slot.stamp = stamp;
  slot.dirty = false;
  return ProgramCode::kOk;
}

ProgramCode StarFile::writePage(IndexPage& page) {
  ByteWriter out;
  for (std::uint32_t entry : page.entries) out.u32(entry);
  LW_TRY_CODE(
      writeAt(kStarHeaderSize + kStarIndexEntrySize * std::uint64_t{page.firstId}, out.data()));
  page.dirty = false;
  return ProgramCode::kOk;
}

ProgramCode StarFile::readEntry(std::int32_t id, std::uint32_t& value) {
  if (id < 0 || static_cast<std::uint32_t>(id) >= header_.nextId) return ProgramCode::kUndefined;
  IndexPage* page = nullptr;
  LW_TRY_CODE(pageFor(static_cast<std::uint32_t>(id), page));
  value = page->entries[static_cast<std::uint32_t>(id) - page->firstId];
  return ProgramCode::kOk;
}

ProgramCode StarFile::writeEntry(std::int32_t id, std::uint32_t value) {
  located_.reset();
  if (id < 0 || static_cast<std::uint32_t>(id) >= header_.nextId) return ProgramCode::kUndefined;
  IndexPage* page = nullptr;
  LW_TRY_CODE(pageFor(static_cast<std::uint32_t>(id), page));
  page->entries[static_cast<std::uint32_t>(id) - page->firstId] = value;
  page->dirty = true;
  return ProgramCode::kOk;
}

// The entry of an id below next id, without touching the page cache's order: from a cached
// page when there is one, else from the file.
ProgramCode StarFile::peekEntry(std::uint32_t id, std::uint32_t& value) {
  for (const IndexPage& page : pages_) {
    if (page.firstId == (id & kPageIdMask)) {
      value = page.entries[id - page.firstId];
      return ProgramCode::kOk;
    }
  }
  std::array<std::uint8_t, kStarIndexEntrySize> bytes{};
  LW_TRY_CODE(readAt(kStarHeaderSize + kStarIndexEntrySize * std::uint64_t{id}, bytes));
  value = LoadU32(bytes.data());
  return ProgramCode::kOk;
}

// ---- Records --------------------------------------------------------------------------------

// Reads the 8-byte block header at `offset`, which must lie inside the record area.
ProgramCode StarFile::readBlockHeader(std::uint64_t offset, std::uint32_t& id,
                                      std::uint32_t& length) {
  if (offset < recordAreaStart() || offset + kStarRecordHeaderSize > header_.fileEnd)
    return ProgramCode::kUndefined;
  std::array<std::uint8_t, kStarRecordHeaderSize> bytes{};
  LW_TRY_CODE(readAt(offset, bytes));
  ByteReader in(bytes);
  id = in.u32();
  length = in.u32();
  return ProgramCode::kOk;
}

// Finds record `id`'s block and checks that it carries the id and that its data lies inside
// the file.
ProgramCode StarFile::locateRecord(std::int32_t id, BlockInfo& out) {
  // A load asks for the length and then the data: the second lookup reuses the first.
  if (located_ && located_->first == id) {
    out = located_->second;
    return ProgramCode::kOk;
  }
  std::uint32_t offset = 0;
  LW_TRY_CODE(readEntry(id, offset));
  std::uint32_t storedId = 0;
  std::uint32_t length = 0;
  LW_TRY_CODE(readBlockHeader(offset, storedId, length));
  if (storedId != static_cast<std::uint32_t>(id)) return ProgramCode::kUndefined;
  if (std::uint64_t{offset} + kStarRecordHeaderSize + length > header_.fileEnd)
    return ProgramCode::kUndefined;
  out = {offset, length, StarBlockLength64(length)};
  located_.emplace(id, out);
  return ProgramCode::kOk;
}

// 100 unless the block's padding, too, ends inside the file (before it is freed or moved).
ProgramCode StarFile::checkWholeBlock(const BlockInfo& block) const {
  return block.offset + block.blockLength <= header_.fileEnd ? ProgramCode::kOk
                                                             : ProgramCode::kUndefined;
}

// Writes a block at `offset`: header, data, zero padding up to the block length, in one write.
ProgramCode StarFile::writeBlock(std::uint32_t offset, std::uint32_t id,
                                 std::span<const std::uint8_t> data) {
  ByteWriter block;
  block.u32(id);
  block.u32(static_cast<std::uint32_t>(data.size()));
  block.bytes(data);
  block.zeros(StarBlockLength64(data.size()) - kStarRecordHeaderSize - data.size());
  return writeAt(offset, block.data());
}

// Hands out an id: the head of the free-id chain, else next id (growing the index when full).
ProgramCode StarFile::takeId(std::int32_t& id) {
  if (header_.freeIdCount != 0) {
    LW_TRY_CODE(checkFreeIdChain());
    const std::int32_t head = static_cast<std::int32_t>(header_.freeIdHead);
    std::uint32_t next = 0;
    LW_TRY_CODE(readEntry(head, next));
    header_.freeIdHead = next;
    --header_.freeIdCount;
    id = head;
    return ProgramCode::kOk;
  }
  if (header_.nextId >= header_.indexCapacity) LW_TRY_CODE(growIndex());
  id = static_cast<std::int32_t>(header_.nextId++);
  return ProgramCode::kOk;
}

// Walks the free-id chain once, free-id count steps: 101 when it leaves the handed-out ids or
// meets an id twice. Consuming it never breaks it again, so one walk per open is enough.
ProgramCode StarFile::checkFreeIdChain() {
  if (freeIdChainChecked_) return ProgramCode::kOk;
  std::vector<bool> seen(header_.nextId, false);
  std::uint32_t id = header_.freeIdHead;
  for (std::uint32_t step = 0; step < header_.freeIdCount; ++step) {
    if (id >= header_.nextId || seen[id]) return ProgramCode::kBadStarSize;
    seen[id] = true;
    if (step + 1 < header_.freeIdCount) LW_TRY_CODE(peekEntry(id, id));
  }
  freeIdChainChecked_ = true;
  return ProgramCode::kOk;
}

ProgramCode StarFile::readAt(std::uint64_t offset, std::span<std::uint8_t> bytes) {
  if (offset + bytes.size() > std::uint64_t{kStarMaxFileEnd}) return ProgramCode::kLogic;
  return bytes.empty() ? ProgramCode::kOk
                       : files_.FileReadAt(handle_, static_cast<std::uint32_t>(offset), bytes);
}

ProgramCode StarFile::writeAt(std::uint64_t offset, std::span<const std::uint8_t> bytes) {
  if (offset + bytes.size() > std::uint64_t{kStarMaxFileEnd}) return ProgramCode::kLogic;
  located_.reset();  // the write may change any block header or index page
  return bytes.empty() ? ProgramCode::kOk
                       : files_.FileWriteAt(handle_, static_cast<std::uint32_t>(offset), bytes);
}

ProgramCode StarFile::checkOpen() const {
  return handle_ == kNoFile ? ProgramCode::kFile : ProgramCode::kOk;
}

// ---- Operations -----------------------------------------------------------------------------

ProgramCode StarFile::RecordLength(std::int32_t id, std::uint32_t& length) {
  LW_TRY_CODE(checkOpen());
  BlockInfo block;
  LW_TRY_CODE(locateRecord(id, block));
  length = block.dataLength;
  return ProgramCode::kOk;
}

ProgramCode StarFile::RecordOffset(std::int32_t id, std::uint32_t& offset) {
  LW_TRY_CODE(checkOpen());
  BlockInfo block;
  LW_TRY_CODE(locateRecord(id, block));
  offset = block.offset;
  return ProgramCode::kOk;
}

ProgramCode StarFile::FreeIdChain(std::vector<std::uint32_t>& ids) {
  LW_TRY_CODE(checkOpen());
  LW_TRY_CODE(checkFreeIdChain());
  ids.clear();
  std::uint32_t id = header_.freeIdHead;
  for (std::uint32_t step = 0; step < header_.freeIdCount; ++step) {
    ids.push_back(id);
    if (step + 1 < header_.freeIdCount) LW_TRY_CODE(peekEntry(id, id));
  }
  return ProgramCode::kOk;
}

ProgramCode StarFile::ReadRecord(std::int32_t id, RecordBlock& out) {
  LW_TRY_CODE(checkOpen());
  BlockInfo block;
  LW_TRY_CODE(locateRecord(id, block));  // the length is checked against the file first
  out.assign(block.dataLength, 0);
  return readAt(std::uint64_t{block.offset} + kStarRecordHeaderSize, out);
}

ProgramCode StarFile::RewriteRecord(std::int32_t id, std::span<const std::uint8_t> data) {
  LW_TRY_CODE(checkOpen());
  if (data.size() > kStarMaxRecordBytes) return ProgramCode::kLogic;
  headerDirty_ = true;
  if (header_.freeBlockCount >= kStarMaxFreeRuns) LW_TRY_CODE(compact());
  BlockInfo block;
  LW_TRY_CODE(locateRecord(id, block));
  if (data.size() == block.dataLength)
    return writeAt(std::uint64_t{block.offset} + kStarRecordHeaderSize, data);
  LW_TRY_CODE(checkWholeBlock(block));
  LW_TRY_CODE(release(block.offset, block.blockLength));
  std::uint32_t offset = 0;
  LW_TRY_CODE(allocate(StarBlockLength64(data.size()), offset));
  LW_TRY_CODE(writeBlock(offset, static_cast<std::uint32_t>(id), data));
  return writeEntry(id, offset);
}

ProgramCode StarFile::AppendRecord(std::span<const std::uint8_t> data, std::int32_t& newId) {
  LW_TRY_CODE(checkOpen());
  if (data.size() > kStarMaxRecordBytes) return ProgramCode::kLogic;
  headerDirty_ = true;
  if (header_.freeBlockCount >= kStarMaxFreeRuns) LW_TRY_CODE(compact());
  std::int32_t id = 0;
  LW_TRY_CODE(takeId(id));
  std::uint32_t offset = 0;
  LW_TRY_CODE(allocate(StarBlockLength64(data.size()), offset));
  LW_TRY_CODE(writeBlock(offset, static_cast<std::uint32_t>(id), data));
  LW_TRY_CODE(writeEntry(id, offset));
  newId = id;
  return ProgramCode::kOk;
}

ProgramCode StarFile::Flush() {
  LW_TRY_CODE(checkOpen());
  if (!headerDirty_) return ProgramCode::kOk;
  for (IndexPage& page : pages_) {
    if (page.dirty) LW_TRY_CODE(writePage(page));
  }
  storeHeader();
  LW_TRY_CODE(writeAt(0, headerImage_));
  LW_TRY_CODE(files_.FileFlush(handle_));
  headerDirty_ = false;
  return ProgramCode::kOk;
}

ProgramCode StarFile::CloseHandle() {
  LW_TRY_CODE(checkOpen());
  const FileHandle handle = std::exchange(handle_, kNoFile);
  return files_.FileClose(handle);
}

}  // namespace lw
