// The screen composition in a run: forceupdate counts a frame and shows what the stage objects
// drew (the test draws on the stage layer in their place) under the message box, the window's
// draw message asks for a whole frame, frames reach the window at least 3 ticks apart, null
// ticks flush the title's files, and visualeffect reveals the composed stage step by step.
// Presents are heard through the run's present trace.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "shell/drawing/rect_ops.h"
#include "support/common_printers.h"
#include "support/runtime_title.h"
#include "support/storage_scratch.h"

namespace lw::testing {
namespace {

class CompositionTest : public TitleTest {
 protected:
  // The run ends while the presents it reports to are still there.
  void TearDown() override { run_.reset(); }

  // Boots `script` with the message box shown or not, hearing every present.
  void Start(std::string_view script, bool messageBox = false, std::string_view input = "") {
    Boot(script, input, [this, messageBox](RuntimeOptions& options) {
      options.presentTrace = [this](std::uint32_t tick, const PresentedRect& r) {
        const bool moved = !EqualRect(r.rect, r.from);
        presents_.emplace_back(tick,
                               test::Print(r.rect) + (moved ? " from " + test::Print(r.from) : ""));
      };
      options.showMessageBox = messageBox;
    });
  }

  // Stage pixels `area` become `colour`, and the stage asks for a frame.
  void DrawOnStage(const Rect& area, std::uint8_t colour = 7) {
    StageDisplay& stage = *runtime().stageDisplay();
    for (int v = area.top; v < area.bottom; ++v)
      std::memset(stage.stageLayer().row(v) + area.left, colour,
                  static_cast<std::size_t>(area.width()));
    stage.requestScreenRedraw();
  }

  // The canvas colours at (h, v) of `points`.
  std::string Shown(std::initializer_list<std::pair<int, int>> points) {
    std::string colours;
    for (const auto& [h, v] : points)
      colours += std::to_string(platform().canvasPixel(h, v).value_or(0xEE)) + " ";
    return colours;
  }

  // The ticks of the presents of exactly `rect`.
  std::vector<std::uint32_t> TicksOf(std::string_view rect) const {
    std::vector<std::uint32_t> ticks;
    for (const auto& [tick, r] : presents_)
      if (r == rect) ticks.push_back(tick);
    return ticks;
  }

  std::vector<std::pair<std::uint32_t, std::string>> presents_;
};

// An idle() that calls forceupdate shows the stage layer in the middle of the screen (at 64, 48)
// and the backdrop around it, over whatever the canvas showed before; the message box stays over
// them, and a later whole frame covers the box that is already drawn.
TEST_F(CompositionTest, IdleForceUpdateShowsTheStageLayerAndKeepsTheMessageBox) {
  Start("code idle()\n\tforceupdate()\nendcode\n", true);
  run_->FillScreen(9);
  DrawOnStage({10, 10, 20, 20});
  run_->RunUntilTick(30);
  // The drawn square's corners, the rest of the stage layer and the backdrop.
  EXPECT_EQ(Shown({{74, 58}, {83, 67}, {73, 58}, {10, 10}}), "7 7 0 0 ");
  DrawOnStage({0, 0, 1, 1});
  run_->RunUntilTick(40);
  // The backdrop beside the box and the box's own white.
  EXPECT_EQ(Shown({{20, 440}, {530, 440}}), "0 " + std::to_string(Port::kWhite) + " ");
  EXPECT_EQ(run_->Boxes(), "");
}

// forceupdate is the display step: the frame counter rises by one for each, and a frame is
// composed; the window's draw message (its first paint) had asked for the whole screen. Two
// frames asked for in one handler call: the second waits out the frame interval.
TEST_F(CompositionTest, ForceUpdateCountsFramesAndWaitsOutTheFrameInterval) {
  Start("code twice()\n\tforceupdate()\n\tforceupdate()\n\treturn frame()\nendcode\n");
  run_->RunUntilTick(5);
  Compositor& compositor = *runtime().compositor();
  EXPECT_EQ(compositor.redrawLevel(), RedrawLevel::kScreen);
  presents_.clear();
  run_->Expect({{"frame()", "0"}, {"forceupdate()", "OK"}, {"frame()", "1"}});
  run_->RunUntilTick(10);
  EXPECT_EQ(compositor.redrawLevel(), RedrawLevel::kNone);
  EXPECT_EQ(TicksOf("0,0,480,640").size(), 1u);

  compositor.addContributor([](Compositor& c) { c.AddDirtyRect({0, 0, 10, 10}); });
  presents_.clear();
  EXPECT_EQ(run_->Eval("sendtobootfx(twice())"), "3");
  run_->RunUntilTick(20);
  const std::vector<std::uint32_t> ticks = TicksOf("0,0,10,10");
  ASSERT_EQ(ticks.size(), 2u);
  EXPECT_GE(ticks[1] - ticks[0], 3u) << ticks[0] << " and " << ticks[1];
}

// Null ticks come after 20 ticks without events; each flushes the open star files, so a changed
// record reaches its file while the title plays.
TEST_F(CompositionTest, NullTicksFlushChangedRecords) {
  Start("");
  test::WriteStarFile(runtime().files(), "appl:data", {test::Bytes{1, 2, 3}});
  StarFile* file = nullptr;
  ASSERT_EQ(runtime().library().StarOpen("appl:data", file), ProgramCode::kOk);
  test::ChangeRecord(runtime().library(), *file, 0, 0xA5);
  const auto onDisk = [this] {
    std::ifstream in(title_ / "data", std::ios::binary);
    return std::count(std::istreambuf_iterator<char>(in), {}, '\xA5');
  };
  run_->RunUntilTick(15);
  EXPECT_EQ(runtime().stage()->nullTicks(), 0u);
  EXPECT_EQ(onDisk(), 0);
  run_->RunUntilTick(30);
  EXPECT_GT(runtime().stage()->nullTicks(), 0u);
  EXPECT_EQ(onDisk(), 1);
}

// visualeffect composes the whole screen without showing it, then reveals the stage: "wipedown"
// over its 384 rows in 15 bands of 384 / 16 + 1 = 25 rows, then the whole stage; "scrolldown"
// shows the stage's bottom strip at its top. Every effect leaves the window showing exactly the
// composed picture, a new one each time.
TEST_F(CompositionTest, VisualEffectRevealsTheComposedStageStepByStep) {
  Start("");
  run_->RunUntilTick(5);
  const Surface& composed = runtime().compositor()->screenBuffer();
  std::uint8_t colour = 7;
  for (const char* effect : {"barndoorclose", "barndooropen", "irisclose", "irisopen", "scrolldown",
                             "scrollup", "scrollright", "scrolleft", "venetian", "wipedown",
                             "wipeup", "wiperight", "wipeleft", "plain"}) {
    DrawOnStage({0, 0, 384, 512}, ++colour);
    presents_.clear();
    EXPECT_EQ(run_->Eval("visualeffect(" + std::string(effect) + ", 1)"), "OK");
    int differing = 0;
    for (int v = 0; v < composed.height(); ++v)
      for (int h = 0; h < composed.width(); ++h)
        differing += platform().canvasPixel(h, v) != composed.at(h, v) ? 1 : 0;
    EXPECT_EQ(differing, 0) << effect;
    EXPECT_EQ(platform().canvasPixel(64, 48), colour) << effect;
    if (std::string_view(effect) == "wipedown") {
      EXPECT_EQ(presents_[1].second + " " + presents_[14].second + " " + presents_[15].second,
                "73,64,98,576 398,64,423,576 48,64,432,576");
    }
    if (std::string_view(effect) == "scrolldown") {
      EXPECT_EQ(presents_[1].second, "48,64,98,576 from 382,64,432,576");
    }
  }
}

// The effect is its name as written and a comma follows it; the duration must be a number and
// is held within 1..1000 ticks: 0 pauses a tick between steps, 5000 pauses 1000 / 15 = 66. A
// pause is timed in milliseconds (a tick is 50/3 of them, 16 in whole milliseconds), so fifteen
// pauses may end a tick short of fifteen times the ticks of one.
TEST_F(CompositionTest, VisualEffectArgumentsAndDurations) {
  Start("");
  run_->Expect({{"visualeffect(\"wipeleft\", 5)", "Bad argument type."},
                {"visualeffect(frame(), 5)", "Bad argument type."},
                {"visualeffect(wipeleft 5)", "Expected comma ','."},
                {"visualeffect(wipeleft, \"5\")", "Bad argument type."},
                {"visualeffect(plain, 5)", "OK"}});
  for (const auto& [line, pause] : {std::pair{"visualeffect(wipeleft, 0)", 1u},
                                    std::pair{"visualeffect(wipeleft, 5000)", 66u}}) {
    presents_.clear();
    EXPECT_EQ(run_->Eval(line), "OK");
    ASSERT_EQ(presents_.size(), 16u) << line;
    EXPECT_NEAR(presents_[15].first - presents_[0].first, 15 * pause, 1) << line;
  }
}

// Closing the window during a long effect ends it at once: the run stops long before the
// effect's 1000 ticks.
TEST_F(CompositionTest, ClosingTheWindowEndsAVisualEffect) {
  Start("code keydown(k)\n\tvisualeffect(irisopen, 1000)\nendcode\n", false,
        "key a\nwait 100\nquit\n");
  run_->RunUntilTick(150);
  EXPECT_LT(platform().ticks(), 200u);
  // Steps at about ticks 0 and 62 (1000 / 16); the quit came in the second pause.
  EXPECT_EQ(std::count_if(presents_.begin(), presents_.end(),
                          [](const auto& p) { return p.second.starts_with("2"); }),
            2);
}

// A movie frame's transition steps a tick apart by its deadline: a scroll down in n = 3 steps of
// 100 / 3 + 1 = 34 rows, moved by the origin, the strips kept inside the picture rectangle (the
// third would reach 2 rows past it), then the whole picture; the window then shows the picture
// there. A fade to black ends with every entry between the fixed ends black.
TEST_F(CompositionTest, MovieFramesStepATickApart) {
  Start("");
  run_->RunUntilTick(5);
  Surface picture(640, 480);
  for (int v = 0; v < 480; ++v)
    for (int h = 0; h < 640; ++h) picture.row(v)[h] = static_cast<std::uint8_t>(1 + (h + v) % 250);
  ColourTable moviePalette = runtime().palettes().systemPalette();
  TransitionPalette palette{runtime().palettes(), moviePalette, false};
  presents_.clear();
  EXPECT_TRUE(runtime().ShowMovieFrame(picture, {0, 0, 240, 320}, PointAt(10, 20),
                                       {4, 0, {100, 100, 200, 300}, 3}, palette));
  std::string lines;
  for (const auto& [tick, r] : presents_)
    lines += std::to_string(tick - presents_.front().first) + ": " + r + "\n";
  EXPECT_EQ(lines,
            "0: 110,120,144,320 from 176,120,210,320\n1: 110,120,178,320 from 142,120,210,320\n"
            "2: 110,120,210,320\n3: 110,120,210,320\n");
  EXPECT_EQ(Shown({{120, 110}, {319, 209}, {320, 110}}), "201 249 0 ");

  presents_.clear();
  EXPECT_TRUE(
      runtime().ShowMovieFrame(picture, {0, 0, 240, 320}, {}, {17, 0, {0, 0, 10, 10}, 2}, palette));
  for (const int entry : {1, 128, 254})
    EXPECT_EQ(test::Print(runtime().palettes().installed()[entry]), "0,0,0");
}

}  // namespace
}  // namespace lw::testing
