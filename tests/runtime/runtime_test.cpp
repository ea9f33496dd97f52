// The runtime around the loop: what the title boot sets up, the boot file's failures, the
// stage window's drawing and its messages, the pause, and how a run ends and with what status.
#include <gtest/gtest.h>

#include <cstring>

#include "runtime/stage_window.h"
#include "support/runtime_title.h"

namespace lw::testing {
namespace {

using Calls = std::vector<std::string>;

class RuntimeTest : public TitleTest {};

std::string RectText(const Rect& r) {
  return std::to_string(r.top) + "," + std::to_string(r.left) + " - " + std::to_string(r.bottom) +
         "," + std::to_string(r.right);
}

// The stage window covers the 640 x 480 screen with stage point (0, 0) at screen point (64, 48);
// the message box is a strip 436 wide, centred, 44 to 7 pixels above the bottom.
TEST_F(RuntimeTest, BootLaysOutTheWindowsAroundTheCentredStage) {
  UseScript(kRecordingScript);
  TitleRun run(title(), "");
  Runtime& runtime = run.runtime();
  ASSERT_TRUE(run.Begin());
  EXPECT_EQ(runtime.titleName(), "title");
  EXPECT_EQ(run.platform().windowOptions().caption, "title");
  EXPECT_EQ(runtime.windows().appState(), AppState::kActive);
  const RuntimeWindow& stage = *runtime.stage()->window();
  const RuntimeWindow& box = *runtime.messageBox().window();
  EXPECT_EQ(stage.record.kind, 1);
  EXPECT_EQ(box.record.kind, 2);
  EXPECT_TRUE(stage.visible);
  EXPECT_EQ(RectText(stage.bounds) + " / " + RectText(box.bounds),
            "0,0 - 480,640 / 436,102 - 473,538");
  EXPECT_EQ(runtime.stage()->origin().h, -64);
  EXPECT_EQ(runtime.stage()->origin().v, -48);
  EXPECT_EQ(runtime.pathSlots()->get(0), "appl:");
  ASSERT_NE(runtime.stage()->bootFile(), nullptr);
  EXPECT_EQ(run.End(), Runtime::kExitOk);
  EXPECT_TRUE(runtime.library().openFiles().empty()) << "the stop closes every star file";
  EXPECT_EQ(BoxLines(run.platform().boxes()), "");
}

// The player answers Ok and the title goes on without a system script; the run's status tells
// that a fatal error happened.
TEST_F(RuntimeTest, BootFileFailuresAreReportedAndTheRunGoesOn) {
  const struct {
    std::string_view bootFile;  // empty: none
    std::string_view box;       // the box's lines joined by spaces
  } cases[] = {
      {"",
       "title can't find the file \"BootFile\" in the title directory on your hard drive. "
       "Check your installation and re-install if necessary (Error line 5200, code 2). "
       "Select Ok to continue, or Cancel to quit title."},
      {"not a star file",
       "Bad star file version at line 5208 (code 0).  Select Ok to continue, or Cancel to quit "
       "title."},
  };
  for (const auto& c : cases) {
    if (!c.bootFile.empty()) scratch_.writeFile("title/bootfile", c.bootFile);
    TitleRun run(title(), "answer ok\nkey a");
    EXPECT_EQ(run.Run(), Runtime::kExitFatalError) << c.box;
    EXPECT_EQ(BoxLines(run.platform().boxes()), FatalBoxLine(c.box));
    EXPECT_EQ(run.calls, (Calls{"boot()", "keydown(\"a\")"})) << "the calls go on";
  }
}

// Ctrl+Q reaches the title's menuselect(); a title that cannot hear it quits, so that the player
// always has a way out.
TEST_F(RuntimeTest, CtrlQQuitsATitleThatCannotHearMenuItems) {
  const struct {
    std::string_view script;  // empty: no boot file
    bool quits;
  } cases[] = {
      {"", true},
      {"code keydown(key)\nendcode\n", true},
      {"code MenuSelect(item)\nendcode\n", false},
  };
  for (const auto& c : cases) {
    std::filesystem::remove(title() / "bootfile");
    if (!c.script.empty()) UseScript(c.script);
    TitleRun run(title(), "answer ok\nwait 10\nkey ctrl+q\nwait 500");
    EXPECT_EQ(run.Run(), c.script.empty() ? Runtime::kExitFatalError : Runtime::kExitOk);
    EXPECT_EQ(run.calls, (Calls{"boot()", "menustate()", "menuselect(\"quit\")"}));
    EXPECT_EQ(run.platform().ticks() < 20, c.quits) << c.script;
  }
}

// The draw message paints the four strips around the stage with the port's pattern (black) and
// leaves the stage itself to the composition.
TEST_F(RuntimeTest, DrawFillsOnlyTheStripsAroundTheStage) {
  UseScript(kRecordingScript);
  TitleRun run(title(), "");
  ASSERT_TRUE(run.Begin());
  Surface& canvas = run.runtime().screen().canvas();
  constexpr std::uint8_t kGrey = 7;
  for (int y = 0; y < canvas.height(); ++y) std::memset(canvas.row(y), kGrey, canvas.width());
  run.runtime().stage()->handle(WindowMessage(window_message::kDraw));
  // Black (0) and grey at the stage's corners, just inside and just outside.
  const int probes[][3] = {{0, 0, 0},       {63, 200, 0},      {64, 47, 0},
                           {64, 48, kGrey}, {575, 431, kGrey}, {576, 431, 0},
                           {575, 432, 0},   {639, 479, 0},     {320, 240, kGrey}};
  for (const auto& [h, v, index] : probes) EXPECT_EQ(canvas.at(h, v), index) << h << ", " << v;
}

// Begin and end drawing nest; only the outermost pair moves the origin, and an end without a
// begin is reported.
TEST_F(RuntimeTest, DrawingNestsAndAnUnmatchedEndIsReported) {
  UseScript(kRecordingScript);
  TitleRun run(title(), "");
  ASSERT_TRUE(run.Begin());
  StageWindow& stage = *run.runtime().stage();
  const Port& port = stage.window()->port;
  std::string origins;
  for (const int code : {window_message::kBeginDrawing, window_message::kBeginDrawing,
                         window_message::kEndDrawing, window_message::kEndDrawing}) {
    stage.handle(WindowMessage(code));
    origins += std::to_string(port.originH) + "," + std::to_string(port.originV) + " ";
  }
  EXPECT_EQ(origins, "-64,-48 -64,-48 -64,-48 0,0 ");
  EXPECT_EQ(&run.runtime().graphics().currentPort(), &port);
  EXPECT_EQ(BoxLines(run.platform().boxes()), "");
  stage.handle(WindowMessage(window_message::kEndDrawing));
  EXPECT_EQ(BoxLines(run.platform().boxes()),
            FatalBoxLine("Undefined error at line 5224 (code 0).  Select Ok to continue, or "
                         "Cancel to quit title."));
  EXPECT_EQ(stage.drawingDepth(), 0);
}

// Switching away pauses the title and says so in the caption; only a full-screen window is also
// minimised. The input ends while paused, which closes the window.
TEST_F(RuntimeTest, PauseMinimisesOnlyAFullScreenWindow) {
  UseScript(kRecordingScript);
  for (const bool fullscreen : {true, false}) {
    TitleRun run(title(), "wait 1\nfocus out",
                 [&](RuntimeOptions& o) { o.fullscreen = fullscreen; });
    EXPECT_EQ(run.Run(), Runtime::kExitOk);
    EXPECT_EQ(run.platform().windowOptions().caption, "title [paused]");
    EXPECT_EQ(run.platform().minimised(), fullscreen);
    EXPECT_EQ(run.runtime().windows().appState(), AppState::kPaused);
    EXPECT_NE(run.runtime().windows().appState(), AppState::kStarting);
  }
}

TEST_F(RuntimeTest, RunsEndByQuitTicksOrTheEndOfTheInput) {
  UseScript(kRecordingScript);
  const struct {
    std::string_view input;
    std::optional<std::uint32_t> endTick;
    std::uint64_t firstTick, lastTick;  // the tick at the end of the run
  } cases[] = {
      {"wait 5\nquit\nwait 500", std::nullopt, 5, 9},
      {"wait 500", 30, 30, 34},
      {"wait 20", std::nullopt, 80, 84},  // the input ends at tick 20, the run 60 ticks later
  };
  for (const auto& c : cases) {
    TitleRun run(title(), c.input, [&](RuntimeOptions& o) { o.endTick = c.endTick; });
    EXPECT_EQ(run.Run(), Runtime::kExitOk);
    EXPECT_GE(run.platform().ticks(), c.firstTick) << c.input;
    EXPECT_LE(run.platform().ticks(), c.lastTick) << c.input;
  }
}

// An unwritable screenshot fails the run, unless a fatal error already decided its status.
TEST_F(RuntimeTest, ScreenshotIsWrittenWhenTheRunEnds) {
  const std::filesystem::path shot = scratch_.path() / "end.png";
  const std::filesystem::path nowhere = scratch_.path() / "no" / "such" / "folder.png";
  const struct {
    bool bootFile;
    std::filesystem::path path;
    int status;
  } cases[] = {{true, shot, Runtime::kExitOk},
               {true, nowhere, Runtime::kExitFailure},
               {false, nowhere, Runtime::kExitFatalError}};
  for (const auto& c : cases) {
    std::filesystem::remove(title() / "bootfile");
    if (c.bootFile) UseScript(kRecordingScript);
    TitleRun run(title(), "", [&](RuntimeOptions& o) { o.screenshotPath = c.path.string(); });
    EXPECT_EQ(run.Run(), c.status) << c.path;
  }
  EXPECT_GT(std::filesystem::file_size(shot), 0u);
}

}  // namespace
}  // namespace lw::testing
