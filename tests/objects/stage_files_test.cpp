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

void PutU32(test::Bytes& record, std::size_t offset, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i)
    record[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// Offsets in the stage header (stage_file.h): the width at 28, the stage script at 32, the flat
// count at 2100 and the first flat entry, whose picture, button record and name are at 4, 8 and
// 12 in it. The sample stage's Hall has its picture in record 2 and its buttons in record 3.
constexpr std::size_t kFirstFlatAt = 2104;
constexpr std::uint32_t kMissingId = 999;
constexpr std::string_view kOpen = "openstagefile(\"STAGE.STG\")";
constexpr std::string_view kNotFound = "Resource not found.";

class StageFilesTest : public StageTitleTest {};

TEST_F(StageFilesTest, HostileStageFilesAreRefusedOrReported) {
  const struct {
    std::string_view what;
    std::function<void(Records&)> damage;
    std::string_view opened;
    int fatalLine;  // the error line of the fatal report the case makes; 0 for none
    // A line run after the open, and what it gives: a refused file leaves the stage closed.
    std::string_view then = "currentstage()";
    std::string_view gives = "\"None\"";
    std::string_view open = kOpen;
    std::string_view fileType = "FLAT";  // empty: a file of text
  } cases[] = {
      {"a star file of another type", nullptr, "Wrong type of file.", 0, "currentstage()",
       "\"None\"", kOpen, "STAR"},
      {"a name that is not 8.3", nullptr, "Must use 8.3 filenames.", 0, "currentstage()",
       "\"None\"", "openstagefile(\"STAGEFILE.STAGE\")"},
      {"a file that is not there", nullptr, "Can't find file error.", 0, "currentstage()",
       "\"None\"", "openstagefile(\"ELSE.STG\")"},
      {"no star file at all", nullptr, "Wrong type of file.", 5120, "currentstage()", "\"None\"",
       kOpen, ""},
      {"a stage 640 wide", [](Records& r) { r[0][28] = 0x80, r[0][29] = 2; }, kNotFound, 5123},
      {"a header cut short", [](Records& r) { r[0].resize(2000); }, kNotFound, 5122},
      {"a flat count past the record", [](Records& r) { PutU32(r[0], 2100, 0x40000000); },
       kNotFound, 5122},
      {"no flats", [](Records& r) { PutU32(r[0], 2100, 0); }, kNotFound, 5124},
      {"a flat name longer than 15", [](Records& r) { r[0][kFirstFlatAt + 12] = 200; }, kNotFound,
       5122},
      {"no record 0", [](Records& r) { r.clear(); }, kNotFound, 5121},
      {"a stage script that does not exist", [](Records& r) { PutU32(r[0], 32, kMissingId); },
       kNotFound, 4300, "currentstage()", "\"Moss\""},
      {"a picture that does not exist",
       [](Records& r) { PutU32(r[0], kFirstFlatAt + 4, kMissingId); }, "OK", 5126, "currentflat()",
       "\"Hall\""},
      {"a picture that does not decode",
       [](Records& r) {
         r[2] = {0x7F, 0x01, 0x00, 0x02, 99};
       },
       "OK", 5127, "currentflat()", "\"Hall\""},
      {"a button record that does not exist",
       [](Records& r) { PutU32(r[0], kFirstFlatAt + 8, kMissingId); }, "OK", 5128,
       "countbuttons(\"Hall\")", kNotFound},
      {"a button record shorter than its count", [](Records& r) { r[3].resize(4 + 32 + 10); }, "OK",
       5129, "\"\" @ hittest(makepoint(20, 20)) @ result()", kNotFound},
  };
  UseScript(kBootScript);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Records records = test::StageRecords(SampleStage());
    if (c.damage) c.damage(records);
    if (c.fileType.empty()) {
      std::ofstream(title_ / "STAGE.STG") << "not a star file, though long enough to be read";
    } else {
      test::WriteStageFile(title_, "STAGE.STG", records, c.fileType);
    }
    TitleRun run(title_, "");
    ASSERT_TRUE(run.Begin());
    run.Settle();
    run.Expect({{c.open, c.opened}, {c.then, c.gives}});
    const std::string boxes = run.Boxes();
    if (c.fatalLine == 0) {
      EXPECT_EQ(boxes, "");
    } else {
      EXPECT_NE(boxes.find("line " + std::to_string(c.fatalLine)), std::string::npos) << boxes;
    }
    // Whatever the file did, the stage layer shows nothing but the flat or colour 0.
    const Surface& layer = run.runtime().stageDisplay()->stageLayer();
    EXPECT_TRUE(layer.at(0, 0) == 0 || layer.at(0, 0) == kHallColour);
  }
}

// The stage's star file is parked when the stage closes, with record 0 released, so that the
// same file opens again at once, and the runtime stop does the same for a stage left open.
TEST_F(StageFilesTest, ClosingParksTheStageFile) {
  TitleRun& run = Start();
  run.Expect({{"openstagefile(\"STAGE.STG\")", "OK"}, {"closestagefile()", "OK"}});
  ASSERT_EQ(runtime().library().parkedFiles().size(), 1u);
  StarFile& file = *runtime().library().parkedFiles()[0];
  for (const CachedRecord& record : file.cache) EXPECT_EQ(record.lockCount, 0);
  run.Expect({{"openstagefile(\"STAGE.STG\")", "OK"}});
  EXPECT_TRUE(runtime().library().parkedFiles().empty());
  runtime().stageObjects()->ShutDown();
  EXPECT_EQ(runtime().library().parkedFiles().size(), 1u);
  EXPECT_EQ(run.Eval("currentstage()"), "\"None\"");
  EXPECT_EQ(run.End(), Runtime::kExitOk);
}

}  // namespace
}  // namespace lw::testing
