// The runtime around the loop: what the title boot sets up, the boot file's failures, the
// stage window's drawing and its messages, and how a run ends.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "runtime/error_lines.h"
#include "runtime/stage_window.h"
#include "shell/drawing/rect_ops.h"
#include "shell/message_texts.h"
#include "title_fixture.h"

namespace lw::testing {
namespace {

using Calls = std::vector<std::string>;

class RuntimeTest : public TitleTest {};

TEST_F(RuntimeTest, BootLaysOutTheWindowsAroundTheCentredStage) {
  UseScript(kRecordingScript);
  TitleRun run(title(), "");
  Runtime& runtime = run.runtime();
  ASSERT_TRUE(runtime.Begin());
  EXPECT_EQ(runtime.titleName(), "title");
  EXPECT_EQ(run.platform().windowOptions().caption, "title");
  EXPECT_EQ(runtime.windows().appState(), AppState::kActive);

  const RuntimeWindow& stage = *runtime.stage()->window();
  EXPECT_EQ(stage.record.kind, window_kind::kStage);
  EXPECT_TRUE(stage.visible);
  EXPECT_TRUE(EqualRect(stage.bounds, runtime.screen().rect()));
  // Stage point (0, 0) lies at screen point (64, 48).
  EXPECT_EQ(runtime.stage()->origin().h, -64);
  EXPECT_EQ(runtime.stage()->origin().v, -48);

  const RuntimeWindow& box = *runtime.messageBox().window();
  EXPECT_EQ(box.record.kind, window_kind::kMessageBox);
  EXPECT_EQ(box.bounds.right - box.bounds.left, Runtime::kMessageBoxWidth);
  EXPECT_EQ(box.bounds.left + box.bounds.right, platform::kCanvasWidth);
  EXPECT_EQ(box.bounds.top, platform::kCanvasHeight - Runtime::kMessageBoxTopAboveBottom);
  EXPECT_EQ(box.bounds.bottom, platform::kCanvasHeight - Runtime::kMessageBoxBottomAboveBottom);

  EXPECT_EQ(runtime.pathSlots()->get(0), "appl:");
  ASSERT_NE(runtime.stage()->bootFile(), nullptr);
  EXPECT_EQ(runtime.End(), Runtime::kExitOk);
  EXPECT_TRUE(runtime.library().openFiles().empty()) << "the stop closes every star file";
  EXPECT_TRUE(run.platform().boxes().empty());
}

TEST_F(RuntimeTest, MissingBootFileIsReportedOnceAndTheLoopStillRuns) {
  TitleRun run(title(), "answer ok");
  EXPECT_EQ(run.Run(), Runtime::kExitOk);
  ASSERT_EQ(run.platform().boxes().size(), 1u);
  const MessageTexts texts("title");
  const std::string expected =
      FormatMessageText(texts.text(text_id::kBootFileMissing), errline::kBootFileOpen,
                        platform_error::kFileNotFound) +
      texts.text(text_id::kContinueOrQuit);
  EXPECT_EQ(run.platform().boxes()[0].text, WrapForBox(expected));
  EXPECT_EQ(run.calls, (Calls{"boot()"})) << "handler calls go on without a system script";
}

TEST_F(RuntimeTest, BootFileThatIsNoStarFileIsReported) {
  scratch_.writeFile("title/bootfile", "not a star file");
  TitleRun run(title(), "answer ok");
  ASSERT_TRUE(run.runtime().Begin());
  ASSERT_EQ(run.platform().boxes().size(), 1u);
  Runtime& runtime = run.runtime();
  EXPECT_EQ(run.platform().boxes()[0].text,
            WrapForBox(runtime.errors().ComposeMessage(CodeNumber(ProgramCode::kBadStarVersion),
                                                       errline::kBootFileStarOpen,
                                                       runtime.lastError().get())));
  EXPECT_EQ(runtime.stage()->bootFile(), nullptr);
  runtime.End();
}

// The draw message paints the four strips around the stage with the port's pattern (black) and
// leaves the stage itself to the composition.
TEST_F(RuntimeTest, DrawFillsOnlyTheStripsAroundTheStage) {
  UseScript(kRecordingScript);
  TitleRun run(title(), "");
  Runtime& runtime = run.runtime();
  ASSERT_TRUE(runtime.Begin());
  Surface& canvas = runtime.screen().canvas();
  constexpr std::uint8_t kGrey = 7;
  for (int y = 0; y < canvas.height(); ++y) std::memset(canvas.row(y), kGrey, canvas.width());
  runtime.stage()->handle(WindowMessage(window_message::kDraw));
  struct Probe {
    int h, v;
    std::uint8_t index;
  };
  const Probe probes[] = {
      {0, 0, Port::kBlack},     {63, 200, Port::kBlack},  {64, 47, Port::kBlack},
      {64, 48, kGrey},          {575, 431, kGrey},        {576, 431, Port::kBlack},
      {575, 432, Port::kBlack}, {639, 479, Port::kBlack}, {320, 240, kGrey}};
  for (const Probe& p : probes) {
    EXPECT_EQ(canvas.at(p.h, p.v), p.index) << p.h << ", " << p.v;
  }
  runtime.End();
}

// Begin and end drawing nest; only the outermost pair moves the origin, and an end without a
// begin is reported.
TEST_F(RuntimeTest, DrawingNestsAndAnUnmatchedEndIsReported) {
  UseScript(kRecordingScript);
  TitleRun run(title(), "");
  Runtime& runtime = run.runtime();
  ASSERT_TRUE(runtime.Begin());
  StageWindow& stage = *runtime.stage();
  const Port& port = stage.window()->port;
  stage.handle(WindowMessage(window_message::kBeginDrawing));
  stage.handle(WindowMessage(window_message::kBeginDrawing));
  EXPECT_EQ(&runtime.graphics().currentPort(), &port);
  EXPECT_EQ(port.originH, -64);
  EXPECT_EQ(port.originV, -48);
  stage.handle(WindowMessage(window_message::kEndDrawing));
  EXPECT_EQ(port.originH, -64) << "still inside the outer pair";
  stage.handle(WindowMessage(window_message::kEndDrawing));
  EXPECT_EQ(port.originH, 0);
  EXPECT_EQ(port.originV, 0);
  EXPECT_TRUE(run.platform().boxes().empty());

  stage.handle(WindowMessage(window_message::kEndDrawing));
  ASSERT_EQ(run.platform().boxes().size(), 1u);
  EXPECT_EQ(run.platform().boxes()[0].text,
            WrapForBox(runtime.errors().ComposeMessage(
                kRuntimeProgramCode, errline::kEndDrawingWithoutBegin, runtime.lastError().get())));
  EXPECT_EQ(stage.drawingDepth(), 0);
  runtime.End();
}

TEST_F(RuntimeTest, RunsEndByQuitTicksOrTheEndOfTheInput) {
  UseScript(kRecordingScript);
  {
    TitleRun run(title(), "wait 5\nquit\nwait 500");
    EXPECT_EQ(run.Run(), Runtime::kExitOk);
    EXPECT_LT(run.platform().ticks(), 10u);
  }
  {
    TitleRun run(title(), "wait 500", [](RuntimeOptions& o) { o.endTick = 30; });
    EXPECT_EQ(run.Run(), Runtime::kExitOk);
    EXPECT_GE(run.platform().ticks(), 30u);
    EXPECT_LT(run.platform().ticks(), 35u);
  }
  {
    // The input ends at tick 20; the run goes on for 60 ticks more.
    TitleRun run(title(), "wait 20");
    EXPECT_EQ(run.Run(), Runtime::kExitOk);
    EXPECT_GE(run.platform().ticks(), 80u);
    EXPECT_LT(run.platform().ticks(), 85u);
  }
}

TEST_F(RuntimeTest, ScreenshotIsWrittenWhenTheRunEnds) {
  UseScript(kRecordingScript);
  const std::filesystem::path shot = scratch_.path() / "end.png";
  TitleRun run(title(), "", [&shot](RuntimeOptions& o) { o.screenshotPath = shot.string(); });
  EXPECT_EQ(run.Run(), Runtime::kExitOk);
  EXPECT_GT(std::filesystem::file_size(shot), 0u);

  TitleRun unwritable(title(), "", [this](RuntimeOptions& o) {
    o.screenshotPath = (scratch_.path() / "no" / "such" / "folder.png").string();
  });
  EXPECT_EQ(unwritable.Run(), Runtime::kExitFailure);
}

}  // namespace
}  // namespace lw::testing
