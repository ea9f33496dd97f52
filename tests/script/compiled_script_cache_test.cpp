// The compiled-script cache over real star files: sharing, staleness after a close, trimming,
// purging under memory pressure, and the fatal checks. Each use count is -1 for a script the cache
// no longer holds.
#include "script/compiled_script_cache.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "script_fixture.h"
#include "support/storage_scratch.h"

namespace lw {
namespace {

class CompiledScriptCacheTest : public ::testing::Test {
 protected:
  // The star file `name` whose records are the compiled `sources` from id 0, opened.
  StarFile& Open(const std::string& name, const std::vector<std::string>& sources) {
    std::vector<test::Bytes> records;
    for (const std::string& source : sources) records.push_back(testing::Compile(source).ToBytes());
    test::WriteStarFile(disk_.stack.files, test::TitlePath(name), records);
    return Reopen(name);
  }
  StarFile& Reopen(const std::string& name) {
    StarFile* file = nullptr;
    EXPECT_EQ(library_.StarOpen(test::TitlePath(name), file), ProgramCode::kOk);
    return *file;
  }
  // The use counts of `scripts`, in order.
  std::vector<int> Uses(std::initializer_list<CompiledScript*> scripts) const {
    std::vector<int> uses;
    for (CompiledScript* script : scripts) uses.push_back(cache_.useCount(script));
    return uses;
  }
  bool Reported(int line) const { return disk_.BoxSaid("line " + std::to_string(line) + " "); }

  test::ScratchStorage<> disk_;
  StarLibrary& library_ = disk_.stack.library;
  CompiledScriptCache& cache_ = disk_.stack.scripts;
};

TEST_F(CompiledScriptCacheTest, SharesOneCopyPerRecordAndPurgesIdleOnesUnderPressure) {
  StarFile& file = Open("a.str", {"on a\nend a\n", "on b\nend b\n"});
  CompiledScript* first = cache_.GetCompiledScript(file, 0);
  CompiledScript* other = cache_.GetCompiledScript(file, 1);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(cache_.GetCompiledScript(file, 0), first);
  EXPECT_EQ(Uses({first, other}), (std::vector<int>{2, 1}));
  EXPECT_EQ(first->ToBytes(), testing::Compile("on a\nend a\n").ToBytes());
  for (CompiledScript* script : {first, first}) cache_.ReleaseCompiledScript(script);
  EXPECT_TRUE(disk_.boxTexts.empty());

  // Memory pressure purges idle copies but never one in use.
  disk_.stack.memory.overrideAvailable(0);
  EXPECT_FALSE(library_.ReserveMemory(1));
  EXPECT_EQ(Uses({first, other}), (std::vector<int>{-1, 1}));
  cache_.ReleaseCompiledScript(other);
  cache_.ReleaseCompiledScript(other);  // once too often
  EXPECT_TRUE(Reported(errline::kScriptReleaseTooOften));
  cache_.ReleaseCompiledScript(first);
  EXPECT_TRUE(Reported(errline::kScriptReleaseUnknown));
}

TEST_F(CompiledScriptCacheTest, ClosedFilesTurnStaleAndLeaveAtTheNextTrim) {
  StarFile& file = Open("a.str", {"on a\nend a\n"});
  CompiledScript* before = cache_.GetCompiledScript(file, 0);
  cache_.ReleaseCompiledScript(before);
  ASSERT_EQ(library_.StarClose(file), ProgramCode::kOk);
  CompiledScript* after = cache_.GetCompiledScript(Reopen("a.str"), 0);
  cache_.ReleaseCompiledScript(after);
  cache_.TrimCompiledScripts();
  EXPECT_EQ(Uses({after, before}), (std::vector<int>{0, -1}));
}

TEST_F(CompiledScriptCacheTest, TrimDropsTheLeastRecentlyUsedBeyond128WhenNoneIsHeld) {
  StarFile& file = Open("many.str", std::vector<std::string>(130, "on f\nend f\n"));
  std::vector<CompiledScript*> scripts;
  for (int id = 0; id < 129; ++id) scripts.push_back(cache_.GetCompiledScript(file, id));
  for (CompiledScript* script : scripts) cache_.ReleaseCompiledScript(script);
  // Record 0 is used again, so record 1 is now the one used longest ago.
  cache_.ReleaseCompiledScript(cache_.GetCompiledScript(file, 0));
  cache_.TrimCompiledScripts();
  EXPECT_EQ(Uses({scripts[0], scripts[1], scripts[2]}), (std::vector<int>{0, -1, 0}));
  cache_.TrimCompiledScripts();
  EXPECT_EQ(cache_.size(), 128u) << "128 idle copies stay";

  CompiledScript* held = cache_.GetCompiledScript(file, 129);
  cache_.TrimCompiledScripts();
  EXPECT_TRUE(Reported(errline::kScriptTrimInUse));
  cache_.ReleaseCompiledScript(held);
}

TEST_F(CompiledScriptCacheTest, RecordsThatAreNotScriptsAreFatal) {
  test::WriteStarFile(disk_.stack.files, "appl:junk.str", {{1, 2, 3}});
  StarFile& file = Reopen("junk.str");
  EXPECT_EQ(cache_.GetCompiledScript(file, 0), nullptr);
  EXPECT_TRUE(Reported(errline::kScriptRecordInvalid));
  EXPECT_EQ(cache_.GetCompiledScript(file, 5), nullptr);
  EXPECT_TRUE(Reported(errline::kScriptRecordLoad));
  EXPECT_EQ(cache_.size(), 0u);
  EXPECT_EQ(library_.StarClose(file), ProgramCode::kOk) << "no record was left locked";
}

}  // namespace
}  // namespace lw
