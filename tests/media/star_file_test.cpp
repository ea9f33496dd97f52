// Star files through their public operations over real files in a scratch folder: the layout
// byte for byte, the space management, the index page cache, hostile headers and records, and
// what a failed write leaves on disk. A random workload is checked against a model of the records.
#include "media/star_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <random>
#include <set>
#include <vector>

#include "common/byte_io.h"
#include "support/storage_scratch.h"

namespace lw {
namespace {

using test::Bytes;
using RunTable = std::vector<std::pair<std::uint32_t, std::uint32_t>>;  // (offset, value or size)

constexpr std::uint32_t kArea = 1536;   // record area of a file with room for 128 ids
constexpr std::uint32_t kSmall = 56;    // the largest record that takes one 64-byte unit
constexpr std::uint32_t kLarge = 1000;  // a record too big for any run these tests free
constexpr std::uint32_t kFreeTable = 512;
constexpr const char* kName = "test.str";

// The offset of record `id`'s index entry.
constexpr std::uint32_t Entry(std::uint32_t id) { return 1024 + 4 * id; }

// Record contents that differ with size and seed.
Bytes Data(std::size_t size, std::uint32_t seed) {
  Bytes bytes(size);
  for (std::size_t i = 0; i < size; ++i)
    bytes[i] = static_cast<std::uint8_t>(seed * 31 + i * 7 + 1);
  return bytes;
}

// `bytes` with little-endian u32 `patches` (offset, value) written over it.
Bytes Patched(Bytes bytes, const RunTable& patches) {
  for (auto [offset, value] : patches)
    for (std::uint32_t i = 0; i < 4; ++i)
      bytes.at(offset + i) = static_cast<std::uint8_t>(value >> (8 * i));
  return bytes;
}

// File access that fails every positioned write once a byte budget is spent. A write that does not
// fit the budget writes nothing, like a device refusing a request it cannot complete.
class FaultyFiles : public FileAccess {
 public:
  using FileAccess::FileAccess;
  ProgramCode FileWriteAt(FileHandle file, std::uint32_t offset,
                          std::span<const std::uint8_t> bytes) override {
    if (!budget) return FileAccess::FileWriteAt(file, offset, bytes);
    const bool fits = bytes.size() <= *budget;
    *budget = fits ? *budget - bytes.size() : 0;
    return fits ? FileAccess::FileWriteAt(file, offset, bytes) : ProgramCode::kFile;
  }
  std::optional<std::size_t> budget;
};

class StarFileTest : public ::testing::Test {
 protected:
  StarFileTest() { disk_.answer = BoxAnswer::kAbort; }
  // No operation may read outside the file: that would bring up the disc box.
  void TearDown() override { EXPECT_TRUE(disk_.boxTexts.empty()); }

  void Create(std::int32_t records) {
    ASSERT_EQ(StarFile::Create(files_, test::TitlePath(kName), records, FourCharCode("RTDO"),
                               FourCharCode("LWRT")),
              ProgramCode::kOk);
  }
  ProgramCode OpenCode(std::unique_ptr<StarFile>& file) {
    return StarFile::Open(files_, test::TitlePath(kName), 1, file);
  }
  std::unique_ptr<StarFile> Open() {
    std::unique_ptr<StarFile> file;
    EXPECT_EQ(OpenCode(file), ProgramCode::kOk);
    return file;
  }
  // A file with room for `capacity` ids holding `count` records of `size` bytes, flushed.
  std::unique_ptr<StarFile> Filled(std::int32_t capacity, std::int32_t count,
                                   std::uint32_t size = kSmall) {
    Create(capacity);
    auto file = Open();
    for (std::int32_t i = 0; i < count; ++i) Append(*file, Data(size, i));
    EXPECT_EQ(file->Flush(), ProgramCode::kOk);
    return file;
  }
  static std::int32_t Append(StarFile& file, const Bytes& data) {
    std::int32_t id = -1;
    EXPECT_EQ(file.AppendRecord(data, id), ProgramCode::kOk);
    return id;
  }
  static Bytes Read(StarFile& file, std::int32_t id) {
    Bytes out;
    EXPECT_EQ(file.ReadRecord(id, out), ProgramCode::kOk) << "record " << id;
    return out;
  }
  static RunTable Runs(const StarFile& file) {
    RunTable runs;
    for (std::uint32_t i = 0; i < file.header().freeBlockCount; ++i)
      runs.emplace_back(file.header().freeRuns[i].offset, file.header().freeRuns[i].size);
    return runs;
  }

  [[nodiscard]] Bytes DiskBytes() const { return disk_.FileBytes(kName); }
  void SetDiskBytes(const Bytes& bytes) const { disk_.SetFileBytes(kName, bytes); }
  [[nodiscard]] std::uint32_t Disk32(std::size_t offset) const {
    return LoadU32(DiskBytes().data() + offset);
  }
  void Patch(const RunTable& patches) const { SetDiskBytes(Patched(DiskBytes(), patches)); }

  test::ScratchStorage<FaultyFiles> disk_;
  FaultyFiles& files_ = disk_.stack.files;
};

// A new file has room for whole index pages; the bytes of one are checked with the blocks added.
TEST_F(StarFileTest, CreatesWholeIndexPagesAndLaysOutBlocksInUnitsOf64KeepingReservedBytes) {
  for (auto [records, size] :
       RunTable{{0, 1536}, {static_cast<std::uint32_t>(-5), 1536}, {128, 1536}, {129, 2048}}) {
    Create(static_cast<std::int32_t>(records));
    EXPECT_EQ(std::filesystem::file_size(disk_.folder.path() / kName), size) << records;
  }
  Create(1);
  Patch({{100, 0xDEADBEEF}});  // reserved bytes are carried through, whatever they hold
  auto file = Open();
  const Bytes first = Data(56, 1), middle = Data(57, 9);
  EXPECT_EQ(Append(*file, first), 0);
  EXPECT_EQ(Append(*file, middle), 1);
  EXPECT_EQ(Append(*file, {}), 2);
  ASSERT_EQ(file->Flush(), ProgramCode::kOk);
  // Header, index entries, then each block: id, length, data, zero padding.
  const RunTable fields = {{0, kStarVersion},
                           {4, kArea + 256},
                           {16, 128},
                           {20, 3},
                           {32, FourCharCode("RTDO")},
                           {36, FourCharCode("LWRT")},
                           {100, 0xDEADBEEF},
                           {Entry(0), kArea},
                           {Entry(1), kArea + 64},
                           {Entry(2), kArea + 192},
                           {kArea + 4, 56},
                           {kArea + 64, 1},
                           {kArea + 68, 57},
                           {kArea + 192, 2}};
  Bytes want = Patched(Bytes(kArea + 256, 0), fields);
  std::copy(first.begin(), first.end(), want.begin() + kArea + 8);
  std::copy(middle.begin(), middle.end(), want.begin() + kArea + 72);
  EXPECT_EQ(DiskBytes(), want);
  std::uint32_t length = 1;
  EXPECT_EQ(file->RecordLength(2, length), ProgramCode::kOk);
  EXPECT_EQ(length, 0u);
}

TEST_F(StarFileTest, OpenChecksTheVersionBeforeTheSizeAndOnlyHandedOutIdsExist) {
  std::unique_ptr<StarFile> file;
  EXPECT_EQ(OpenCode(file), ProgramCode::kFile);  // no such file
  Create(1);
  Patch({{0, 0x00010001}, {4, kArea - 1}});  // the file end one byte short as well
  EXPECT_EQ(OpenCode(file), ProgramCode::kBadStarVersion);
  Patch({{0, kStarVersion}});
  EXPECT_EQ(OpenCode(file), ProgramCode::kBadStarSize);
  EXPECT_EQ(file, nullptr);

  file = Filled(1, 3);
  std::uint32_t length = 0;
  Bytes out;
  EXPECT_EQ(file->RecordLength(3, length), ProgramCode::kUndefined);  // the index has room
  EXPECT_EQ(file->ReadRecord(-1, out), ProgramCode::kUndefined);
  EXPECT_EQ(file->RewriteRecord(3, Data(4, 0)), ProgramCode::kUndefined);
  EXPECT_EQ(file->CloseHandle(), ProgramCode::kOk);
  EXPECT_EQ(file->ReadRecord(0, out), ProgramCode::kFile);
}

// A record rewritten at its length stays in place; a longer one moves and frees its old block,
// which merges with the runs it touches (checked over random work below).
TEST_F(StarFileTest, AllocatesTheSmallestFittingRunLowestFirst) {
  auto file = Filled(1, 7);
  ASSERT_EQ(file->RewriteRecord(1, Data(kSmall, 77)), ProgramCode::kOk);  // same length
  EXPECT_TRUE(Runs(*file).empty());
  for (std::int32_t id : {0, 1, 3, 5})
    ASSERT_EQ(file->RewriteRecord(id, Data(kLarge, id)), ProgramCode::kOk);
  ASSERT_EQ(Runs(*file), (RunTable{{1536, 128}, {1728, 64}, {1856, 64}}));
  const std::uint32_t end = file->header().fileEnd;
  // Two exact fits of equal size (lower one first), then the front of the larger run, then
  // the file end for a block that no run holds.
  const RunTable appends = {{20, 1728}, {0, 1856}, {kSmall, 1536}, {100, end}};
  for (std::size_t i = 0; i < appends.size(); ++i) {
    const auto [size, place] = appends[i];
    EXPECT_EQ(Append(*file, Data(size, place)), 7 + static_cast<std::int32_t>(i));
    ASSERT_EQ(file->Flush(), ProgramCode::kOk);
    EXPECT_EQ(Disk32(Entry(7 + static_cast<std::uint32_t>(i))), place) << size << " bytes";
  }
  EXPECT_EQ(Runs(*file), (RunTable{{1600, 64}}));
  EXPECT_EQ(file->header().fileEnd, end + 128);
}

// Record k of a 200-record file lies at 2048 + 64k.
constexpr std::uint32_t Place(std::uint32_t id) { return 2048 + 64 * id; }

TEST_F(StarFileTest, AFullFreeTableIsCompactedAtTheNarrowestPair) {
  auto file = Filled(200, 200);
  // Free records 0, 3, 5, ..., 127: 64 runs, two records between the first two, one elsewhere.
  std::set<std::int32_t> freed = {0};
  for (std::int32_t id = 3; id <= 127; id += 2) freed.insert(id);
  for (std::int32_t id : freed)
    ASSERT_EQ(file->RewriteRecord(id, Data(kLarge, id)), ProgramCode::kOk);
  ASSERT_EQ(file->header().freeBlockCount, 64u);
  ASSERT_EQ(file->Flush(), ProgramCode::kOk);

  const Bytes flushed = DiskBytes();
  Patch({{Place(4), 9}});  // the block to be slid no longer carries its id
  file = Open();
  EXPECT_EQ(file->RewriteRecord(150, Data(kSmall, 1)), ProgramCode::kUndefined);

  SetDiskBytes(flushed);
  file = Open();
  ASSERT_EQ(file->RewriteRecord(150, Data(kSmall, 1)), ProgramCode::kOk);  // in place
  const auto runs = Runs(*file);
  ASSERT_EQ(runs.size(), 63u);
  // Record 4 slid over record 3's run.
  EXPECT_EQ(RunTable(runs.begin(), runs.begin() + 3),
            (RunTable{{Place(0), 64}, {Place(4), 128}, {Place(7), 64}}));
  ASSERT_EQ(file->Flush(), ProgramCode::kOk);
  EXPECT_EQ(Disk32(Entry(4)), Place(3));
}

TEST_F(StarFileTest, CompactionSlidesBlocksLargerThanTheCopyBuffer) {
  constexpr std::uint32_t kHuge = 70000;  // two slices of the 64 KiB copy buffer
  Create(1);
  auto file = Open();
  for (std::int32_t id = 0; id < 128; ++id) Append(*file, Data(id % 2 == 1 ? kHuge : kSmall, id));
  for (std::int32_t id = 0; id < 128; id += 2)
    ASSERT_EQ(file->RewriteRecord(id, Data(kLarge, id)), ProgramCode::kOk);
  ASSERT_EQ(file->header().freeBlockCount, 64u);
  // Every pair of runs has one huge record between: the first one slides down by 64 bytes.
  ASSERT_EQ(file->RewriteRecord(127, Data(kHuge, 127)), ProgramCode::kOk);
  EXPECT_EQ(Runs(*file)[0], std::pair(kArea + 70016, 128u));
  for (std::int32_t id = 0; id < 128; ++id)
    ASSERT_EQ(Read(*file, id), Data(id % 2 == 1 ? kHuge : kLarge, id)) << id;
}

TEST_F(StarFileTest, IndexPagesAreEvictedLeastRecentlyUsedAfterWritingBack) {
  auto file = Filled(600, 600, 0);
  file = Open();
  EXPECT_EQ(file->cachedPages(), (std::vector<std::uint32_t>{0, 128, 256, 384}));
  const std::uint32_t end = file->header().fileEnd;
  const std::uint32_t before = Disk32(Entry(400));
  ASSERT_EQ(file->RewriteRecord(400, Data(100, 400)), ProgramCode::kOk);  // page 384 dirty
  for (std::int32_t id : {0, 128, 256}) Read(*file, id);
  EXPECT_EQ(Disk32(Entry(400)), before);
  Read(*file, 512);
  EXPECT_EQ(file->cachedPages(), (std::vector<std::uint32_t>{0, 128, 256, 512}));
  EXPECT_EQ(Disk32(Entry(400)), end);  // written back before its slot was reused
  EXPECT_EQ(Read(*file, 400), Data(100, 400));
  EXPECT_EQ(file->cachedPages(), (std::vector<std::uint32_t>{384, 128, 256, 512}));
}

// A flushed file with records 0..5 and free runs (1600, 64) and (1728, 64).
class HostileStarFileTest : public StarFileTest {
 protected:
  void SetUp() override {
    auto file = Filled(1, 6);
    for (std::int32_t id : {1, 3})
      ASSERT_EQ(file->RewriteRecord(id, Data(kLarge, id)), ProgramCode::kOk);
    ASSERT_EQ(file->Flush(), ProgramCode::kOk);
    valid_ = DiskBytes();
    end_ = static_cast<std::uint32_t>(valid_.size());
  }
  // The valid file with (offset, value) patches.
  void Restore(const RunTable& patches) const { SetDiskBytes(Patched(valid_, patches)); }
  Bytes valid_;
  std::uint32_t end_ = 0;
};

TEST_F(HostileStarFileTest, HeadersThatDisagreeWithTheFileGive101UnlessTheyOnlyOverstateFreeBytes) {
  const std::vector<std::pair<const char*, RunTable>> cases = {
      {"65 free runs", {{12, 65}}},
      {"runs unsorted", {{kFreeTable, 1728}, {kFreeTable + 8, 1600}}},
      {"runs overlapping", {{kFreeTable + 8, 1632}}},
      {"run inside the index", {{kFreeTable, 1024}}},
      {"run past the file end", {{kFreeTable + 8, end_ - 32}}},
      {"run size not a multiple of 64", {{kFreeTable + 4, 60}, {8, 124}}},
      {"empty run", {{12, 3}, {kFreeTable + 16, end_ - 64}}},
      {"capacity not a multiple of 128", {{16, 130}}},
      {"index past the file end", {{16, 0x01000000}}},
      {"next id beyond capacity", {{20, 129}}},
      {"more free ids than ids", {{24, 7}}},
      {"free bytes below the sum of the runs", {{8, 64}}},
      {"file end not the size", {{4, end_ + 64}}},
  };
  std::unique_ptr<StarFile> file;
  for (const auto& [name, patches] : cases) {
    Restore(patches);
    EXPECT_EQ(OpenCode(file), ProgramCode::kBadStarSize) << name;
  }
  for (std::size_t size : {2, 100, 1023}) {
    SetDiskBytes(Bytes(valid_.begin(), valid_.begin() + static_cast<std::ptrdiff_t>(size)));
    EXPECT_EQ(OpenCode(file), ProgramCode::kBadStarSize) << size << " bytes";
  }
  // Index growth as the format's rules describe it drops runs without lowering the free-bytes
  // field, so files whose field exceeds their runs' sum exist: they open, and a flush writes the
  // sum.
  Restore({{8, 192}});
  file = Open();
  ASSERT_NE(file, nullptr);
  ASSERT_EQ(file->RewriteRecord(0, Data(kSmall, 9)), ProgramCode::kOk);
  ASSERT_EQ(file->Flush(), ProgramCode::kOk);
  EXPECT_EQ(Disk32(8), 128u);
}

TEST_F(HostileStarFileTest, RecordsThatDisagreeWithTheirIndexGive100) {
  const struct {
    const char* name;
    RunTable patches;
    std::int32_t id;
    bool rewrite;  // freeing and moving check the whole block; reading checks the data
  } cases[] = {
      {"entry inside the header", {{Entry(0), 40}}, 0, false},  // reserved zeros: id 0, length 0
      {"block header cut by the file end", {{Entry(0), end_ - 4}}, 0, false},
      {"block of another id", {{kArea, 5}}, 0, false},
      {"data past the file end", {{kArea + 4, 0xFFFFFFF0}}, 0, false},
      {"padding past the end", {{Entry(2), end_ - 40}, {end_ - 40, 2}, {end_ - 36, 10}}, 2, true},
      // Record 1's old block is still on disk inside its free run.
      {"block inside a free run", {{Entry(1), 1600}}, 1, true},
  };
  for (const auto& c : cases) {
    Restore(c.patches);
    auto file = Open();
    ASSERT_NE(file, nullptr);
    Bytes out;
    EXPECT_EQ(c.rewrite ? file->RewriteRecord(c.id, Data(30, 5)) : file->ReadRecord(c.id, out),
              ProgramCode::kUndefined)
        << c.name;
    EXPECT_TRUE(out.empty()) << c.name;  // nothing allocated for a length the file cannot hold
  }
}

TEST_F(HostileStarFileTest, TheFreeIdChainIsConsumedFirstAndChecked) {
  Restore({{24, 2}, {28, 2}, {Entry(2), 0}});  // chain 2 -> 0
  auto file = Open();
  EXPECT_EQ((std::vector{Append(*file, Data(5, 20)), Append(*file, Data(5, 21)),
                         Append(*file, Data(5, 22))}),
            (std::vector{2, 0, 6}));
  std::int32_t id = -1;
  for (const RunTable& chain : {RunTable{{24, 2}, {28, 1}, {Entry(1), 1}},  // loops
                                RunTable{{24, 1}, {28, 7}}}) {              // leaves the ids
    Restore(chain);
    file = Open();
    EXPECT_EQ(file->AppendRecord(Data(5, 0), id), ProgramCode::kBadStarSize);
  }
  // A full index with nothing behind it to clear for the new page.
  Create(1);
  Patch({{20, 128}});
  file = Open();
  EXPECT_EQ(file->AppendRecord(Data(5, 0), id), ProgramCode::kBadStarSize);
}

// Random appends and rewrites mirrored in a model. Every third hundred steps rewrites mostly
// grow their records beyond any free run, so that runs pile up until the free-block table fills.
struct Workload {
  explicit Workload(unsigned seed) : rng(seed) {}

  std::uint32_t Pick(std::uint32_t below) {
    return std::uniform_int_distribution<std::uint32_t>(0, below - 1)(rng);
  }
  Bytes NextData() {
    const std::uint32_t roll = Pick(20);
    return Data(roll < 14   ? Pick(120)
                : roll < 19 ? 120 + Pick(500)
                            : 600 + Pick(2500),
                ++generation);
  }
  // One operation; `touched` gets the id it changed.
  ProgramCode Step(StarFile& file, std::int32_t& touched) {
    const bool fragmenting = ++steps / 100 % 3 == 2;
    Bytes data;
    ProgramCode code;
    if (model.empty() || Pick(10) < (fragmenting ? 1 : 4)) {
      data = NextData();
      code = file.AppendRecord(data, touched);
      if (code == ProgramCode::kOk) model.emplace_back();
    } else {
      touched = static_cast<std::int32_t>(Pick(static_cast<std::uint32_t>(model.size())));
      const std::size_t size = model[touched].size();
      data = fragmenting    ? Data(size + 600 + Pick(2000), ++generation)
             : Pick(4) == 0 ? Data(size, ++generation)
                            : NextData();
      code = file.RewriteRecord(touched, data);
    }
    if (code == ProgramCode::kOk) model[touched] = std::move(data);
    return code;
  }

  std::mt19937 rng;
  std::vector<Bytes> model;
  std::uint32_t generation = 0;
  int steps = 0;
};

TEST_F(StarFileTest, RandomWorkReadsBackAfterEveryFlush) {
  Create(1);
  auto file = Open();
  Workload work(20240611);
  bool compacted = false;
  for (int step = 1; step <= 1500; ++step) {
    compacted |= file->header().freeBlockCount == kStarMaxFreeRuns;
    std::int32_t touched = 0;
    ASSERT_EQ(work.Step(*file, touched), ProgramCode::kOk) << step;
    if (step % 50 != 0) continue;
    ASSERT_EQ(file->Flush(), ProgramCode::kOk);
    file = Open();
    ASSERT_EQ(file->header().nextId, work.model.size());
    // Free runs never touch (they are merged), and the free bytes are their sum.
    const RunTable runs = Runs(*file);
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < runs.size(); ++i) {
      sum += runs[i].second;
      if (i > 0) {
        ASSERT_LT(runs[i - 1].first + runs[i - 1].second, runs[i].first) << step;
      }
    }
    ASSERT_EQ(file->header().freeBytes, sum) << step;
    for (std::size_t id = 0; id < work.model.size(); ++id)
      ASSERT_EQ(Read(*file, static_cast<std::int32_t>(id)), work.model[id])
          << "step " << step << " id " << id;
  }
  EXPECT_TRUE(compacted);
  EXPECT_GT(file->header().indexCapacity, 2 * kStarIdsPerPage);
}

// A write that fails leaves the last flush intact: the header on disk is the flushed one, and
// cutting off what the failed work added behind the flushed file end (growth that the flushed
// header never learnt of) gives a valid star file. Unless compaction or index growth moved
// records since that flush, every flushed record the work did not rewrite reads back as flushed.
TEST_F(StarFileTest, AFailedWriteLeavesTheFlushedStateIntact) {
  for (unsigned round = 0; round < 40; ++round) {
    Workload work(round);
    Create(1);
    auto file = Open();
    Bytes flushed = DiskBytes();
    std::vector<Bytes> flushedModel;
    std::set<std::int32_t> touched;
    bool moved = false;
    const int failAfter = 20 + static_cast<int>(work.Pick(400));
    ProgramCode failure = ProgramCode::kOk;
    for (int step = 0; failure == ProgramCode::kOk; ++step) {
      if (step == failAfter) files_.budget = work.Pick(3000);
      // Compaction and index growth may come with this step.
      moved |= file->header().freeBlockCount == kStarMaxFreeRuns ||
               file->header().nextId == file->header().indexCapacity;
      std::int32_t id = -1;
      failure = work.Step(*file, id);
      touched.insert(id);
      if (failure == ProgramCode::kOk && work.Pick(8) == 0) failure = file->Flush();
      if (failure == ProgramCode::kOk && !file->headerDirty()) {
        flushed = DiskBytes();
        flushedModel = work.model;
        touched.clear();
        moved = false;
      }
    }
    ASSERT_EQ(failure, ProgramCode::kFile) << "round " << round;
    files_.budget.reset();
    file.reset();

    const Bytes now = DiskBytes();
    ASSERT_GE(now.size(), flushed.size());
    ASSERT_TRUE(std::equal(flushed.begin(), flushed.begin() + kStarHeaderSize, now.begin()))
        << round;
    SetDiskBytes(Bytes(now.begin(), now.begin() + static_cast<std::ptrdiff_t>(flushed.size())));
    file = Open();
    ASSERT_NE(file, nullptr) << "round " << round;
    ASSERT_EQ(file->header().nextId, flushedModel.size());
    for (std::size_t id = 0; id < flushedModel.size() && !moved; ++id) {
      if (touched.count(static_cast<std::int32_t>(id)) != 0) continue;
      ASSERT_EQ(Read(*file, static_cast<std::int32_t>(id)), flushedModel[id]) << round << " " << id;
    }
  }
}

}  // namespace
}  // namespace lw
