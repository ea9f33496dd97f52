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

// A slot keeps at most 255 characters; a slot outside 0..8 is reported and reads empty.
TEST_F(LocatorTest, PathSlotsCheckTheirRange) {
  PathSlots& slots = *runtime().pathSlots();
  slots.set(3, std::string(300, 'x'));
  EXPECT_EQ(slots.get(3), std::string(255, 'x'));
  slots.set(9, "lost");
  EXPECT_EQ(slots.get(9) + slots.get(-1), "");
  EXPECT_EQ(run_->Boxes(),
            UndefinedErrorLine(5210) + UndefinedErrorLine(5209) + UndefinedErrorLine(5209));
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
  for (const auto& [name, accepted] : names) EXPECT_EQ(IsEightThreeName(name), accepted) << name;
  EXPECT_EQ(Locate("ABCDEFGH.TXT") + "; " + Locate("ABC.TEXT"),
            "None appl:ABCDEFGH.TXT; Must use 8.3");
  EXPECT_EQ(run_->Boxes(), "");
}

// Slot 0 is not searched; an open star file counts as found even when nothing of that name is
// on disk any more.
TEST_F(LocatorTest, SearchesSlotsOneToEightInOrder) {
  for (const char* file : {"title/zero/ONLY0.DAT", "title/three/BOTH.DAT", "title/eight/BOTH.DAT",
                           "title/eight/LATE.DAT"})
    scratch_.writeFile(file, "x");
  StarLibrary& library = runtime().library();
  const std::string star = (scratch_.makeFolder("title/two") / "GAME.STR").string();
  ASSERT_FALSE(Failed(
      StarFile::Create(runtime().files(), star, 1, FourCharCode("STAR"), FourCharCode("LWRT"))));
  StarFile* open = nullptr;
  ASSERT_FALSE(Failed(library.StarOpen("APPL:TWO:game.str", open)));
  std::filesystem::remove(star);
  const char* paths[] = {"appl:zero:", "appl:one:", "appl:two:", "appl:three:", "",
                         "",           "",          "",          "appl:eight:"};
  for (int slot = 0; slot < PathSlots::kCount; ++slot)
    if (*paths[slot] != '\0') runtime().pathSlots()->set(slot, paths[slot]);
  std::string found;
  for (const char* name : {"BOTH.DAT", "late.dat", "ONLY0.DAT", "NONE.DAT", "GAME.STR"})
    found += Locate(name) + "; ";
  ASSERT_FALSE(Failed(library.StarClose(*open)));
  found += Locate("GAME.STR");
  EXPECT_EQ(found,
            "None appl:three:BOTH.DAT; None appl:eight:late.dat; Can't find; Can't find; "
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
