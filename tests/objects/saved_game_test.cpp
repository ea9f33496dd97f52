// Saved games played by a headless title: a game with a stage, a set, casts, a shop, a track with
// its theme, a walk on a path, a ball, a loop and globals is saved, changed and opened again, and
// every built-in that reads that state gives what it gave at saving. Refused files, cancelled
// dialogs and failed saves leave the running game as it was.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/byte_io.h"
#include "media/star_file.h"
#include "objects/saved_game_header.h"
#include "objects/saved_game_reader.h"
#include "saved_game_title.h"

namespace lw::testing {
namespace {

constexpr std::string_view kNotSaved = "This is not a valid saved game file.";
constexpr std::string_view kOtherTitle =
    "This saved game is from a different version of this title.";

using SavedGameTest = SavedGameTitleTest;

TEST_F(SavedGameTest, EveryKindOfStateComesBack) {
  Start(Choose(game_) + Choose(game_));
  Play();
  const std::string before = State();
  EXPECT_EQ(before,
            "countactors() = 4\nindextoactor(4) = \"robin2\"\nactorxyz(\"robin\", 2) = 108\n"
            "actordeg(\"robin\") = 64\nwalkdest(\"robin\") = \"bench\"\nactorvalue(\"wren\") = 7\n"
            "countcasts() = 1\nindextocast(1) = \"Birds\"\ncountshops() = 1\n"
            "propxyz(\"ball\", 1) = 112\nisball(\"ball\") = True\ncountloops(\"actor\") = 1\n"
            "pauseloop(\"actor\", \"wren\") = True\ncurrentstage() = \"Moss\"\n"
            "currentflat() = \"Attic\"\ncurrentset() = \"Hall\"\ncurrentscene() = \"a\"\n"
            "currentdir() = \"east\"\ncounttracks() = 1\nsoundvol(\"ding\") = 90\n"
            "currenttheme(2) = \"Tune\"\nhit = \"kept\"\ncountglobals() = 3\nframe() = 6\n"
            "path(1) = \"appl:\"\n");
  Run("savegame(\"Garden\")");
  for (const std::string_view line :
       {"closecastfile(\"birds\")", "gotoflat(1)", "closesetfile()", "hit = \"changed\"",
        "stopball(\"all\")", "closetrackfile(\"tune\")", "opencastfile(\"flock.cst\")"})
    Run(line);
  TakeLog();
  Run("opengame(\"garden\")");
  EXPECT_EQ(State(), before);
  // The log is the saved one, and no object brought back heard an open message.
  EXPECT_EQ(TakeLog(), "\"\"");
  // The walk goes on along its path as if it had never stopped.
  for (int i = 0; i < 13; ++i) ASSERT_EQ(Step(), "OK");
  EXPECT_EQ(run_->Eval("actorxyz(\"robin\", 2)") + " " + run_->Eval("actorxyz(\"robin\", 1)"),
            "160 300");
  EXPECT_EQ(run_->Boxes(), "");
}

TEST_F(SavedGameTest, RefusalsAndFailuresChangeNothing) {
  const std::filesystem::path text = saves_ / "notes.rtd";
  std::ofstream(text) << "not a saved game";
  const std::filesystem::path cut = saves_ / "cut.rtd";
  const std::filesystem::path missing = saves_ / "missing.rtd";
  Start(Choose(game_) + Choose(text) + Choose(game_) + Choose(cut) + "choose cancel\n" +
        "choose cancel\n" + Choose(missing) + Choose(missing) + "choose /proc/no/game.rtd\n" +
        Choose(game_) + Choose(game_));
  Play();
  Run("savegame(\"Garden\")");
  std::filesystem::copy_file(game_, cut);
  std::filesystem::resize_file(cut, std::filesystem::file_size(cut) / 2);
  const std::string before = State();
  Run("opengame(\"Garden\")");  // not a star file
  Run("opengame(\"Weeds\")");   // another identity
  Run("opengame(\"Garden\")");  // cut short
  Run("opengame(\"Garden\")");  // cancelled
  Run("savegame(\"Garden\")");  // cancelled
  Run("savegame(\"Garden\")");
  std::filesystem::rename(title_ / "SHOP.SHP", title_ / "SHOP.OLD");
  Run("opengame(\"Garden\")");  // a library is gone
  std::filesystem::rename(title_ / "SHOP.OLD", title_ / "SHOP.SHP");
  Run("savegame(\"Garden\")");  // a folder that takes no files

  // A full disc: the file may not grow past 8 KB while saving over the good game.
  rlimit limit{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &limit), 0);
  const rlimit small{8192, limit.rlim_max};
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  Run("hit = \"lost\"");
  Run("savegame(\"Garden\")");
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
  std::signal(SIGXFSZ, oldHandler);
  Run("hit = \"kept\"");
  EXPECT_EQ(State(), before);

  Run("opengame(\"Garden\")");  // the game saved before the disc filled
  EXPECT_EQ(State(), before);
  const std::string boxes = run_->Boxes();
  for (const std::string_view told : {kNotSaved, kOtherTitle, kNotSaved, kNotSaved})
    EXPECT_NE(boxes.find(told), std::string::npos) << told;
  EXPECT_NE(boxes.find("The game could not be saved: cannot create /proc/no/game.rtd.saving"),
            std::string::npos)
      << boxes;
  EXPECT_NE(boxes.find("The game could not be saved: cannot write"), std::string::npos) << boxes;
  EXPECT_EQ(std::filesystem::exists(saves_ / "game.rtd.saving"), false);
}

// With no library open, the star-file list holds only the files open for other reasons (the boot
// file) and every table is empty: one byte.
TEST_F(SavedGameTest, NothingOpenGivesEmptyTables) {
  Start("");
  const std::vector<std::vector<std::uint8_t>> records = runtime().savedGames()->Records("Moss");
  ASSERT_EQ(records.size(), 7u + 2 + 3);  // no track arrays, no path records
  auto header = DecodeGameHeader(records[0]);
  ASSERT_TRUE(header) << header.error();
  ASSERT_EQ(header->files.size(), 1u);
  EXPECT_TRUE(header->files[0].path.ends_with("bootfile")) << header->files[0].path;
  for (std::size_t table = 2; table <= 6; ++table)
    EXPECT_EQ(records[table], std::vector<std::uint8_t>{0}) << table;
}

// A saved game damaged in any record is refused as a whole: every record cut short by a byte, a
// table count past its record, an identity missing from the star-file list.
TEST_F(SavedGameTest, HostileRecordsAreRefused) {
  Start("");
  Play();
  ASSERT_EQ(runtime().savedGames()->Write(game_.string(), "Garden"), "");
  FileAccess& files = runtime().files();
  const auto damaged = [&](std::int32_t id, const std::function<void(RecordBlock&)>& damage) {
    const std::filesystem::path copy = saves_ / "damaged.rtd";
    std::filesystem::copy_file(game_, copy, std::filesystem::copy_options::overwrite_existing);
    std::unique_ptr<StarFile> file;
    EXPECT_FALSE(Failed(StarFile::Open(files, copy.string(), 0, file)));
    RecordBlock record;
    EXPECT_FALSE(Failed(file->ReadRecord(id, record)));
    damage(record);
    EXPECT_FALSE(Failed(file->RewriteRecord(id, record)));
    EXPECT_FALSE(Failed(file->Flush()));
    const SavedGameRead read = ReadSavedGame(*file, "Garden");
    return read.fault == SavedGameFault::kNotASavedGame ? "refused" : "read";
  };
  std::unique_ptr<StarFile> file;
  ASSERT_FALSE(Failed(StarFile::Open(files, game_.string(), 0, file)));
  const SavedGameRead good = ReadSavedGame(*file, "Garden");
  ASSERT_EQ(good.fault, SavedGameFault::kNone) << good.why;
  EXPECT_EQ(good.records.actors.size(), 4u);
  const auto records = static_cast<std::int32_t>(file->header().nextId) - 1;  // not the thumbnail
  file.reset();
  std::string cut;
  std::string refused;
  for (std::int32_t id = 0; id < records; ++id) {
    cut += damaged(id, [](RecordBlock& r) { r.pop_back(); }) + std::string(" ");
    refused += "refused ";
  }
  EXPECT_EQ(cut, refused);
  // One more actor than the actor table holds; the cast's identity gone from the list.
  EXPECT_EQ(damaged(1, [](RecordBlock& r) { ++r[312 + 4]; }), std::string("refused"));
  EXPECT_EQ(damaged(0,
                    [&](RecordBlock& r) {
                      const std::uint32_t cast = good.records.casts[0].file;
                      for (std::size_t at = 4624; at + 260 <= r.size(); at += 260)
                        if (LoadU32(r.data() + at) == cast) r[at] ^= 0x55;
                    }),
            std::string("refused"));
  EXPECT_EQ(damaged(0, [](RecordBlock&) {}), std::string("read"));
}

// Path slots under the saved slot 0 follow the title to the current slot 0.
TEST_F(SavedGameTest, PathSlotsMoveWithTheProgramFolder) {
  Start(Choose(game_) + Choose(game_));
  Play();
  // Slot 0, the program's folder, is the runtime's own: scripts cannot set it.
  runtime().pathSlots()->set(0, "old:");
  for (const std::string_view line :
       {"path(1, \"old:\")", "path(2, \"old:deep:\")", "path(3, \"appl:\")"})
    Run(line);
  Run("savegame(\"Garden\")");
  runtime().pathSlots()->set(0, "appl:");
  for (const std::string_view line : {"path(1, \"elsewhere:\")", "path(2, \"elsewhere:\")"})
    Run(line);
  Run("opengame(\"Garden\")");
  EXPECT_EQ(run_->Eval("path(1)") + " " + run_->Eval("path(2)") + " " + run_->Eval("path(3)"),
            "\"appl:\" \"appl:deep:\" \"appl:\"");
  EXPECT_EQ(run_->Eval("countactors()"), "4");
}

}  // namespace
}  // namespace lw::testing
