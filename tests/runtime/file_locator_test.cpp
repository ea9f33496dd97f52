// Path slots and the file locator: the slot table's range checks, the 8.3 rule, the memory
// check and the search through slots 1..8.
#include "runtime/file_locator.h"

#include <gtest/gtest.h>

#include "runtime/error_lines.h"
#include "runtime/path_slots.h"
#include "support/temp_folder.h"

namespace lw {
namespace {

// The storage layers over a scratch title folder, with every box recorded and answered Ok.
class LocatorTest : public ::testing::Test {
 protected:
  LocatorTest()
      : volumes_(scratch_.path()),
        files_(volumes_, boxes_, texts_, lastError_),
        errors_(boxes_, texts_, lastError_),
        library_(files_, errors_, stamps_, [this] { return available_; }),
        slots_(errors_),
        locator_(slots_, library_, files_, errors_) {
    boxes_.setPolicy([this](const BoxRequest& request) {
      shown_.push_back(request.text);
      return BoxAnswer::kOk;
    });
  }

  // The box text of a runtime report at `line`.
  std::string ReportText(std::int16_t line) const {
    return WrapForBox(errors_.ComposeMessage(kRuntimeProgramCode, line, lastError_.get()));
  }

  // The result of locating `name`, and the path found.
  ScriptError Locate(std::string_view name, std::string* path = nullptr) {
    std::string found;
    const ScriptError e = locator_.LocateFile(name, found);
    if (path != nullptr) *path = found;
    return e;
  }

  test::TempFolder scratch_;
  TerminalBoxes boxes_{nullptr};
  MessageTexts texts_;
  LastPlatformError lastError_;
  VolumeMap volumes_;
  FileAccess files_;
  ErrorReporter errors_;
  StampCounter stamps_;
  std::uint64_t available_ = std::uint64_t{1} << 32;
  StarLibrary library_;
  PathSlots slots_;
  FileLocator locator_;
  std::vector<std::string> shown_;
};

TEST_F(LocatorTest, PathSlotsStartAtTheTitleFolderAndCheckTheirRange) {
  for (int i = 0; i < PathSlots::kCount; ++i) EXPECT_EQ(slots_.get(i), "appl:");
  slots_.set(8, "DISC:DATA:");
  EXPECT_EQ(slots_.get(8), "DISC:DATA:");
  slots_.set(3, std::string(300, 'x'));
  EXPECT_EQ(slots_.get(3), std::string(255, 'x'));
  EXPECT_TRUE(shown_.empty());

  EXPECT_EQ(slots_.get(9), "");
  EXPECT_EQ(slots_.get(-1), "");
  slots_.set(9, "lost");
  const std::vector<std::string> expected = {ReportText(errline::kPathSlotGet),
                                             ReportText(errline::kPathSlotGet),
                                             ReportText(errline::kPathSlotSet)};
  EXPECT_EQ(shown_, expected);
  EXPECT_EQ(slots_.get(8), "DISC:DATA:");
}

TEST_F(LocatorTest, NamesMustBeEightThreeNames) {
  scratch_.writeFile("ABCDEFGH.TXT", "x");
  const std::pair<std::string_view, bool> names[] = {
      {"ABCDEFGH.TXT", true},   {"ABC", true},         {"A.B", true},
      {"ABCDEFGHIJKL", true},   {"ab1.x", true},       {"AB", false},
      {"ABCDEFGHIJKLM", false}, {"1ABC.TXT", false},   {".ABC", false},
      {"ABCDEFGHI.TX", false},  {"ABC.TEXT", false},   {"ABC.", false},
      {"A.B.C", false},         {"ABC DEF.TXT", true},
  };
  for (const auto& [name, accepted] : names) {
    EXPECT_EQ(IsEightThreeName(name), accepted) << name;
    if (!accepted) {
      EXPECT_EQ(Locate(name), ScriptError::MustUse83Filenames) << name;
    }
  }
  EXPECT_TRUE(shown_.empty());
}

TEST_F(LocatorTest, SearchesSlotsOneToEightInOrder) {
  scratch_.writeFile("zero/ONLY0.DAT", "x");
  scratch_.writeFile("three/BOTH.DAT", "x");
  scratch_.writeFile("six/BOTH.DAT", "x");
  scratch_.writeFile("six/LATE.DAT", "x");
  slots_.set(0, "appl:zero:");
  slots_.set(1, "appl:one:");
  slots_.set(3, "appl:three:");
  slots_.set(6, "appl:six:");
  std::string path;
  EXPECT_EQ(Locate("BOTH.DAT", &path), ScriptError::None);
  EXPECT_EQ(path, "appl:three:BOTH.DAT");
  EXPECT_EQ(Locate("late.dat", &path), ScriptError::None);
  EXPECT_EQ(path, "appl:six:late.dat");
  EXPECT_EQ(Locate("ONLY0.DAT"), ScriptError::CantFindFile) << "slot 0 is not searched";
  EXPECT_EQ(Locate("NONE.DAT"), ScriptError::CantFindFile);
  EXPECT_TRUE(shown_.empty());
}

// An open star file counts as found even when nothing of that name is on disk any more.
TEST_F(LocatorTest, OpenStarFilesAreFoundByPath) {
  const std::string file = (scratch_.makeFolder("two") / "GAME.STR").string();
  ASSERT_FALSE(
      Failed(StarFile::Create(files_, file, 1, FourCharCode("STAR"), FourCharCode("LWRT"))));
  StarFile* open = nullptr;
  ASSERT_FALSE(Failed(library_.StarOpen("APPL:TWO:game.str", open)));
  std::filesystem::remove(file);
  slots_.set(2, "appl:two:");
  std::string path;
  EXPECT_EQ(Locate("GAME.STR", &path), ScriptError::None);
  EXPECT_EQ(path, "appl:two:GAME.STR");
  ASSERT_FALSE(Failed(library_.StarClose(*open)));
  EXPECT_EQ(Locate("GAME.STR"), ScriptError::CantFindFile);
}

TEST_F(LocatorTest, NeedsRoomInTheResourceCache) {
  scratch_.writeFile("FOUND.DAT", "x");
  available_ = 0;
  EXPECT_EQ(Locate("FOUND.DAT"), ScriptError::NotEnoughMemory);
  EXPECT_TRUE(shown_.empty()) << "no room is an answer, not a fault";

  library_.setMemoryHook([](std::int64_t&) { return ProgramCode::kMemory; });
  EXPECT_EQ(Locate("FOUND.DAT"), ScriptError::NotEnoughMemory);
  EXPECT_EQ(shown_, (std::vector<std::string>{ReportText(errline::kLocateFileMemory)}));

  library_.setMemoryHook({});
  available_ = std::uint64_t{1} << 32;
  EXPECT_EQ(Locate("FOUND.DAT"), ScriptError::None);
}

}  // namespace
}  // namespace lw
