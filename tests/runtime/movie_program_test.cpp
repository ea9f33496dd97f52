// movieplayer: the runtime in movie mode, run headless in-process, and the program's command
// line: the open dialog when no movie is named, where a movie is looked for, a movie that is not
// there, and a run that ends with the movie.
#include "apps/movieplayer/movie_program.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/runtime_title.h"
#include "support/storage_movie_files.h"
#include "support/temp_folder.h"

namespace lw::movieplayer {
namespace {

using testing::TitleRun;

// Where the test movies show: a 40 x 30 rectangle at window point (20, 10).
constexpr Point kMovieCorner{10, 20};
constexpr int kInsideH = 35;
constexpr int kInsideV = 25;

// A movie of three solid 40 x 30 frames of 20 ticks each, the last in `colour`, written as `path`.
void WriteThreeFrames(const std::filesystem::path& path, std::uint8_t colour) {
  const Rect rect{0, 0, 30, 40};
  MovieHeader header = test::MovieOf(
      {test::ColourFrame(rect, static_cast<std::uint8_t>(colour - 2), kFrameTimed, 20),
       test::ColourFrame(rect, static_cast<std::uint8_t>(colour - 1), kFrameTimed, 20),
       test::ColourFrame(rect, colour, kFrameTimed, 20)},
      rect);
  header.origin = kMovieCorner;
  test::WriteMovieFile(path, {test::MovieSegment{header, {}, {}}});
}

// A scratch "program folder" (appl:) and a current folder of its own, left again at the end.
class MovieProgramTest : public ::testing::Test {
 protected:
  MovieProgramTest()
      : programFolder_(scratch_.makeFolder("program")),
        currentFolder_(scratch_.makeFolder("current")),
        previousFolder_(std::filesystem::current_path()) {
    std::filesystem::current_path(currentFolder_);
  }
  ~MovieProgramTest() override { std::filesystem::current_path(previousFolder_); }

  // Plays `movie` in movie mode over the headless platform playing `input`; the exit status.
  // What could not be played is noted in notPlayed_.
  int Play(MovieMode movie, std::string_view input = "", std::uint32_t endTick = kFarTick) {
    movie.notPlayed = [this](std::string_view path, ScriptError why) {
      notPlayed_ += std::string(path) + " " + std::to_string(static_cast<int>(why)) + "\n";
    };
    run_.emplace(programFolder_, input, [&movie, endTick](RuntimeOptions& options) {
      options.movie = movie;
      options.endTick = endTick;
    });
    return run_->Run();
  }
  [[nodiscard]] std::string Shown() {
    return std::to_string(run_->platform().canvasPixel(kInsideH, kInsideV).value_or(0xEE));
  }

  static constexpr std::uint32_t kFarTick = 100000;
  test::TempFolder scratch_;
  std::filesystem::path programFolder_;
  std::filesystem::path currentFolder_;
  std::filesystem::path previousFolder_;
  std::optional<TitleRun> run_;
  std::string notPlayed_;
};

TEST(MoviePathTest, TheFolderRunsToTheLastSeparator) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"INTRO.MOV", "[] [INTRO.MOV]"},
      {"/discs/moss/INTRO.MOV", "[/discs/moss/] [INTRO.MOV]"},
      {"MOSS:MOVIES:INTRO.MOV", "[MOSS:MOVIES:] [INTRO.MOV]"},
      {"movies\\INTRO.MOV", "[movies\\] [INTRO.MOV]"},
      {"a:b/c\\D.MOV", "[a:b/c\\] [D.MOV]"},
      {"movies/", "[movies/] []"},
      {"", "[] []"},
  };
  for (const auto& [path, expected] : cases) {
    const MovieMode split = SplitMoviePath(path);
    EXPECT_EQ("[" + split.folder + "] [" + split.name + "]", expected) << path;
  }
}

// The open dialog asks for a movie; cancelled, the run ends at once: nothing drawn, no handler
// called, no box.
TEST_F(MovieProgramTest, WithoutAMovieTheOpenDialogAsksAndCancelEndsTheRun) {
  EXPECT_EQ(Play(MovieMode{}), Runtime::kExitOk);
  ASSERT_EQ(run_->platform().fileDialogs().size(), 1U);
  const platform::FileDialogRequest& dialog = run_->platform().fileDialogs()[0];
  EXPECT_EQ(dialog.title + " | " + dialog.filterName + " | " + dialog.pattern,
            "Open | Movies (.MOV) | *.mov");
  EXPECT_TRUE(std::filesystem::equivalent(dialog.folder, currentFolder_)) << dialog.folder;
  EXPECT_EQ(run_->Calls(), "");
  EXPECT_EQ(run_->Boxes(), "");
  EXPECT_EQ(Shown(), "0");
  EXPECT_LT(run_->platform().ticks(), 5U);
  EXPECT_EQ(run_->platform().windowOptions().caption, "Movie Player");
}

TEST_F(MovieProgramTest, TheMovieChosenInTheDialogPlays) {
  const std::filesystem::path movies = scratch_.makeFolder("movies");
  WriteThreeFrames(movies / "PICKED.MOV", 77);
  EXPECT_EQ(Play(MovieMode{}, "choose " + (movies / "PICKED.MOV").string()), Runtime::kExitOk);
  EXPECT_EQ(Shown(), "77");
  EXPECT_EQ(notPlayed_, "");
}

// A bare name is looked for in the current folder first, then in appl: (slots 2..4); a name with
// a folder in that folder first.
TEST_F(MovieProgramTest, ABareNameIsLookedForInTheCurrentFolderThenInTheProgramFolder) {
  const std::filesystem::path other = scratch_.makeFolder("other");
  WriteThreeFrames(currentFolder_ / "BOTH.MOV", 40);
  WriteThreeFrames(programFolder_ / "BOTH.MOV", 50);
  WriteThreeFrames(programFolder_ / "APPL.MOV", 60);
  WriteThreeFrames(other / "THERE.MOV", 70);
  const std::pair<std::string, std::string_view> cases[] = {
      {"BOTH.MOV", "0 40"},
      {"APPL.MOV", "0 60"},
      {other.string() + "/THERE.MOV", "0 70"},
      {other.string() + "/APPL.MOV", "0 60"},
      {other.string() + "/NONE.MOV", "1 0"},
  };
  for (const auto& [path, expected] : cases) {
    const int status = Play(SplitMoviePath(path));
    EXPECT_EQ(std::to_string(status) + " " + Shown(), expected) << path;
  }
}

// Not found: the locator's answer (42, CantFindFile), status 1, no box.
TEST_F(MovieProgramTest, AMovieInNoSlotEndsTheRunWithoutABox) {
  EXPECT_EQ(Play(SplitMoviePath("ABSENT.MOV")), Runtime::kExitFailure);
  EXPECT_EQ(notPlayed_, "ABSENT.MOV 42\n");
  EXPECT_EQ(run_->Boxes(), "");
  EXPECT_EQ(run_->Calls(), "");
}

// The run ends with the movie, whose last frame shows at tick 40 and goes on to no other: not at
// the far tick bound nor after the input, and a key pressed during the movie reaches no handler.
TEST_F(MovieProgramTest, TheRunEndsWhenTheMovieEnds) {
  WriteThreeFrames(currentFolder_ / "SHORT.MOV", 90);
  EXPECT_EQ(Play(SplitMoviePath("SHORT.MOV"), "wait 30\nkey a\nwait 500\nkey b"), Runtime::kExitOk);
  EXPECT_GE(run_->platform().ticks(), 40U);
  EXPECT_LE(run_->platform().ticks(), 45U);
  EXPECT_EQ(Shown(), "90");
  EXPECT_EQ(run_->Calls(), "");

  // The run's end tick cuts the movie short: frame 2 shows at tick 20, frame 3 never.
  EXPECT_EQ(Play(SplitMoviePath("SHORT.MOV"), "", 25), Runtime::kExitOk);
  EXPECT_EQ(run_->platform().ticks() / 5, 5U);
  EXPECT_EQ(Shown(), "89");
}

// The whole program, as run from a shell: its complaints and statuses.
TEST_F(MovieProgramTest, TheProgramNamesAMissingMovieAndPlaysAFoundOne) {
  WriteThreeFrames(currentFolder_ / "HERE.MOV", 30);
  const std::vector<std::string_view> missing = {"--headless", "NOWHERE.MOV"};
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(Main(missing), 1);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "movieplayer: NOWHERE.MOV: not found\n");

  const std::vector<std::string_view> found = {"--headless", "--trace-calls", "--trace-present",
                                               "--ticks",    "100000",        "HERE.MOV"};
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(Main(found), 0);
  const std::string presented = ::testing::internal::GetCapturedStdout();
  EXPECT_NE(presented.find(": 20,10 60,40\n"), std::string::npos) << presented;
  EXPECT_EQ(presented.find('('), std::string::npos) << presented;  // no handler call

  const std::vector<std::string_view> cancelled = {"--headless"};
  EXPECT_EQ(Main(cancelled), 0);
}

TEST(MovieOptionsTest, TitleOnlyOptionsAreRefusedAndMovieIsOptional) {
  using titleplayer::PlayerProgram;
  const std::pair<std::vector<std::string_view>, std::string_view> cases[] = {
      {{"--headless", "INTRO.MOV"}, "movie INTRO.MOV"},
      {{"--windowed"}, "movie -"},
      {{"--console", "INTRO.MOV"}, "error: unknown option '--console'"},
      {{"--strict"}, "error: unknown option '--strict'"},
      {{"A.MOV", "B.MOV"}, "error: unexpected argument 'B.MOV'"},
  };
  for (const auto& [args, expected] : cases) {
    const auto parsed = titleplayer::ParsePlayerOptions(args, PlayerProgram::kMovie);
    EXPECT_EQ(parsed.ok() ? "movie " + parsed->movie.value_or("-") : "error: " + parsed.error(),
              expected);
  }
  EXPECT_TRUE(titleplayer::UsageText(PlayerProgram::kMovie)
                  .starts_with("usage: movieplayer [options] [MOVIE]\n"));
  EXPECT_TRUE(titleplayer::VersionText(PlayerProgram::kMovie).starts_with("movieplayer "));
}

}  // namespace
}  // namespace lw::movieplayer
