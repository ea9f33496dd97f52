// The runtime around the loop: what the title boot sets up, the boot file's failures, the
// stage window's drawing and its messages, the pause, and how a run ends and with what status.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <functional>

#include "runtime/stage_window.h"
#include "support/runtime_title.h"

namespace lw::testing {
namespace {

constexpr std::string_view kContinueOrQuit = ".  Select Ok to continue, or Cancel to quit title.";

class RuntimeTest : public TitleTest {
 protected:
  // Overwrites four bytes of the boot file at `offset` with `value`, little-endian.
  void PatchBootFile(std::streamoff offset, std::uint32_t value) {
    std::fstream file(title_ / "bootfile", std::ios::binary | std::ios::in | std::ios::out);
    file.seekp(offset);
    for (int i = 0; i < 4; ++i) file.put(static_cast<char>(value >> (8 * i)));
  }
};

// The stage window covers the screen with stage point (0, 0) at screen point (64, 48); the
// message box, hidden, is made beside it (where it is placed is the message box suite's).
TEST_F(RuntimeTest, BootMakesTheWindowsAroundTheCentredStage) {
  TitleRun& run = Boot(kRecordingScript);
  const RuntimeWindow& stage = *runtime().stage()->window();
  const Point origin = runtime().stage()->origin();
  EXPECT_EQ(platform().windowOptions().caption + ": stage " + std::to_string(stage.record.kind) +
                (stage.visible ? " shown" : " hidden") + ", origin " + std::to_string(origin.h) +
                "," + std::to_string(origin.v) + ", box " +
                std::to_string(runtime().messageBox().window()->record.kind) +
                (runtime().stage()->bootFile() != nullptr ? ", boot file open" : ""),
            "title: stage 1 shown, origin -64,-48, box 2, boot file open");
  EXPECT_EQ(run.End(), Runtime::kExitOk);
  EXPECT_TRUE(runtime().library().openFiles().empty()) << "the stop closes every star file";
  EXPECT_EQ(run.Boxes(), "");
}

// A boot file that is missing or no usable star file is reported once, with the star layer's own
// fault whatever the probes before it (the plug-in folder listing) happened to miss. The player
// answers Ok and the title goes on without a system script; the status tells of the fatal error.
TEST_F(RuntimeTest, BootFileFailuresAreReportedAndTheRunGoesOn) {
  const std::string wrongVersion =
      "Bad star file version at line 5208 (code 0)" + std::string(kContinueOrQuit);
  const struct {
    std::function<void()> make;
    std::string text;
  } cases[] = {
      {[this] { std::filesystem::remove(title_ / "bootfile"); },
       "title can't find the file \"BootFile\" in the title directory on your hard drive. "
       "Check your installation and re-install if necessary (Error line 5200, code 2). "
       "Select Ok to continue, or Cancel to quit title."},
      {[this] { PatchBootFile(0, 0x00010001); }, wrongVersion},
      {[this] {
         PatchBootFile(0, 0x00010001);
         scratch_.writeFile("title/plugins/readme.txt", "no plug-in here");
       },
       wrongVersion},
      {[this] { scratch_.writeFile("title/bootfile", kRecordingScript); }, wrongVersion},
      {[this] { std::ofstream(title_ / "bootfile", std::ios::app).put('\0'); },
       "Bad star file size at line 5208 (code 0)" + std::string(kContinueOrQuit)},
  };
  for (const auto& c : cases) {
    std::filesystem::remove_all(title_);
    std::filesystem::create_directories(title_);
    UseScript(kRecordingScript);
    c.make();
    TitleRun run(title_, "answer ok\nkey a");
    EXPECT_EQ(run.Run(), Runtime::kExitFatalError) << c.text;
    EXPECT_EQ(run.Boxes(), FatalBoxLine(c.text));
    EXPECT_EQ(run.Calls(), "boot() keydown(\"a\")") << "the calls go on";
  }
}

// The file locator's search of the path slots misses as a matter of course and leaves no platform
// error for a later report to name (the plug-in folder's listing is the plug-in suite's).
TEST_F(RuntimeTest, ALocatorMissLeavesNoPlatformErrorBehind) {
  Boot(kRecordingScript);
  std::string path;
  EXPECT_EQ(runtime().fileLocator()->LocateFile("NONE.STR", path), ScriptError::CantFindFile);
  EXPECT_EQ(runtime().lastError().get(), platform_error::kNone);
}

// Ctrl+Q reaches the title's menuselect(); a title that cannot hear it quits, so that the player
// always has a way out. Only a handler's header counts, not a call or a longer name.
TEST_F(RuntimeTest, CtrlQQuitsATitleThatCannotHearMenuItems) {
  const struct {
    std::string_view script;  // empty: no boot file
    bool quits;
  } cases[] = {
      {"", true},
      {"code keydown(key)\nendcode\n", true},
      {"code menuselects(item)\n\tmenuselect(item)\nendcode\n", true},
      {"code MenuSelect(item)\nendcode\n", false},
  };
  for (const auto& c : cases) {
    std::filesystem::remove(title_ / "bootfile");
    if (!c.script.empty()) UseScript(c.script);
    TitleRun run(title_, "answer ok\nwait 10\nkey ctrl+q\nwait 500");
    EXPECT_EQ(run.Run(), c.script.empty() ? Runtime::kExitFatalError : Runtime::kExitOk);
    EXPECT_EQ(run.Calls(), "boot() menustate() menuselect(\"quit\")");
    EXPECT_EQ(run.platform().ticks() < 20, c.quits) << c.script;
  }
}

// The draw message paints the four strips around the stage with the port's pattern (black) and
// leaves the stage itself to the composition.
TEST_F(RuntimeTest, DrawFillsOnlyTheStripsAroundTheStage) {
  constexpr std::uint8_t kGrey = 7;
  Boot(kRecordingScript).FillScreen(kGrey);
  runtime().stage()->handle(WindowMessage(window_message::kDraw));
  // Black (0) and grey at the stage's corners, just inside and just outside.
  const int probes[][3] = {{0, 0, 0},       {63, 200, 0},      {64, 47, 0},
                           {64, 48, kGrey}, {575, 431, kGrey}, {576, 431, 0},
                           {575, 432, 0},   {639, 479, 0},     {320, 240, kGrey}};
  for (const auto& [h, v, index] : probes)
    EXPECT_EQ(runtime().screen().canvas().at(h, v), index) << h << ", " << v;
}

// Begin and end drawing nest; only the outermost pair moves the origin, and an end without a
// begin is reported.
TEST_F(RuntimeTest, DrawingNestsAndAnUnmatchedEndIsReported) {
  TitleRun& run = Boot(kRecordingScript);
  StageWindow& stage = *runtime().stage();
  const Port& port = stage.window()->port;
  std::string origins;
  for (const int code :
       {window_message::kBeginDrawing, window_message::kBeginDrawing, window_message::kEndDrawing,
        window_message::kEndDrawing, window_message::kEndDrawing}) {
    stage.handle(WindowMessage(code));
    origins += std::to_string(port.originH) + "," + std::to_string(port.originV) + " ";
  }
  EXPECT_EQ(origins, "-64,-48 -64,-48 -64,-48 0,0 0,0 ");
  EXPECT_EQ(&runtime().graphics().currentPort(), &port);
  EXPECT_EQ(run.Boxes(), UndefinedErrorLine(5224));
  EXPECT_EQ(stage.drawingDepth(), 0);
}

// Switching away pauses the title and says so in the caption; only a full-screen window is also
// minimised. The input ends while paused, which closes the window.
TEST_F(RuntimeTest, PauseMinimisesOnlyAFullScreenWindow) {
  UseScript(kRecordingScript);
  for (const bool fullscreen : {true, false}) {
    TitleRun run(title_, "wait 1\nfocus out",
                 [&](RuntimeOptions& o) { o.fullscreen = fullscreen; });
    EXPECT_EQ(run.Run(), Runtime::kExitOk);
    EXPECT_EQ(run.platform().windowOptions().caption, "title [paused]");
    EXPECT_EQ(run.platform().minimised(), fullscreen);
    EXPECT_EQ(run.runtime().windows().appState(), AppState::kPaused);
  }
}

// Once the input has played, the run goes on for 60 ticks; an end tick ends it sooner.
TEST_F(RuntimeTest, RunsEndSixtyTicksAfterTheInputOrAtTheEndTick) {
  UseScript(kRecordingScript);
  for (const std::uint32_t end : {0u, 30u}) {
    TitleRun run(title_, end == 0 ? "wait 20" : "wait 500", [&](RuntimeOptions& o) {
      if (end != 0) o.endTick = end;
    });
    EXPECT_EQ(run.Run(), Runtime::kExitOk);
    EXPECT_GE(run.platform().ticks(), end == 0 ? 80u : end);
    EXPECT_LE(run.platform().ticks(), (end == 0 ? 80u : end) + 4);
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
    std::filesystem::remove(title_ / "bootfile");
    if (c.bootFile) UseScript(kRecordingScript);
    TitleRun run(title_, "", [&](RuntimeOptions& o) { o.screenshotPath = c.path.string(); });
    EXPECT_EQ(run.Run(), c.status) << c.path;
  }
  EXPECT_GT(std::filesystem::file_size(shot), 0u);
}

}  // namespace
}  // namespace lw::testing
