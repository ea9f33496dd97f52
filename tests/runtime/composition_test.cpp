// The screen composition in a run: forceupdate counts a frame and shows what the stage objects
// drew (the test draws on the stage layer in their place) under the message box, the window's
// draw message asks for a whole frame, frames reach the window at least 3 ticks apart, and null
// ticks flush the title's files. Presents are heard through the run's present trace.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

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
  void Start(std::string_view script, bool messageBox = false) {
    Boot(script, "", [this, messageBox](RuntimeOptions& options) {
      options.presentTrace = [this](std::uint32_t tick, const Rect& r) {
        presents_.emplace_back(tick, test::Print(r));
      };
      options.showMessageBox = messageBox;
    });
  }

  // Stage pixels `area` become colour 7, and the stage asks for a frame.
  void DrawOnStage(const Rect& area) {
    StageDisplay& stage = *runtime().stageDisplay();
    for (int v = area.top; v < area.bottom; ++v)
      std::memset(stage.stageLayer().row(v) + area.left, 7, static_cast<std::size_t>(area.width()));
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

}  // namespace
}  // namespace lw::testing
