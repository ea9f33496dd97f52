// The resource cache and the parked pool, driven through StarLibrary over real star files in a
// scratch title folder. Cache states are compared as trace strings: each record held as its id,
// with "+N" for N locks and "*" when it is dirty.
#include "media/star_library.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <numeric>
#include <string>
#include <type_traits>
#include <vector>

#include "support/storage_scratch.h"

namespace lw {
namespace {

constexpr std::uint32_t kRecordBytes = 1000;
constexpr std::uint32_t kBigRecordBytes = 250000;  // more than the batch that pressure frees

// Record `id` of a test file: `size` bytes of its id plus the file's fill byte.
RecordBlock Record(std::int32_t id, std::uint8_t fill, std::uint32_t size = kRecordBytes) {
  return RecordBlock(size, static_cast<std::uint8_t>(fill + id));
}

class StarLibraryTest : public ::testing::Test {
 protected:
  // A star file `name` with `count` records, opened through the library.
  StarFile* MakeFile(const std::string& name, int count, std::uint8_t fill = 0,
                     std::uint32_t size = kRecordBytes) {
    std::vector<test::Bytes> records;
    for (std::int32_t id = 0; id < count; ++id) records.push_back(Record(id, fill, size));
    test::WriteStarFile(disk_.stack.files, test::TitlePath(name), records);
    StarFile* file = nullptr;
    EXPECT_EQ(library_.StarOpen(test::TitlePath(name), file), ProgramCode::kOk);
    return file;
  }
  RecordBlock* Get(StarFile& file, std::int32_t id) {
    RecordBlock* block = nullptr;
    EXPECT_EQ(library_.StarGetResource(file, id, block), ProgramCode::kOk) << id;
    return block;
  }
  // Gets and releases a record, leaving it cached and idle with a fresh use stamp.
  void Touch(StarFile& file, std::int32_t id) {
    Get(file, id);
    EXPECT_EQ(library_.StarReleaseResource(file, id), ProgramCode::kOk);
  }
  // The record as the file on disk holds it, read through a handle of its own.
  RecordBlock OnDisk(const std::string& name, std::int32_t id) {
    std::unique_ptr<StarFile> file;
    RecordBlock data;
    EXPECT_EQ(StarFile::Open(disk_.stack.files, test::TitlePath(name), 0, file), ProgramCode::kOk);
    EXPECT_EQ(file ? file->ReadRecord(id, data) : ProgramCode::kFile, ProgramCode::kOk);
    return data;
  }
  // The records `file` holds, by id: "0+1* 2" is record 0 locked once and dirty, record 2 idle.
  static std::string Held(const StarFile& file) {
    std::vector<const CachedRecord*> entries;
    for (const CachedRecord& entry : file.cache) entries.push_back(&entry);
    std::sort(entries.begin(), entries.end(), [](auto* a, auto* b) { return a->id < b->id; });
    std::string text;
    for (const CachedRecord* e : entries) {
      text += (text.empty() ? "" : " ") + std::to_string(e->id);
      if (e->lockCount != 0) text += "+" + std::to_string(e->lockCount);
      if (e->dirty) text += "*";
    }
    return text;
  }

  test::ScratchStorage<> disk_;
  StarLibrary& library_ = disk_.stack.library;
};

TEST_F(StarLibraryTest, LocksBalanceAndReplacedRecordsAreWrittenOnlyWhenIdle) {
  StarFile* file = MakeFile("LOCKS.STR", 2);
  RecordBlock* first = Get(*file, 0);
  EXPECT_EQ(Get(*file, 0), first);
  EXPECT_EQ(library_.StarReleaseResource(*file, 0), ProgramCode::kOk);
  // Changed while still held: the flush point must neither write nor drop it.
  (*first)[0] = 0xEE;
  EXPECT_EQ(library_.StarReplaceResource(*file, 0), ProgramCode::kOk);
  EXPECT_EQ(library_.StarFlushAll(), ProgramCode::kOk);
  EXPECT_EQ(OnDisk("LOCKS.STR", 0), Record(0, 0));
  EXPECT_EQ(Held(*file), "0+1*");
  EXPECT_EQ(library_.StarReleaseResource(*file, 1), ProgramCode::kHandleCache);
  EXPECT_EQ(library_.StarReplaceResource(*file, 1), ProgramCode::kHandleCache);
  EXPECT_EQ(library_.StarReleaseResource(*file, 0), ProgramCode::kOk);
  EXPECT_EQ(library_.StarReleaseResource(*file, 0), ProgramCode::kPackUseCount);
  EXPECT_EQ(library_.StarReplaceResource(*file, 0, Record(0, 1)), ProgramCode::kPackUseCount);

  // New contents of another length land in the block the holder already points at; the idle
  // dirty record is written at the flush point and stays cached, clean, in the same block.
  RecordBlock* held = Get(*file, 1);
  const RecordBlock longer(kRecordBytes + 100, 0x5A);
  EXPECT_EQ(library_.StarReplaceResource(*file, 1, longer), ProgramCode::kOk);
  EXPECT_EQ(*held, longer);
  EXPECT_EQ(library_.StarReleaseResource(*file, 1), ProgramCode::kOk);
  EXPECT_EQ(Held(*file), "0* 1*");
  EXPECT_EQ(OnDisk("LOCKS.STR", 1), Record(1, 0));
  EXPECT_EQ(library_.StarFlushAll(), ProgramCode::kOk);
  EXPECT_EQ(OnDisk("LOCKS.STR", 1), longer);
  EXPECT_EQ(OnDisk("LOCKS.STR", 0)[0], 0xEE);
  EXPECT_EQ(Held(*file), "0 1");
  EXPECT_EQ(Get(*file, 1), held);
}

// Two readers' decoded forms: the first byte of the record, or its length.
struct FirstByte final : DecodedForm {
  explicit FirstByte(std::uint8_t b) : value(b) {}
  std::uint8_t value;
};
struct Length final : DecodedForm {
  explicit Length(std::size_t n) : value(n) {}
  std::size_t value;
};

TEST_F(StarLibraryTest, DecodedFormsLastUntilTheRecordChangesOrLeavesAndKnowTheirKind) {
  StarFile* file = MakeFile("FORMS.STR", 1, 7);
  int decodes = 0;
  const auto firstByte = [&](const RecordBlock& block) {
    ++decodes;
    return std::make_unique<FirstByte>(block[0]);
  };
  const auto length = [&](const RecordBlock& block) {
    ++decodes;
    return std::make_unique<Length>(block.size());
  };
  const auto read = [&](auto decode) {
    RecordBlock* block = Get(*file, 0);
    const auto* form = KeptDecodedForm<std::remove_cvref_t<decltype(*decode(*block))>>(
        library_, *file, 0, *block, decode);
    EXPECT_EQ(library_.StarReleaseResource(*file, 0), ProgramCode::kOk);
    return form->value;
  };
  EXPECT_EQ(read(firstByte), 7u);
  EXPECT_EQ(read(firstByte), 7u);
  EXPECT_EQ(decodes, 1);
  // Another reader's kind is decoded afresh and takes the place of the first.
  EXPECT_EQ(read(length), kRecordBytes);
  EXPECT_EQ(read(length), kRecordBytes);
  EXPECT_EQ(decodes, 2);
  // New contents drop the form; so does an in-place change.
  RecordBlock* block = Get(*file, 0);
  EXPECT_EQ(library_.StarReplaceResource(*file, 0, RecordBlock(3, 9)), ProgramCode::kOk);
  EXPECT_EQ(library_.StarDecodedForm(*file, 0), nullptr);
  EXPECT_EQ(library_.StarKeepDecodedForm(*file, 0, std::make_unique<Length>(1)), ProgramCode::kOk);
  (*block)[0] = 4;
  EXPECT_EQ(library_.StarReplaceResource(*file, 0), ProgramCode::kOk);
  EXPECT_EQ(library_.StarDecodedForm(*file, 0), nullptr);
  EXPECT_EQ(library_.StarReleaseResource(*file, 0), ProgramCode::kOk);
  EXPECT_EQ(read(firstByte), 4u);
  EXPECT_EQ(decodes, 3);
  // Forms are kept only with held records.
  EXPECT_EQ(library_.StarKeepDecodedForm(*file, 0, std::make_unique<Length>(1)),
            ProgramCode::kPackUseCount);
}

TEST_F(StarLibraryTest, TrimDropsOnlyTheLeastRecentlyUsedBeyond128IdleRecords) {
  StarFile* full = MakeFile("FULL.STR", 130);
  StarFile* limit = MakeFile("LIMIT.STR", 128);
  for (std::int32_t id = 0; id < 130; ++id) Touch(*full, id);
  for (std::int32_t id = 0; id < 128; ++id) Touch(*limit, id);
  Touch(*full, 0);  // record 1 is now the least recently used, then record 2
  std::vector<std::int32_t> ids(130);
  std::iota(ids.begin(), ids.end(), 0);
  for (std::int32_t dropped : {1, 2, -1}) {  // one per trim, and none at 128
    EXPECT_EQ(library_.StarFlushAll(), ProgramCode::kOk);
    std::erase(ids, dropped);
    std::string held;
    for (std::int32_t id : ids) held += (held.empty() ? "" : " ") + std::to_string(id);
    EXPECT_EQ(Held(*full), held);
    EXPECT_EQ(limit->cache.size(), 128U);
  }
}

TEST_F(StarLibraryTest, MemoryPressureDropsIdleRecordsOfAnyFileOldestFirst) {
  StarFile* a = MakeFile("A.STR", 3, 0, kBigRecordBytes);
  StarFile* b = MakeFile("B.STR", 3, 0x40, kBigRecordBytes);
  RecordBlock* locked = Get(*a, 0);  // oldest, but held
  test::ChangeRecord(library_, *b, 0, 0x77);
  Touch(*a, 1);
  Touch(*b, 1);
  std::vector<std::int64_t> hookSaw;
  library_.setMemoryHook([&](std::int64_t& missing) {
    hookSaw.push_back(missing);
    return ProgramCode::kOk;
  });
  // Short by 100000 bytes with the headroom, 300000 with the batch: two records go.
  constexpr std::int64_t kShort = 100000;
  constexpr std::int64_t kTwoRecords = 2 * std::int64_t{kBigRecordBytes};
  disk_.stack.memory.overrideAvailable(1000000);
  EXPECT_TRUE(library_.ReserveMemory(1000000 - StarLibrary::kMemoryHeadroom + kShort));
  EXPECT_EQ(hookSaw, (std::vector<std::int64_t>{kShort + StarLibrary::kMemoryBatch - kTwoRecords}));
  EXPECT_EQ(Held(*a) + " / " + Held(*b), "0+1 / 1");
  EXPECT_EQ(OnDisk("B.STR", 0)[0], 0x77);  // written back before it went
  EXPECT_EQ(*locked, Record(0, 0, kBigRecordBytes));

  // With nothing idle left the hook hears the whole shortage; a load then fails with 102.
  Touch(*a, 2);
  disk_.stack.memory.overrideAvailable(0);
  EXPECT_FALSE(library_.ReserveMemory(1));
  EXPECT_EQ(hookSaw.back(),
            1 + StarLibrary::kMemoryHeadroom + StarLibrary::kMemoryBatch - kTwoRecords);
  RecordBlock* block = nullptr;
  EXPECT_EQ(library_.StarGetResource(*a, 1, block), ProgramCode::kMemory);
  library_.setMemoryHook([](std::int64_t&) { return ProgramCode::kFile; });
  ProgramCode code = ProgramCode::kOk;
  EXPECT_FALSE(library_.ReserveMemory(1, &code));
  EXPECT_EQ(code, ProgramCode::kFile);
}

// The entry table grows by a step when full and shrinks when a whole step is spare; removing
// records from it must keep every id findable (a removed entry's slot takes the last one).
TEST_F(StarLibraryTest, TheEntryTableGrowsAndShrinksInStepsAndKeepsEveryIdFindable) {
  StarFile* file = MakeFile("STEPS.STR", 21, 0, kBigRecordBytes);
  for (std::int32_t id = 0; id < 21; ++id) Touch(*file, id);
  EXPECT_EQ(file->cacheCapacity, 2 * StarLibrary::kCacheStep);
  Touch(*file, 0);  // record 1 is now the oldest, then record 2
  disk_.stack.memory.overrideAvailable(1000000);
  const std::int64_t oneShort = 1000000 - StarLibrary::kMemoryHeadroom + 1;
  EXPECT_TRUE(library_.ReserveMemory(oneShort));  // drops one record: 20 left
  EXPECT_EQ(file->cacheCapacity, 2 * StarLibrary::kCacheStep);
  EXPECT_TRUE(library_.ReserveMemory(oneShort));  // 19 left
  EXPECT_EQ(file->cacheCapacity, StarLibrary::kCacheStep);
  EXPECT_EQ(file->cache.size(), 19U);
  for (std::int32_t id : {0, 3, 20}) EXPECT_EQ(*Get(*file, id), Record(id, 0, kBigRecordBytes));
  EXPECT_EQ(file->cache.size(), 19U);  // found in the cache, not loaded again
}

// Files open newest first; a fifth parked file closes the one parked longest ago, and a parked
// file comes back by its path (folded) with its cache, without going to the disk.
TEST_F(StarLibraryTest, ParkedFilesAreHiddenClosedOldestFirstAndRevivedByPath) {
  std::vector<StarFile*> parked;
  for (const char* name : {"P1.STR", "P2.STR", "P3.STR", "P4.STR", "Revive.str"})
    parked.push_back(MakeFile(name, 2));
  EXPECT_EQ(library_.openFiles(),
            (std::vector<StarFile*>{parked[4], parked[3], parked[2], parked[1], parked[0]}));
  EXPECT_EQ(library_.FindBySerial(parked[0]->serial()), parked[0]);
  StarFile& revive = *parked[4];
  RecordBlock* block = Get(revive, 1);
  ASSERT_EQ(library_.StarReleaseResource(revive, 1), ProgramCode::kOk);
  for (StarFile* file : parked) library_.StarPark(*file);
  EXPECT_EQ(library_.FindBySerial(parked[1]->serial()), nullptr);
  EXPECT_EQ(library_.parkedFiles(),
            (std::vector<StarFile*>{parked[4], parked[3], parked[2], parked[1]}));
  EXPECT_EQ(library_.openFiles().size(), 4U);
  EXPECT_FALSE(library_.IsParked("appl:P1.STR"));
  EXPECT_TRUE(library_.IsParked("APPL:p2.str"));

  // Record work on a parked file, or parking it again, is a logic error.
  std::int32_t newId = 0;
  EXPECT_EQ(library_.StarAddResource(revive, Record(1, 0), newId), ProgramCode::kLogic);
  EXPECT_EQ(revive.header().nextId, 2U);
  Touch(revive, 0);
  library_.StarPark(revive);
  for (const char* line : {"line 2600", "line 2601", "line 2602"})
    EXPECT_TRUE(disk_.BoxSaid(std::string("Logic error at ") + line)) << line;
  disk_.boxTexts.clear();

  std::filesystem::remove(disk_.folder.path() / "Revive.str");
  StarFile* revived = nullptr;
  ASSERT_EQ(library_.StarOpenShared("appl:REVIVE.STR", revived), ProgramCode::kOk);
  EXPECT_EQ(revived, &revive);
  EXPECT_FALSE(revived->parked);
  EXPECT_EQ(library_.parkedFiles().size(), 3U);
  EXPECT_EQ(Get(*revived, 1), block);
  EXPECT_EQ(library_.StarReleaseResource(*revived, 1), ProgramCode::kOk);
  EXPECT_EQ(library_.StarCloseAll(), ProgramCode::kOk);
  EXPECT_TRUE(library_.openFiles().empty());
  EXPECT_TRUE(library_.parkedFiles().empty());
}

// Closing runs the close hook first and refuses a file with locked records; the library's
// shutdown closes everything anyway, writing dirty records back, and reports nothing.
TEST_F(StarLibraryTest, ClosingRefusesLockedRecordsAndShutdownClosesEverything) {
  {
    StarLibrary library(disk_.stack.files, disk_.stack.errors, disk_.stack.stamps,
                        [] { return std::uint64_t{1} << 40; });
    test::WriteStarFile(disk_.stack.files, "appl:END.STR", {Record(0, 0), Record(1, 0)});
    StarFile* file = nullptr;
    ASSERT_EQ(library.StarOpen("appl:END.STR", file), ProgramCode::kOk);
    std::vector<StarFile*> hookSaw;
    library.setCloseHook([&](StarFile& closing) {
      hookSaw.push_back(&closing);
      return ProgramCode::kFile;
    });
    ASSERT_EQ(library.StarClose(*file), ProgramCode::kFile);
    EXPECT_EQ(hookSaw, (std::vector<StarFile*>{file}));
    library.setCloseHook({});
    RecordBlock* block = nullptr;
    ASSERT_EQ(library.StarGetResource(*file, 0, block), ProgramCode::kOk);
    (*block)[0] = 0x44;
    ASSERT_EQ(library.StarReplaceResource(*file, 0), ProgramCode::kOk);
    EXPECT_EQ(library.StarClose(*file), ProgramCode::kPackUseCount);
    EXPECT_EQ(library.StarCloseAll(), ProgramCode::kPackUseCount);
    EXPECT_EQ(library.openFiles(), (std::vector<StarFile*>{file}));
    library.setCloseHook([](StarFile&) { return ProgramCode::kFile; });
  }
  EXPECT_EQ(OnDisk("END.STR", 0)[0], 0x44);
  EXPECT_TRUE(disk_.boxTexts.empty());
  // An idle dirty record is written back by a close that succeeds.
  StarFile* file = MakeFile("CLOSE.STR", 1);
  test::ChangeRecord(library_, *file, 0, 0x33);
  EXPECT_EQ(library_.StarClose(*file), ProgramCode::kOk);
  EXPECT_TRUE(library_.openFiles().empty());
  EXPECT_EQ(OnDisk("CLOSE.STR", 0)[0], 0x33);
}

TEST_F(StarLibraryTest, TheMemoOfTheLastRecordNeverCrossesFiles) {
  StarFile* a = MakeFile("A.STR", 1, 0x10);
  StarFile* b = MakeFile("B.STR", 2, 0x20);
  Touch(*b, 1);
  EXPECT_EQ(*Get(*a, 0), Record(0, 0x10));
  EXPECT_EQ(*Get(*b, 0), Record(0, 0x20));
}

}  // namespace
}  // namespace lw
