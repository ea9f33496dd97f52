// Path slots and the file locator: the slot table's range checks, the 8.3 rule, the memory
// check and the search through slots 1..8.
#include "runtime/file_locator.h"

#include <gtest/gtest.h>

#include "runtime/path_slots.h"
#include "support/runtime_title.h"

namespace lw::testing {
namespace {

// Boxes that are recorded and answered Ok.
struct RecordingBoxes final : BoxPresenter {
  BoxAnswer showBox(const BoxRequest& request) override {
    shown.push_back(request);
    return BoxAnswer::kOk;
  }
  std::vector<BoxRequest> shown;
};

// The storage layers over a scratch title folder.
class LocatorTest : public ::testing::Test {
 protected:
  // The result of locating `name` and the path found: "None appl:three:BOTH.DAT".
  std::string Locate(std::string_view name) {
    std::string found;
    const ScriptError e = locator_.LocateFile(name, found);
    const std::string code = e == ScriptError::None                 ? "None"
                             : e == ScriptError::MustUse83Filenames ? "Must use 8.3"
                             : e == ScriptError::CantFindFile       ? "Can't find"
                             : e == ScriptError::NotEnoughMemory    ? "No memory"
                                                                    : "?";
    return found.empty() ? code : code + " " + found;
  }

  test::TempFolder scratch_;
  RecordingBoxes boxes_;
  MessageTexts texts_;
  LastPlatformError lastError_;
  platform::EmptySystemInfo system_;
  VolumeMap volumes_{scratch_.path(), system_};
  FileAccess files_{volumes_, boxes_, texts_, lastError_};
  ErrorReporter errors_{boxes_, texts_, lastError_};
  StampCounter stamps_;
  std::uint64_t available_ = std::uint64_t{1} << 32;
  StarLibrary library_{files_, errors_, stamps_, [this] { return available_; }};
  PathSlots slots_{errors_};
  FileLocator locator_{slots_, library_, files_, errors_};
};

std::string UndefinedAt(int line) {
  return FatalBoxLine("Undefined error at line " + std::to_string(line) +
                      " (code 0).  Select Ok to continue, or Cancel to quit Loomwork.");
}

TEST_F(LocatorTest, PathSlotsStartAtTheTitleFolderAndCheckTheirRange) {
  for (int i = 0; i < PathSlots::kCount; ++i) EXPECT_EQ(slots_.get(i), "appl:");
  slots_.set(8, "DISC:DATA:");
  slots_.set(3, std::string(300, 'x'));
  EXPECT_EQ(slots_.get(8), "DISC:DATA:");
  EXPECT_EQ(slots_.get(3), std::string(255, 'x'));
  EXPECT_EQ(BoxLines(boxes_.shown), "");
  EXPECT_EQ(slots_.get(9) + slots_.get(-1), "");
  slots_.set(9, "lost");
  EXPECT_EQ(BoxLines(boxes_.shown), UndefinedAt(5209) + UndefinedAt(5209) + UndefinedAt(5210));
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
      EXPECT_EQ(Locate(name), "Must use 8.3") << name;
    }
  }
  EXPECT_EQ(Locate("ABCDEFGH.TXT"), "None appl:ABCDEFGH.TXT");
  EXPECT_EQ(BoxLines(boxes_.shown), "");
}

// Slot 0 is not searched; an open star file counts as found even when nothing of that name is
// on disk any more.
TEST_F(LocatorTest, SearchesSlotsOneToEightInOrder) {
  for (const char* file : {"zero/ONLY0.DAT", "three/BOTH.DAT", "six/BOTH.DAT", "six/LATE.DAT"})
    scratch_.writeFile(file, "x");
  const std::string star = (scratch_.makeFolder("two") / "GAME.STR").string();
  ASSERT_FALSE(
      Failed(StarFile::Create(files_, star, 1, FourCharCode("STAR"), FourCharCode("LWRT"))));
  StarFile* open = nullptr;
  ASSERT_FALSE(Failed(library_.StarOpen("APPL:TWO:game.str", open)));
  std::filesystem::remove(star);
  for (const auto& [slot, path] : {std::pair{0, "appl:zero:"},
                                   {1, "appl:one:"},
                                   {2, "appl:two:"},
                                   {3, "appl:three:"},
                                   {6, "appl:six:"}})
    slots_.set(slot, path);
  std::string found;
  for (const char* name : {"BOTH.DAT", "late.dat", "ONLY0.DAT", "NONE.DAT", "GAME.STR"})
    found += Locate(name) + "; ";
  ASSERT_FALSE(Failed(library_.StarClose(*open)));
  found += Locate("GAME.STR");
  EXPECT_EQ(found,
            "None appl:three:BOTH.DAT; None appl:six:late.dat; Can't find; Can't find; "
            "None appl:two:GAME.STR; Can't find");
  EXPECT_EQ(BoxLines(boxes_.shown), "");
}

// No room is an answer, not a fault; a cache that fails while making room is a fault.
TEST_F(LocatorTest, NeedsRoomInTheResourceCache) {
  scratch_.writeFile("FOUND.DAT", "x");
  available_ = 0;
  EXPECT_EQ(Locate("FOUND.DAT"), "No memory");
  EXPECT_EQ(BoxLines(boxes_.shown), "");
  library_.setMemoryHook([](std::int64_t&) { return ProgramCode::kMemory; });
  EXPECT_EQ(Locate("FOUND.DAT"), "No memory");
  EXPECT_EQ(BoxLines(boxes_.shown), UndefinedAt(5211));
  library_.setMemoryHook({});
  available_ = std::uint64_t{1} << 32;
  EXPECT_EQ(Locate("FOUND.DAT"), "None appl:FOUND.DAT");
}

}  // namespace
}  // namespace lw::testing
