// Path slots and the file locator of a booted title: the slot table's range checks, the 8.3
// rule, the memory check and the search through slots 1..8.
#include "runtime/file_locator.h"

#include <gtest/gtest.h>

#include "runtime/path_slots.h"
#include "support/runtime_title.h"

namespace lw::testing {
namespace {

class LocatorTest : public TitleTest {
 protected:
  void SetUp() override { Boot(kRecordingScript); }

  // The result of locating `name` and the path found: "None appl:three:BOTH.DAT".
  std::string Locate(std::string_view name) {
    std::string found;
    const ScriptError e = runtime().fileLocator()->LocateFile(name, found);
    const std::string code = e == ScriptError::None                 ? "None"
                             : e == ScriptError::MustUse83Filenames ? "Must use 8.3"
                             : e == ScriptError::CantFindFile       ? "Can't find"
                             : e == ScriptError::NotEnoughMemory    ? "No memory"
                                                                    : "?";
    return found.empty() ? code : code + " " + found;
  }
};

TEST_F(LocatorTest, PathSlotsStartAtTheTitleFolderAndCheckTheirRange) {
  PathSlots& slots = *runtime().pathSlots();
  for (int i = 0; i < PathSlots::kCount; ++i) EXPECT_EQ(slots.get(i), "appl:");
  slots.set(8, "DISC:DATA:");
  slots.set(3, std::string(300, 'x'));
  EXPECT_EQ(slots.get(8), "DISC:DATA:");
  EXPECT_EQ(slots.get(3), std::string(255, 'x'));
  EXPECT_EQ(run_->Boxes(), "");
  EXPECT_EQ(slots.get(9) + slots.get(-1), "");
  slots.set(9, "lost");
  EXPECT_EQ(run_->Boxes(),
            UndefinedErrorLine(5209) + UndefinedErrorLine(5209) + UndefinedErrorLine(5210));
  EXPECT_EQ(slots.get(8), "DISC:DATA:");
}

TEST_F(LocatorTest, NamesMustBeEightThreeNames) {
  scratch_.writeFile("title/ABCDEFGH.TXT", "x");
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
  EXPECT_EQ(run_->Boxes(), "");
}

// Slot 0 is not searched; an open star file counts as found even when nothing of that name is
// on disk any more.
TEST_F(LocatorTest, SearchesSlotsOneToEightInOrder) {
  for (const char* file :
       {"title/zero/ONLY0.DAT", "title/three/BOTH.DAT", "title/six/BOTH.DAT", "title/six/LATE.DAT"})
    scratch_.writeFile(file, "x");
  StarLibrary& library = runtime().library();
  const std::string star = (scratch_.makeFolder("title/two") / "GAME.STR").string();
  ASSERT_FALSE(Failed(
      StarFile::Create(runtime().files(), star, 1, FourCharCode("STAR"), FourCharCode("LWRT"))));
  StarFile* open = nullptr;
  ASSERT_FALSE(Failed(library.StarOpen("APPL:TWO:game.str", open)));
  std::filesystem::remove(star);
  for (const auto& [slot, path] : {std::pair{0, "appl:zero:"},
                                   {1, "appl:one:"},
                                   {2, "appl:two:"},
                                   {3, "appl:three:"},
                                   {6, "appl:six:"}})
    runtime().pathSlots()->set(slot, path);
  std::string found;
  for (const char* name : {"BOTH.DAT", "late.dat", "ONLY0.DAT", "NONE.DAT", "GAME.STR"})
    found += Locate(name) + "; ";
  ASSERT_FALSE(Failed(library.StarClose(*open)));
  found += Locate("GAME.STR");
  EXPECT_EQ(found,
            "None appl:three:BOTH.DAT; None appl:six:late.dat; Can't find; Can't find; "
            "None appl:two:GAME.STR; Can't find");
  EXPECT_EQ(run_->Boxes(), "");
}

// No room is an answer, not a fault; a cache that fails while making room is a fault.
TEST_F(LocatorTest, NeedsRoomInTheResourceCache) {
  scratch_.writeFile("title/FOUND.DAT", "x");
  runtime().memory().overrideAvailable(0);
  EXPECT_EQ(Locate("FOUND.DAT"), "No memory");
  EXPECT_EQ(run_->Boxes(), "");
  runtime().library().setMemoryHook([](std::int64_t&) { return ProgramCode::kMemory; });
  EXPECT_EQ(Locate("FOUND.DAT"), "No memory");
  EXPECT_EQ(run_->Boxes(), UndefinedErrorLine(5211));
  runtime().library().setMemoryHook({});
  runtime().memory().overrideAvailable(std::uint64_t{1} << 32);
  EXPECT_EQ(Locate("FOUND.DAT"), "None appl:FOUND.DAT");
}

}  // namespace
}  // namespace lw::testing
