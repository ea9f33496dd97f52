// Stage files that are not what they claim: each is refused with a script error, or reported
// as a fatal error while the title goes on, and none crashes the run or reads past a record.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>

#include "objects/stage_file.h"
#include "stage_title.h"

namespace lw::testing {
namespace {

using Records = std::vector<test::Bytes>;
using StageFilesTest = StageTitleTest;

void PutU32(test::Bytes& record, std::size_t offset, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i)
    record[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// Offsets in the stage header (stage_file.h): the width at 28, the stage script at 32, the flat
// count at 2100 and the first flat entry, whose picture, button record and name are at 4, 8 and
// 12 in it. The sample stage's Hall has its picture in record 2 and its buttons in record 3.
constexpr std::size_t kFirstFlatAt = 2104;
constexpr std::uint32_t kMissingId = 999;
constexpr std::string_view kNotFound = "Resource not found.";

// Files that are no stage file are refused when opened; one that is no star file at all is also
// reported as fatal.
TEST_F(StageFilesTest, FilesThatAreNoStageFilesAreRefused) {
  WriteStageFile(title_, "STAR.STG", StageRecords(SampleStage()), "STAR");
  std::ofstream(title_ / "TEXT.STG") << "not a star file, though long enough to be read";
  TitleRun& run = Start();
  run.Expect({{"openstagefile(\"STAR.STG\")", "Wrong type of file. | 0"},
              {"openstagefile(\"STAGEFILE.STAGE\")", "Must use 8.3 filenames. | 0"},
              {"openstagefile(\"ELSE.STG\")", "Can't find file error. | 0"},
              {"openstagefile(\"TEXT.STG\")", "Wrong type of file. | 1"},
              {"currentstage()", "\"None\" | 1"}},
             [&] { return std::to_string(std::ranges::count(run.Boxes(), '\n')); });
  EXPECT_NE(run.Boxes().find("line 5120"), std::string::npos) << run.Boxes();
}

// Each damage, the open's outcome, the error line of the fatal report it makes, and a line run
// after the open with what it gives: a refused file leaves the stage closed.
TEST_F(StageFilesTest, HostileStageFilesAreRefusedOrReported) {
  const struct {
    std::function<void(Records&)> damage;
    std::string_view opened;
    int fatalLine;
    std::string_view then = "currentstage()";
    std::string_view gives = "\"None\"";
  } cases[] = {
      {[](Records& r) { r[0][28] = 0x80, r[0][29] = 2; }, kNotFound, 5123},  // 640 wide
      {[](Records& r) { r[0].resize(2000); }, kNotFound, 5122},
      {[](Records& r) { PutU32(r[0], 2100, 0x40000000); }, kNotFound, 5122},  // flats past it
      {[](Records& r) { PutU32(r[0], 2100, 0); }, kNotFound, 5124},           // no flats
      {[](Records& r) { r[0][kFirstFlatAt + 12] = 200; }, kNotFound, 5122},   // a long name
      {[](Records& r) { r.clear(); }, kNotFound, 5121},
      {[](Records& r) { PutU32(r[0], 32, kMissingId); }, kNotFound, 4300, "currentstage()",
       "\"Moss\""},
      // A flat's picture that does not exist or does not decode; its button record that does
      // not exist or is shorter than its count.
      {[](Records& r) { PutU32(r[0], kFirstFlatAt + 4, kMissingId); }, "OK", 5126, "currentflat()",
       "\"Hall\""},
      {[](Records& r) {
         r[2] = {0x7F, 0x01, 0x00, 0x02, 99};
       },
       "OK", 5127, "currentflat()", "\"Hall\""},
      {[](Records& r) { PutU32(r[0], kFirstFlatAt + 8, kMissingId); }, "OK", 5128,
       "countbuttons(\"Hall\")", kNotFound},
      {[](Records& r) { r[3].resize(4 + 32 + 10); }, "OK", 5129,
       "\"\" @ hittest(makepoint(20, 20)) @ result()", kNotFound},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fatalLine);
    Records records = StageRecords(SampleStage());
    c.damage(records);
    run_.reset();
    WriteStageFile(title_, "STAGE.STG", records);
    TitleRun& run = Start();
    run.Expect({{"openstagefile(\"STAGE.STG\")", c.opened}, {c.then, c.gives}});
    EXPECT_NE(run.Boxes().find("line " + std::to_string(c.fatalLine)), std::string::npos)
        << run.Boxes();
    // Whatever the file did, the stage layer shows nothing but the flat or colour 0.
    const std::uint8_t corner = runtime().stageDisplay()->stageLayer().at(0, 0);
    EXPECT_TRUE(corner == 0 || corner == kHallColour);
  }
}

// The stage's star file is parked when the stage closes, with record 0 released, so that the
// same file opens again at once, and the runtime stop does the same for a stage left open.
TEST_F(StageFilesTest, ClosingParksTheStageFile) {
  TitleRun& run = Start();
  run.Expect({{"openstagefile(\"STAGE.STG\")", "OK"}, {"closestagefile()", "OK"}});
  ASSERT_EQ(runtime().library().parkedFiles().size(), 1u);
  for (const CachedRecord& record : runtime().library().parkedFiles()[0]->cache)
    EXPECT_EQ(record.lockCount, 0);
  run.Expect({{"openstagefile(\"STAGE.STG\")", "OK"}});
  EXPECT_TRUE(runtime().library().parkedFiles().empty());
  runtime().stageObjects()->ShutDown();
  EXPECT_EQ(runtime().library().parkedFiles().size(), 1u);
  EXPECT_EQ(run.Eval("currentstage()"), "\"None\"");
  EXPECT_EQ(run.End(), Runtime::kExitOk);
}

}  // namespace
}  // namespace lw::testing
