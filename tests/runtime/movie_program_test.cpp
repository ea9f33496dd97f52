// movieplayer: the runtime in movie mode, run headless in-process, and the program's command
// line: the open dialog when no movie is named, where a movie is looked for, a movie that is not
// there, and a run that ends with the movie.
#include "apps/movieplayer/movie_program.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/runtime_title.h"
#include "support/storage_movie_files.h"
#include "support/temp_folder.h"

namespace lw::movieplayer {
namespace {

// A movie of three solid 40 x 30 frames of 20 ticks each, the last in `colour`, shown at window
// point (20, 10), written as `path`.
void WriteThreeFrames(const std::filesystem::path& path, std::uint8_t colour) {
  const Rect rect{0, 0, 30, 40};
  std::vector<MovieFrame> frames;
  for (int i = 2; i >= 0; --i)
    frames.push_back(
        test::ColourFrame(rect, static_cast<std::uint8_t>(colour - i), kFrameTimed, 20));
  MovieHeader header = test::MovieOf(frames, rect);
  header.origin = {10, 20};
  test::WriteMovieFile(path, {{header}});
}

// A scratch "program folder" (appl:) and a current folder of its own, left again at the end.
class MovieProgramTest : public ::testing::Test {
 protected:
  MovieProgramTest() { std::filesystem::current_path(currentFolder_); }
  ~MovieProgramTest() override { std::filesystem::current_path(previousFolder_); }

  // Plays `path` (none: the open dialog asks) in movie mode over the headless platform playing
  // `input`: the exit status, the colour shown inside the movie, what was not played and the
  // boxes and handler calls, as "STATUS COLOUR [NOT PLAYED] BOXES CALLS".
  std::string Play(std::string_view path, std::string_view input = "",
                   std::uint32_t endTick = 100000) {
    MovieMode movie = SplitMoviePath(path);
    std::string notPlayed;
    movie.notPlayed = [&notPlayed](std::string_view name, ScriptError why) {
      notPlayed += std::string(name) + " " + std::to_string(static_cast<int>(why));
    };
    run_.emplace(programFolder_, input, [&movie, endTick](RuntimeOptions& options) {
      options.movie = movie;
      options.endTick = endTick;
    });
    const int status = run_->Run();
    return std::to_string(status) + " " +
           std::to_string(run_->platform().canvasPixel(35, 25).value_or(0xEE)) + " [" + notPlayed +
           "]" + run_->Boxes() + run_->Calls();
  }

  test::TempFolder scratch_;
  std::filesystem::path programFolder_ = scratch_.makeFolder("program");
  std::filesystem::path currentFolder_ = scratch_.makeFolder("current");
  std::filesystem::path previousFolder_ = std::filesystem::current_path();
  std::optional<testing::TitleRun> run_;
};

// The open dialog asks for a movie in the current folder; cancelled, the run ends at once with
// status 0: nothing drawn, no handler called, no box. The movie chosen in it plays.
TEST_F(MovieProgramTest, WithoutAMovieTheOpenDialogAsks) {
  EXPECT_EQ(Play(""), "0 0 []");
  ASSERT_EQ(run_->platform().fileDialogs().size(), 1U);
  const platform::FileDialogRequest& dialog = run_->platform().fileDialogs()[0];
  EXPECT_EQ(dialog.title + " | " + dialog.filterName + " | " + dialog.pattern,
            "Open | Movies (.MOV) | *.mov");
  EXPECT_TRUE(std::filesystem::equivalent(dialog.folder, currentFolder_)) << dialog.folder;
  EXPECT_LT(run_->platform().ticks(), 5U);
  EXPECT_EQ(run_->platform().windowOptions().caption, "Movie Player");

  WriteThreeFrames(scratch_.makeFolder("movies") / "PICKED.MOV", 77);
  EXPECT_EQ(Play("", "choose " + (scratch_.path() / "movies" / "PICKED.MOV").string()), "0 77 []");
}

// A bare name is looked for in the current folder first, then in appl: (slots 2..4); a name with
// a folder in that folder first. Not found: the locator's answer (42, CantFindFile), status 1,
// no box.
TEST_F(MovieProgramTest, ABareNameIsLookedForInTheCurrentFolderThenInTheProgramFolder) {
  const std::filesystem::path other = scratch_.makeFolder("other");
  WriteThreeFrames(currentFolder_ / "BOTH.MOV", 40);
  WriteThreeFrames(programFolder_ / "BOTH.MOV", 50);
  WriteThreeFrames(programFolder_ / "APPL.MOV", 60);
  WriteThreeFrames(other / "THERE.MOV", 70);
  const std::pair<std::string, std::string> cases[] = {
      {"BOTH.MOV", "0 40 []"},
      {"APPL.MOV", "0 60 []"},
      {other.string() + "/THERE.MOV", "0 70 []"},
      {other.string() + "/APPL.MOV", "0 60 []"},
      {"ABSENT.MOV", "1 0 [ABSENT.MOV 42]"},
      {other.string() + "/NONE.MOV", "1 0 [" + other.string() + "/NONE.MOV 42]"},
  };
  for (const auto& [path, expected] : cases) EXPECT_EQ(Play(path), expected) << path;
}

// The run ends with the movie, whose last frame shows at tick 40 and goes on to no other: not at
// the far tick bound nor after the input, and a key pressed during the movie reaches no handler.
// The run's end tick ends a movie whose frame waits for a click that never comes.
TEST_F(MovieProgramTest, TheRunEndsWhenTheMovieEndsOrAtItsEndTick) {
  WriteThreeFrames(currentFolder_ / "SHORT.MOV", 90);
  EXPECT_EQ(Play("SHORT.MOV", "wait 30\nkey a\nwait 500\nkey b"), "0 90 []");
  EXPECT_GE(run_->platform().ticks(), 40U);
  EXPECT_LE(run_->platform().ticks(), 45U);

  MovieFrame waiting = test::ColourFrame({0, 0, 48, 64}, 7);
  waiting.hotSpots = {{2, {0, 0, 20, 20}, 0, ""}};
  test::WriteMovieFile(currentFolder_ / "WAIT.MOV", {{test::MovieOf({waiting})}});
  EXPECT_EQ(Play("WAIT.MOV", "wait 400", 200), "0 7 []");
  EXPECT_EQ(run_->platform().ticks() / 10, 20u);
}

// The whole program, as run from a shell: its complaints and statuses; title-only options and a
// second movie are refused; cancelling the open dialog is no failure.
TEST_F(MovieProgramTest, TheProgramNamesAMissingMovieAndPlaysAFoundOne) {
  WriteThreeFrames(currentFolder_ / "HERE.MOV", 30);
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(Main({{"--headless", "NOWHERE.MOV"}}), 1);
  EXPECT_EQ(Main({{"--console", "HERE.MOV"}}), 2);
  EXPECT_EQ(Main({{"A.MOV", "B.MOV"}}), 2);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "movieplayer: NOWHERE.MOV: not found\nmovieplayer: unknown option '--console'\n"
            "(movieplayer --help lists the options)\nmovieplayer: unexpected argument 'B.MOV'\n"
            "(movieplayer --help lists the options)\n");

  ::testing::internal::CaptureStdout();
  EXPECT_EQ(Main({{"--headless", "--trace-present", "--ticks", "100000", "HERE.MOV"}}), 0);
  EXPECT_EQ(Main({{"--help"}}), 0);
  const std::string printed = ::testing::internal::GetCapturedStdout();
  EXPECT_NE(printed.find(": 20,10 60,40\n"), std::string::npos) << printed;
  EXPECT_NE(printed.find("usage: movieplayer [options] [MOVIE]\n"), std::string::npos) << printed;
  EXPECT_EQ(Main({{"--headless"}}), 0);
}

}  // namespace
}  // namespace lw::movieplayer
