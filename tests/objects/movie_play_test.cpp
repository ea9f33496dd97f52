// Movies played by a headless title, seen through the rectangles they present (and the theme
// playing at each present), the colours left on screen and the marks that actionframe reads.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "movie_title.h"
#include "support/storage_sound_records.h"

namespace lw::testing {
namespace {

constexpr Rect kWhole{0, 0, 48, 64};
constexpr char kNoBoxes[] = " | ";
constexpr char kPaletteShown[] = "0,0,480,640";  // a new palette presents the whole canvas

MovieFrame WithEnd(MovieFrame frame, MovieAction action, std::int16_t argument = 0,
                   std::string movie = "") {
  frame.endAction = static_cast<std::int16_t>(action);
  frame.endArgument = argument;
  frame.movie = std::move(movie);
  return frame;
}

MovieHotSpot Spot(std::int16_t kind, const Rect& rect, std::int16_t frame = 0) {
  return MovieHotSpot{kind, rect, frame, ""};
}

// A theme part of `seconds` of one sample value.
test::Bytes Tone(double seconds, std::uint8_t sample) {
  return test::SoundRecordOf(
      22050, std::vector<std::uint8_t>(static_cast<std::size_t>(22050 * seconds), sample));
}

using test::ColourFrame;
using test::MovieOf;
using test::MovieSegment;

class MoviePlayTest : public MovieTitleTest {
 protected:
  void Write(std::string_view name, std::vector<MovieSegment> segments,
             const std::function<void(std::vector<test::Bytes>&)>& damage = {}) {
    test::WriteMovieFile(title_ / std::string(name), std::move(segments), damage);
  }
  void Write(std::string_view name, const MovieHeader& header) {
    Write(name, {MovieSegment{header, {}, {}}});
  }
};

// Frames follow each other at the movie's origin, the movie palette installed before the first
// shows; the marks are set by the frames the header names, once they go on to another.
TEST_F(MoviePlayTest, FramesShowInOrderAtTheOriginAndSetTheirMarks) {
  MovieHeader header =
      MovieOf({ColourFrame(kWhole, 5, kFrameTimed), ColourFrame({8, 8, 16, 24}, 9, kFrameTimed),
               ColourFrame({0, 32, 48, 64}, 12)});
  header.origin = {10, 20};
  header.statusFrame1 = 1;
  header.statusFrame2 = 2;  // the last frame stops: its mark is never set
  Write("TEST.MOV", header);
  EXPECT_EQ(Play("TEST.MOV"),
            std::string(kPaletteShown) + " 10,20,58,84 18,28,26,44 10,52,58,84" + kNoBoxes);
  EXPECT_EQ(run_->Eval("actionframe(1)") + " " + run_->Eval("actionframe(2)"), "True False");
  EXPECT_EQ(std::to_string(Shown(20, 10)) + " " + std::to_string(Shown(30, 20)) + " " +
                std::to_string(Shown(83, 57)) + " " + std::to_string(Shown(84, 58)),
            "5 9 12 0");
}

// Frame 0 waits for its one-second sound, so frames 1.. are late: the player steps over the
// frames that cannot be landed on and shows the landable frame 6 with the rectangles of 1 to 6
// united. The skipped pictures are never decoded.
TEST_F(MoviePlayTest, LateTimedFramesLandOnALandableFrameShowingTheUnitedRectangle) {
  MovieFrame first = ColourFrame(kWhole, 5, kFrameTimed | kFrameWaitsForSound);
  first.sound = 1;
  std::vector<MovieFrame> frames{first};
  for (std::int16_t i = 1; i <= 5; ++i) {
    frames.push_back(
        ColourFrame({i, std::int16_t(i * 4), std::int16_t(i + 2), std::int16_t(i * 4 + 2)},
                    std::uint8_t(20 + i), kFrameTimed, 12));
  }
  frames.push_back(ColourFrame({30, 30, 40, 40}, 40, kFrameTimed | kFrameLandable, 12));
  Write("LATE.MOV", {MovieSegment{MovieOf(frames), {Tone(1, 128)}, {}}});
  EXPECT_EQ(Play("LATE.MOV"), std::string(kPaletteShown) + " 0,0,48,64 1,4,40,40" + kNoBoxes);
  EXPECT_EQ(std::to_string(Shown(8, 2)) + " " + std::to_string(Shown(35, 35)), "5 40");
}

// A frame with an empty picture rectangle changes the palette only: kind 17 fades the movie's
// colours to black and leaves every pixel as it was.
TEST_F(MoviePlayTest, APaletteOnlyFrameChangesOnlyThePalette) {
  MovieFrame fade = ColourFrame({}, 0, kFrameTimed, 4);
  fade.transitionKind = 17;
  Write("FADE.MOV", MovieOf({ColourFrame(kWhole, 200, kFrameTimed), fade}));
  const std::string presents = Play("FADE.MOV");
  EXPECT_EQ(presents.substr(presents.size() - 3), kNoBoxes);
  EXPECT_EQ(Shown(10, 10), 200);
  const Rgb colour = platform().palette()[200];
  EXPECT_EQ(colour.red + colour.green + colour.blue, 0);
}

// A hot spot of negative kind shows inverted while the pointer is inside with the button held,
// and branches only when the button is released inside; a quit key ends the wait when the
// header allows it and is ignored otherwise.
TEST_F(MoviePlayTest, HotSpotsAndQuitKeysWhileAFrameWaits) {
  struct Case {
    std::string_view input;
    bool quitAllowed;
    std::string_view presents;
  };
  const Case cases[] = {
      {"wait 2\npress 5 5\nwait 12\nrelease 5 5", false,
       "0,0,48,64 0,0,20,20 0,0,20,20 0,32,48,64"},
      {"wait 2\npress 5 5\nwait 3\nmove 50 40\nwait 12\nrelease 50 40\nwait 2\nkey ctrl+q", true,
       "0,0,48,64 0,0,20,20 0,0,20,20"},
      {"wait 2\nclick 30 30\nwait 2\nkey ctrl+q", true, "0,0,48,64"},
      // A click is a press held for the shortest hold, 10 ticks.
      {"wait 2\nkey ctrl+q\nwait 2\nclick 5 5", false, "0,0,48,64 0,0,20,20 0,0,20,20 0,32,48,64"},
  };
  for (const Case& c : cases) {
    MovieFrame waiting = ColourFrame(kWhole, 5);
    waiting.hotSpots = {Spot(-2, {0, 0, 20, 20}, 1)};
    MovieHeader header = MovieOf({waiting, ColourFrame({0, 32, 48, 64}, 9)});
    header.quitWhileWaiting = c.quitAllowed;
    Write("SPOT.MOV", header);
    EXPECT_EQ(Play("SPOT.MOV", c.input),
              std::string(kPaletteShown) + " " + std::string(c.presents) + kNoBoxes)
        << c.input;
    run_.reset();
  }
}

// A headless run's end tick ends a movie that waits for a click that never comes, and the run.
TEST_F(MoviePlayTest, TheRunsEndTickEndsAMovieThatWaits) {
  MovieFrame waiting = ColourFrame(kWhole, 5);
  waiting.hotSpots = {Spot(2, {0, 0, 20, 20}, 0)};
  Write("WAIT.MOV", MovieOf({waiting}));
  WriteStage(SampleStage());
  UseScript(kStageBootScript);
  TitleRun run(title_, "wait 5\nconsole playmovie(\"WAIT.MOV\")\nwait 400",
               [](RuntimeOptions& options) { options.endTick = 200; });
  EXPECT_EQ(run.Run(), Runtime::kExitOk);
  EXPECT_EQ(run.platform().ticks() / 10, 20u);
}

// Calls nest five deep: a movie that calls itself shows its first frame six times and stops at
// the sixth call. A return goes back to the caller's frame; with no caller it stops.
TEST_F(MoviePlayTest, CallsNestFiveDeepAndReturnToTheirFrame) {
  Write("SELF.MOV", MovieOf({WithEnd(ColourFrame(kWhole, 5), MovieAction::kCall, 0, "SELF.MOV")}));
  std::string six;
  for (int i = 0; i < 6; ++i) six += std::string(" ") + kPaletteShown + " 0,0,48,64";
  EXPECT_EQ(Play("SELF.MOV"), six.substr(1) + kNoBoxes);
  run_.reset();

  Write("CALLER.MOV", MovieOf({WithEnd(ColourFrame(kWhole, 5), MovieAction::kCall, 1, "BACK.MOV"),
                               ColourFrame({0, 0, 8, 8}, 7)}));
  Write("BACK.MOV", MovieOf({WithEnd(ColourFrame({20, 20, 30, 30}, 9), MovieAction::kReturn)}));
  EXPECT_EQ(Play("CALLER.MOV"), std::string(kPaletteShown) + " 0,0,48,64 " + kPaletteShown +
                                    " 20,20,30,30 " + kPaletteShown + " 0,0,8,8" + kNoBoxes);
  run_.reset();
  EXPECT_EQ(Play("BACK.MOV"), std::string(kPaletteShown) + " 20,20,30,30" + kNoBoxes);
}

// A later segment without theme parts keeps the theme playing; one with parts replaces it.
TEST_F(MoviePlayTest, ASegmentWithThemePartsReplacesTheTheme) {
  auto segment = [](std::vector<test::Bytes> themes) {
    MovieHeader header = MovieOf({ColourFrame(kWhole, 5, kFrameTimed)});
    if (!themes.empty()) header.playlist = {1};
    return MovieSegment{header, {}, std::move(themes)};
  };
  Write("PARTS.MOV", {segment({Tone(1, 100)}), segment({}), segment({Tone(1, 150)})});
  // Records: 0 header, 1 theme, 2 picture; 3 header, 4 picture; 5 header, 6 theme, 7 picture.
  EXPECT_EQ(Play("PARTS.MOV"), std::string(kPaletteShown) + " theme=1 0,0,48,64 theme=1 " +
                                   kPaletteShown + " theme=1 0,0,48,64 theme=1 " + kPaletteShown +
                                   " theme=6 0,0,48,64 theme=6" + kNoBoxes);
}

// Ctrl+T stops the theme and, pressed again, plays it from its first part: the first part (2 s)
// plays again, not the second that played when it was stopped.
TEST_F(MoviePlayTest, TogglingTheThemeRestartsItsPlaylist) {
  MovieHeader header = MovieOf({ColourFrame({0, 0, 8, 8}, 5, kFrameTimed, 130),
                                ColourFrame({0, 8, 8, 16}, 6, kFrameTimed, 130),
                                ColourFrame({0, 16, 8, 24}, 7, kFrameTimed, 130),
                                ColourFrame({0, 24, 8, 32}, 8, kFrameTimed, 130)});
  header.playlist = {1, 2};
  header.playlistLoop = 1;
  Write("TOGGLE.MOV", {MovieSegment{header, {}, {Tone(2, 100), Tone(10, 150)}}});
  EXPECT_EQ(Play("TOGGLE.MOV", "wait 140\nkey ctrl+t\nwait 240\nkey ctrl+t"),
            std::string(kPaletteShown) + " theme=1 0,0,8,8 theme=1 0,8,8,16 theme=2 " +
                "0,16,8,24 0,24,8,32 theme=1" + kNoBoxes);
}

// Damaged movies end with the fatal report of the step that found the damage, never a crash.
TEST_F(MoviePlayTest, DamagedMoviesEndWithTheirFatalSite) {
  using Records = std::vector<test::Bytes>;
  const auto segment = [](std::uint16_t flags = 0) {
    return MovieSegment{MovieOf({ColourFrame(kWhole, 5, kFrameTimed | flags)}), {}, {}};
  };
  const auto with = [&](auto change) {
    MovieSegment made = segment();
    change(made);
    return std::vector<MovieSegment>{made};
  };
  const struct Case {
    std::string_view what;
    std::vector<MovieSegment> segments;
    std::function<void(Records&)> damage;
    std::string_view box;
  } cases[] = {
      {"frames past the record", {segment()}, [](Records& r) { r[0].resize(2300); }, "line 2401"},
      // Records 0 and 1 are the first segment; the second, at 2, names itself as the next.
      {"a segment leading back",
       {segment(), segment()},
       [](Records& r) { r[2][54] = 2; },
       "line 2401"},
      {"a next segment missing",
       {segment(), segment()},
       [](Records& r) { r.resize(2); },
       "line 2401"},
      {"a picture outside the movie",
       with([](MovieSegment& m) {
         m.header.frames[0].pictureRect = {40, 60, 60, 70};
       }),
       {},
       "line 2406"},
      {"a picture record missing", {segment()}, [](Records& r) { r.pop_back(); }, "line 2406"},
      {"a sound past the segment's",
       with([](MovieSegment& m) { m.header.frames[0].sound = 3; }),
       {},
       "line 2706"},
      {"an empty preload range", {segment(kFramePreloads)}, {}, "line 2408"},
      {"a loop entry past the playlist",
       with([](MovieSegment& m) {
         m.themes = {Tone(0.1, 128)};
         m.header.playlist = {1};
         m.header.playlistLoop = 1;
       }),
       {},
       "line 2708"},
  };
  for (const Case& c : cases) {
    Write("BAD.MOV", c.segments, c.damage);
    const std::string shown = Play("BAD.MOV");
    EXPECT_NE(shown.find(c.box), std::string::npos) << c.what << ": " << shown;
    run_.reset();
  }
}

}  // namespace
}  // namespace lw::testing
