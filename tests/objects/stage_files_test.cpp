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

// The header of the records, to find the ids of the records a case damages.
StageHeader HeaderOf(const Records& records) {
  auto header = ReadStageHeader(records[0]);
  EXPECT_TRUE(header.ok());
  return header.ok() ? *header : StageHeader{};
}

void PutU32(test::Bytes& record, std::size_t offset, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i)
    record[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// Offsets in the stage header and a flat entry (stage_file.h).
constexpr std::size_t kWidthAt = 28;
constexpr std::size_t kHeightAt = 30;
constexpr std::size_t kStageScriptAt = 32;
constexpr std::size_t kFlatCountAt = 2100;
constexpr std::size_t kFirstFlatAt = 2104;
constexpr std::size_t kPictureInEntry = 4;
constexpr std::size_t kButtonsInEntry = 8;
constexpr std::size_t kNameInEntry = 12;
constexpr std::uint32_t kMissingId = 999;

using Damage = std::function<void(Records&)>;

struct HostileCase {
  std::string_view what;
  Damage damage;
  std::string_view fileType;  // empty: a file of text
  std::string_view open;
  std::string_view opened;
  // A line run after the open, and what it gives.
  std::string_view then;
  std::string_view thenGives;
  // The error line of the fatal report the case makes; 0 for none.
  int fatalLine = 0;
};

constexpr std::string_view kOpen = "openstagefile(\"STAGE.STG\")";
constexpr std::string_view kNotFound = "Resource not found.";

// A file that the open refuses: the stage stays closed.
HostileCase Refused(std::string_view what, Damage damage, std::string_view opened, int fatalLine,
                    std::string_view fileType = "FLAT", std::string_view open = kOpen) {
  return {what, std::move(damage), fileType, open, opened, "currentstage()", "\"None\"", fatalLine};
}

// A file that opens (or fails in an event message) and reports the damaged record when `then`
// or the open reads it.
HostileCase Reported(std::string_view what, Damage damage, std::string_view opened,
                     std::string_view then, std::string_view gives, int fatalLine) {
  return {what, std::move(damage), "FLAT", kOpen, opened, then, gives, fatalLine};
}

class StageFilesTest : public StageTitleTest {};

TEST_F(StageFilesTest, HostileStageFilesAreRefusedOrReported) {
  const HostileCase cases[] = {
      Refused("a star file of another type", {}, "Wrong type of file.", 0, "STAR"),
      Refused("a name that is not 8.3", {}, "Must use 8.3 filenames.", 0, "FLAT",
              "openstagefile(\"STAGEFILE.STAGE\")"),
      Refused("a file that is not there", {}, "Can't find file error.", 0, "FLAT",
              "openstagefile(\"ELSE.STG\")"),
      Refused("no star file at all", {}, "Wrong type of file.", 5120, ""),
      Refused(
          "a stage 640 wide", [](Records& r) { r[0][kWidthAt] = 0x80, r[0][kWidthAt + 1] = 2; },
          kNotFound, 5123),
      Refused(
          "a stage 0 high", [](Records& r) { r[0][kHeightAt] = 0, r[0][kHeightAt + 1] = 0; },
          kNotFound, 5123),
      Refused(
          "a header cut short", [](Records& r) { r[0].resize(2000); }, kNotFound, 5122),
      Refused(
          "a flat count past the record",
          [](Records& r) { PutU32(r[0], kFlatCountAt, 0x40000000); }, kNotFound, 5122),
      Refused(
          "no flats", [](Records& r) { PutU32(r[0], kFlatCountAt, 0); }, kNotFound, 5124),
      Refused(
          "a flat name longer than 15", [](Records& r) { r[0][kFirstFlatAt + kNameInEntry] = 200; },
          kNotFound, 5122),
      Refused(
          "no record 0", [](Records& r) { r.clear(); }, kNotFound, 5121),
      Reported(
          "a stage script that does not exist",
          [](Records& r) { PutU32(r[0], kStageScriptAt, kMissingId); }, kNotFound, "currentstage()",
          "\"Moss\"", 4300),
      Reported(
          "a picture that does not exist",
          [](Records& r) { PutU32(r[0], kFirstFlatAt + kPictureInEntry, kMissingId); }, "OK",
          "currentflat()", "\"Hall\"", 5126),
      Reported(
          "a picture that does not decode",
          [](Records& r) {
            r[HeaderOf(r).flats[0].pictureId] = {0x7F, 0x01, 0x00, 0x02, 99};
          },
          "OK", "currentflat()", "\"Hall\"", 5127),
      Reported(
          "a button record that does not exist",
          [](Records& r) { PutU32(r[0], kFirstFlatAt + kButtonsInEntry, kMissingId); }, "OK",
          "countbuttons(\"Hall\")", kNotFound, 5128),
      Reported(
          "a button record shorter than its count",
          [](Records& r) { r[HeaderOf(r).flats[0].buttonRecordId].resize(4 + 32 + 10); }, "OK",
          "\"\" @ hittest(makepoint(20, 20)) @ result()", kNotFound, 5129),
  };
  UseScript(kBootScript);
  for (const HostileCase& c : cases) {
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
    run.Expect({{c.open, c.opened}, {c.then, c.thenGives}});
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
