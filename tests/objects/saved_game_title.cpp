#include "saved_game_title.h"

#include <vector>

#include "objects/track_file.h"
#include "support/storage_sound_records.h"

namespace lw::testing {
namespace {

constexpr std::string_view kStateLines[] = {
    "countactors()",
    "indextoactor(4)",
    "actorxyz(\"robin\", 2)",
    "actordeg(\"robin\")",
    "walkdest(\"robin\")",
    "actorvalue(\"wren\")",
    "countcasts()",
    "indextocast(1)",
    "countshops()",
    "propxyz(\"ball\", 1)",
    "isball(\"ball\")",
    "countloops(\"actor\")",
    "pauseloop(\"actor\", \"wren\")",
    "currentstage()",
    "currentflat()",
    "currentset()",
    "currentscene()",
    "currentdir()",
    "counttracks()",
    "soundvol(\"ding\")",
    "currenttheme(2)",
    "hit",
    "countglobals()",
    "frame()",
    "path(1)",
};

}  // namespace

void SavedGameTitleTest::Start(std::string_view input) {
  std::vector<test::Bytes> records{WriteTrackHeader({"Tune", {"ding"}, {"tune"}, {1}})};
  records.resize(3, test::SoundRecordOf(22050, std::vector<std::uint8_t>(8 * 1024, 128)));
  WriteStageFile(title_, "TUNE.SNG", records, kTrackFileType);
  StartFigures(false, input);
}

void SavedGameTitleTest::Play() {
  for (const std::string_view line :
       {"openstagefile(\"stage.stg\")", "gotoflat(2)", "opensetfile(\"set.scn\")",
        "opencastfile(\"cast.cst\")", "openshopfile(\"shop.shp\")", "opentrackfile(\"tune.sng\")",
        "actorinstance(\"robin\", \"robin2\")", "actorvalue(\"wren\", 7)", "soundvol(\"ding\", 90)",
        "playtheme(\"tune\")", "walktostar(\"robin\", \"bench\")",
        "makeball(\"ball\", 2, 0, 4, 0, true, 30)", "makeloop(\"actor\", \"wren\", \"chime\", 50)",
        "pauseloop(\"actor\", \"wren\", true)", "hit = \"kept\""})
    ASSERT_EQ(run_->Eval(line), "OK") << line;
  for (int i = 0; i < 6; ++i) ASSERT_EQ(Step(), "OK");
  TakeLog();
}

std::string SavedGameTitleTest::State() {
  std::string state;
  for (const std::string_view line : kStateLines)
    state += std::string(line) + " = " + run_->Eval(line) + "\n";
  return state;
}

}  // namespace lw::testing
