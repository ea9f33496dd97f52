// Movies played by a headless title, seen through the rectangles they present (and the theme
// playing at each present), the colours left on screen and the marks that actionframe reads.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "stage_title.h"
#include "support/common_printers.h"
#include "support/storage_movie_files.h"
#include "support/storage_sound_records.h"

namespace lw::testing {
namespace {

using test::ColourFrame;
using test::MovieOf;
using test::MovieSegment;

constexpr Rect kWhole{0, 0, 48, 64};
constexpr char kNoBoxes[] = " | ";
constexpr char kPaletteShown[] = "0,0,480,640";  // a new palette presents the whole canvas
// The movie is played by a console line this many ticks in, after the stage's own presents.
constexpr std::uint32_t kPlayTick = 5;

MovieFrame WithEnd(MovieFrame frame, MovieAction action, std::int16_t argument, std::string movie) {
  frame.endAction = static_cast<std::int16_t>(action);
  frame.endArgument = argument;
  frame.movie = std::move(movie);
  return frame;
}

// A theme part of `seconds` of one sample value.
test::Bytes Tone(double seconds, std::uint8_t sample) {
  return test::SoundRecordOf(
      22050, std::vector<std::uint8_t>(static_cast<std::size_t>(22050 * seconds), sample));
}

class MoviePlayTest : public StageTitleTest {
 protected:
  void Write(std::string_view name, std::vector<MovieSegment> segments,
             const std::function<void(std::vector<test::Bytes>&)>& damage = {}) {
    test::WriteMovieFile(title_ / std::string(name), std::move(segments), damage);
  }

  // Boots the title with `input` and plays `name` through playmovie: the presents the movie made,
  // "top,left,bottom,right" each (with " theme=ID" when channel 3 plays a record), joined by
  // spaces, then " | " and the boxes shown.
  std::string Play(std::string_view name, std::string_view input = "") {
    std::string presents;
    const std::string script = "wait " + std::to_string(kPlayTick) + "\nconsole playmovie(\"" +
                               std::string(name) + "\")\n" + std::string(input);
    TitleRun& run = Start(script, [&](RuntimeOptions& options) {
      options.presentTrace = [&](std::uint32_t tick, const PresentedRect& copied) {
        if (tick < kPlayTick) return;
        presents += (presents.empty() ? "" : " ") + test::Print(copied.rect);
        const SoundItem* theme = runtime().channels().Playing(SoundChannels::kThemeChannel);
        if (theme != nullptr) presents += " theme=" + std::to_string(theme->recordId);
      };
    });
    return presents + " | " + run.Boxes();
  }

  // The colour indices that the window shows at each (h, v), joined by spaces.
  std::string Shown(std::initializer_list<std::pair<int, int>> points) {
    std::string shown;
    for (const auto& [h, v] : points)
      shown +=
          (shown.empty() ? "" : " ") + std::to_string(platform().canvasPixel(h, v).value_or(-1));
    return shown;
  }
};

// Frames follow each other at the movie's origin, the movie palette installed before the first
// shows; the marks are set by the frames the header names, once they go on to another. The last
// frame has an empty picture rectangle: it changes the palette only, kind 17 fading the movie's
// colours to black in 4 steps (each presenting the whole canvas) and leaving every pixel as it was.
TEST_F(MoviePlayTest, FramesShowInOrderAtTheOriginAndSetTheirMarks) {
  MovieFrame fade = ColourFrame({}, 0, kFrameTimed, 4);
  fade.transitionKind = 17;
  MovieHeader header =
      MovieOf({ColourFrame(kWhole, 5, kFrameTimed), ColourFrame({8, 8, 16, 24}, 9, kFrameTimed),
               ColourFrame({0, 32, 48, 64}, 12, kFrameTimed), fade});
  header.origin = {10, 20};
  header.statusFrame1 = 1;
  header.statusFrame2 = 3;  // the last frame stops: its mark is never set
  const std::string fadeSteps = " 0,0,480,640 0,0,480,640 0,0,480,640 0,0,480,640";
  Write("TEST.MOV", {{header}});
  EXPECT_EQ(Play("TEST.MOV"), std::string(kPaletteShown) + " 10,20,58,84 18,28,26,44 10,52,58,84" +
                                  fadeSteps + kNoBoxes);
  EXPECT_EQ(run_->Eval("actionframe(1)") + " " + run_->Eval("actionframe(2)"), "True False");
  EXPECT_EQ(Shown({{20, 10}, {30, 20}, {83, 57}, {84, 58}}), "5 9 12 0");
  EXPECT_EQ(test::Print(platform().palette()[12]), "0,0,0");
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
  Write("LATE.MOV", {MovieSegment{MovieOf(frames), {Tone(1, 128)}}});
  EXPECT_EQ(Play("LATE.MOV"), std::string(kPaletteShown) + " 0,0,48,64 1,4,40,40" + kNoBoxes);
  EXPECT_EQ(Shown({{8, 2}, {35, 35}}), "5 40");
}

// A hot spot of negative kind shows inverted while the pointer is inside with the button held,
// and branches only when the button is released inside; ctrl+q ends the wait when the header
// allows it and is ignored otherwise, and q without ctrl is no quit key. A click is a press held
// for 10 ticks.
TEST_F(MoviePlayTest, HotSpotsAndQuitKeysWhileAFrameWaits) {
  const std::string branched = " 0,0,48,64 0,0,20,20 0,0,20,20 0,32,48,64";
  const std::tuple<std::string_view, bool, std::string> cases[] = {
      {"wait 2\npress 5 5\nwait 12\nrelease 5 5", false, branched},
      {"wait 2\npress 5 5\nwait 3\nmove 50 40\nwait 12\nrelease 50 40\nwait 2\nkey ctrl+q", true,
       " 0,0,48,64 0,0,20,20 0,0,20,20"},
      {"wait 2\nclick 30 30\nwait 2\nkey q\nwait 2\nclick 5 5", true, branched},
      {"wait 2\nkey ctrl+q\nwait 2\nclick 5 5", false, branched},
  };
  for (const auto& [input, quitAllowed, presents] : cases) {
    MovieFrame waiting = ColourFrame(kWhole, 5);
    waiting.hotSpots = {{-2, {0, 0, 20, 20}, 1, ""}};
    MovieHeader header = MovieOf({waiting, ColourFrame({0, 32, 48, 64}, 9)});
    header.quitWhileWaiting = quitAllowed;
    Write("SPOT.MOV", {{header}});
    EXPECT_EQ(Play("SPOT.MOV", input), kPaletteShown + presents + kNoBoxes) << input;
    run_.reset();
  }
}

// Calls nest five deep: a movie that calls itself shows its first frame six times and stops at
// the sixth call. A return goes back to the caller's frame; with no caller it stops.
TEST_F(MoviePlayTest, CallsNestFiveDeepAndReturnToTheirFrame) {
  Write("SELF.MOV",
        {{MovieOf({WithEnd(ColourFrame(kWhole, 5), MovieAction::kCall, 0, "SELF.MOV")})}});
  std::string six;
  for (int i = 0; i < 6; ++i) six += std::string(" ") + kPaletteShown + " 0,0,48,64";
  EXPECT_EQ(Play("SELF.MOV"), six.substr(1) + kNoBoxes);
  run_.reset();

  Write("CALLER.MOV", {{MovieOf({WithEnd(ColourFrame(kWhole, 5), MovieAction::kCall, 1, "BACK.MOV"),
                                 ColourFrame({0, 0, 8, 8}, 7)})}});
  Write("BACK.MOV",
        {{MovieOf({WithEnd(ColourFrame({20, 20, 30, 30}, 9), MovieAction::kReturn, 0, "")})}});
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
  std::vector<MovieFrame> frames;
  for (std::int16_t i = 0; i < 4; ++i) {
    frames.push_back(ColourFrame({0, std::int16_t(i * 8), 8, std::int16_t(i * 8 + 8)},
                                 std::uint8_t(5 + i), kFrameTimed, 130));
  }
  MovieHeader header = MovieOf(frames);
  header.playlist = {1, 2};
  header.playlistLoop = 1;
  Write("TOGGLE.MOV", {MovieSegment{header, {}, {Tone(2, 100), Tone(10, 150)}}});
  EXPECT_EQ(Play("TOGGLE.MOV", "wait 140\nkey ctrl+t\nwait 240\nkey ctrl+t"),
            std::string(kPaletteShown) + " theme=1 0,0,8,8 theme=1 0,8,8,16 theme=2 " +
                "0,16,8,24 0,24,8,32 theme=1" + kNoBoxes);
}

// Damaged movies end with the fatal report of the step that found the damage, never a crash:
// frames past the header record, a second segment (its header record 2) naming itself as the
// next, the next segment missing; a picture outside the movie, the picture record missing; a sound
// past the segment's, a preload of an empty range; a loop entry past the playlist. The fields of
// frame 0's descriptor are at kMovieFramesOffset and behind.
TEST_F(MoviePlayTest, DamagedMoviesEndWithTheirFatalSite) {
  using Records = std::vector<test::Bytes>;
  const MovieSegment plain{MovieOf({ColourFrame(kWhole, 5, kFrameTimed)})};
  MovieSegment outside = plain;
  outside.header.frames[0].pictureRect = {40, 60, 60, 70};
  MovieSegment looping = plain;
  looping.themes = {Tone(0.1, 128)};
  looping.header.playlist = {1};
  looping.header.playlistLoop = 1;
  const struct Case {
    std::vector<MovieSegment> segments;
    std::function<void(Records&)> damage;
    std::string_view box;
  } cases[] = {
      {{plain}, [](Records& r) { r[0].resize(2300); }, "line 2401"},
      {{plain, plain}, [](Records& r) { r[2][54] = 2; }, "line 2401"},
      {{plain, plain}, [](Records& r) { r.resize(2); }, "line 2401"},
      {{outside}, {}, "line 2406"},
      {{plain}, [](Records& r) { r.pop_back(); }, "line 2406"},
      {{plain}, [](Records& r) { r[0][kMovieFramesOffset + 32] = 3; }, "line 2706"},
      {{plain}, [](Records& r) { r[0][kMovieFramesOffset + 26] |= kFramePreloads; }, "line 2408"},
      {{looping}, {}, "line 2708"}};
  for (const Case& c : cases) {
    Write("BAD.MOV", c.segments, c.damage);
    const std::string shown = Play("BAD.MOV");
    EXPECT_NE(shown.find(c.box), std::string::npos) << c.box << ": " << shown;
    run_.reset();
  }
}

}  // namespace
}  // namespace lw::testing
