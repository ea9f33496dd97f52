// The compiled-script cache over real star files: sharing, staleness after a close, trimming,
// purging under memory pressure, and the fatal checks.
#include "script/compiled_script_cache.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "script/tokenizer.h"
#include "script_fixture.h"

namespace lw {
namespace {

namespace fs = std::filesystem;

class CompiledScriptCacheTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(dir_);
    boxes_.setPolicy([this](const BoxRequest& box) {
      boxTexts_.push_back(box.text);
      return BoxAnswer::kOk;
    });
  }
  void TearDown() override { fs::remove_all(dir_); }

  // A star file whose records are the compiled `sources`, in order from id 0.
  std::string MakeScriptFile(const std::string& name, const std::vector<std::string>& sources) {
    const std::string path = (dir_ / name).string();
    EXPECT_EQ(StarFile::Create(files_, path, 1, FourCharCode("STAR"), FourCharCode("LWRT")),
              ProgramCode::kOk);
    std::unique_ptr<StarFile> file;
    EXPECT_EQ(StarFile::Open(files_, path, 1, file), ProgramCode::kOk);
    for (const std::string& source : sources) {
      const std::vector<std::uint8_t> bytes = testing::Compile(source).ToBytes();
      std::int32_t id = 0;
      EXPECT_EQ(file->AppendRecord(bytes, id), ProgramCode::kOk);
    }
    EXPECT_EQ(file->Flush(), ProgramCode::kOk);
    return path;
  }

  StarFile& Open(const std::string& path) {
    StarFile* file = nullptr;
    EXPECT_EQ(library_.StarOpen(path, file), ProgramCode::kOk);
    return *file;
  }

  // Whether a box naming `line` as the error line was shown.
  bool Reported(int line) const {
    for (const std::string& text : boxTexts_) {
      if (text.find("line " + std::to_string(line)) != std::string::npos) return true;
    }
    return false;
  }

  fs::path dir_ = fs::temp_directory_path() / ("lw_script_cache_" + std::to_string(::getpid()));
  TerminalBoxes boxes_{nullptr};
  MessageTexts texts_;
  LastPlatformError lastError_;
  VolumeMap volumes_;
  FileAccess files_{volumes_, boxes_, texts_, lastError_};
  ErrorReporter errors_{boxes_, texts_, lastError_};
  StampCounter stamps_;
  std::uint64_t available_ = std::uint64_t{1} << 32;
  StarLibrary library_{files_, errors_, stamps_, [this] { return available_; }};
  CompiledScriptCache cache_{library_, errors_};
  std::vector<std::string> boxTexts_;
};

TEST_F(CompiledScriptCacheTest, SharesOneCopyPerRecordAndCountsUses) {
  StarFile& file = Open(MakeScriptFile("a.str", {"on a\nend a\n", "on b\nend b\n"}));
  CompiledScript* first = cache_.GetCompiledScript(file, 0);
  CompiledScript* again = cache_.GetCompiledScript(file, 0);
  CompiledScript* other = cache_.GetCompiledScript(file, 1);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first, again);
  EXPECT_NE(first, other);
  EXPECT_EQ(cache_.useCount(first), 2);
  EXPECT_EQ(first->ToBytes(), testing::Compile("on a\nend a\n").ToBytes());

  cache_.ReleaseCompiledScript(first);
  cache_.ReleaseCompiledScript(first);
  cache_.ReleaseCompiledScript(other);
  EXPECT_EQ(cache_.useCount(first), 0);
  EXPECT_TRUE(boxTexts_.empty());

  cache_.ReleaseCompiledScript(first);  // once too often
  EXPECT_TRUE(Reported(errline::kScriptReleaseTooOften));
  int unrelated = 0;
  cache_.ReleaseCompiledScript(reinterpret_cast<CompiledScript*>(&unrelated));
  EXPECT_TRUE(Reported(errline::kScriptReleaseUnknown));
}

TEST_F(CompiledScriptCacheTest, ClosedFilesTurnStaleAndLeaveAtTheNextTrim) {
  const std::string path = MakeScriptFile("a.str", {"on a\nend a\n"});
  StarFile& file = Open(path);
  CompiledScript* before = cache_.GetCompiledScript(file, 0);
  cache_.ReleaseCompiledScript(before);
  ASSERT_EQ(library_.StarClose(file), ProgramCode::kOk);

  StarFile& reopened = Open(path);
  CompiledScript* after = cache_.GetCompiledScript(reopened, 0);
  EXPECT_EQ(cache_.size(), 2u) << "a new file gets a fresh copy";
  cache_.ReleaseCompiledScript(after);
  cache_.TrimCompiledScripts();
  EXPECT_EQ(cache_.size(), 1u);
  EXPECT_EQ(cache_.useCount(after), 0);
  EXPECT_EQ(cache_.useCount(before), -1);
}

TEST_F(CompiledScriptCacheTest, TrimDropsTheLeastRecentlyUsedBeyond128) {
  std::vector<std::string> sources(130, "on f\nend f\n");
  StarFile& file = Open(MakeScriptFile("many.str", sources));
  std::vector<CompiledScript*> scripts;
  for (int id = 0; id < 129; ++id) scripts.push_back(cache_.GetCompiledScript(file, id));
  for (CompiledScript* script : scripts) cache_.ReleaseCompiledScript(script);
  // Record 0 is used again, so record 1 is now the one used longest ago.
  cache_.ReleaseCompiledScript(cache_.GetCompiledScript(file, 0));

  cache_.TrimCompiledScripts();
  EXPECT_EQ(cache_.size(), 128u);
  EXPECT_EQ(cache_.useCount(scripts[1]), -1);
  EXPECT_EQ(cache_.useCount(scripts[0]), 0);
  cache_.TrimCompiledScripts();
  EXPECT_EQ(cache_.size(), 128u) << "128 idle copies stay";

  CompiledScript* held = cache_.GetCompiledScript(file, 129);
  cache_.TrimCompiledScripts();
  EXPECT_TRUE(Reported(errline::kScriptTrimInUse)) << "trim runs only when no script is held";
  cache_.ReleaseCompiledScript(held);
}

TEST_F(CompiledScriptCacheTest, MemoryPressurePurgesIdleCopiesOldestFirst) {
  StarFile& file =
      Open(MakeScriptFile("a.str", {"on a\nend a\n", "on b\nend b\n", "on c\nend c\n"}));
  CompiledScript* a = cache_.GetCompiledScript(file, 0);
  CompiledScript* b = cache_.GetCompiledScript(file, 1);
  CompiledScript* c = cache_.GetCompiledScript(file, 2);
  cache_.ReleaseCompiledScript(b);
  cache_.ReleaseCompiledScript(a);  // a used more recently than b; c still held

  available_ = 0;
  EXPECT_FALSE(library_.ReserveMemory(1));
  EXPECT_EQ(cache_.useCount(a), -1);
  EXPECT_EQ(cache_.useCount(b), -1);
  EXPECT_EQ(cache_.useCount(c), 1) << "a script in use is never purged";
  cache_.ReleaseCompiledScript(c);
}

TEST_F(CompiledScriptCacheTest, RecordsThatAreNotScriptsAreFatal) {
  const std::string path = (dir_ / "junk.str").string();
  ASSERT_EQ(StarFile::Create(files_, path, 1, FourCharCode("STAR"), FourCharCode("LWRT")),
            ProgramCode::kOk);
  {
    std::unique_ptr<StarFile> raw;
    ASSERT_EQ(StarFile::Open(files_, path, 1, raw), ProgramCode::kOk);
    const std::vector<std::uint8_t> junk = {1, 2, 3};
    std::int32_t id = 0;
    ASSERT_EQ(raw->AppendRecord(junk, id), ProgramCode::kOk);
    ASSERT_EQ(raw->Flush(), ProgramCode::kOk);
  }
  StarFile& file = Open(path);
  EXPECT_EQ(cache_.GetCompiledScript(file, 0), nullptr);
  EXPECT_TRUE(Reported(errline::kScriptRecordInvalid));
  EXPECT_EQ(cache_.GetCompiledScript(file, 5), nullptr);
  EXPECT_TRUE(Reported(errline::kScriptRecordLoad));
  EXPECT_EQ(cache_.size(), 0u);
  EXPECT_EQ(library_.StarClose(file), ProgramCode::kOk) << "no record was left locked";
}

}  // namespace
}  // namespace lw
