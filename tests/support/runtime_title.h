// Test titles for the runtime: a title folder whose boot file titlekit makes from a system
// script source, and a headless run of it that records every handler call, runs lines as the
// message box does, and shows what the player saw (boxes, handler calls, line outcomes) as trace
// strings, so that a test compares a few strings instead of many fields.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/headless/headless_platform.h"
#include "runtime/runtime.h"
#include "support/shell_fake_platform.h"
#include "support/temp_folder.h"

namespace lw::testing {

// Makes `title`/bootfile from the system script `source` (UTF-8, LF line ends) with titlekit's
// bootfile command, as an author makes it.
void WriteBootFile(const std::filesystem::path& title, std::string_view source);

// A system script that answers every handler the runtime calls, counts its idle() runs in the
// global `idles`, and makes the next `failidle` idle() runs fail after counting; the key "f"
// sets failidle to 2.
extern const std::string_view kRecordingScript;

// One row of a line table: a line and the outcome it must give. Under a probe the expectation
// is the outcome, " | ", and the probe's description of the state after the line.
struct LineRow {
  std::string_view line;
  std::string_view expected;
};

// Describes the part of the run a table looks at, after each line.
using LineProbe = std::function<std::string()>;

// One headless run of a title folder: the runtime over a headless platform playing `input`,
// its text drawn by BlockFonts, with every handler call but idle() recorded in `calls`. With an
// `audioOut` path the sound heard is recorded there as a WAV file (see FlushAudio), by a device
// of `audioOutBytes` bytes a sample alone when that is 1 or 2 (WavCapture::Create).
class TitleRun {
 public:
  TitleRun(const std::filesystem::path& title, std::string_view input,
           const std::function<void(RuntimeOptions&)>& adjust = {},
           const std::filesystem::path& audioOut = {}, int audioOutBytes = 0);
  // Ends a run that Begin began and End did not end.
  ~TitleRun();
  TitleRun(const TitleRun&) = delete;
  TitleRun& operator=(const TitleRun&) = delete;

  // The whole run; its exit status.
  int Run() { return runtime_->Run(); }
  // Run in steps: Begin (false when no window opens), loop passes, and End (the exit status).
  bool Begin();
  int End();

  [[nodiscard]] Runtime& runtime() { return *runtime_; }
  [[nodiscard]] platform::HeadlessPlatform& platform() { return *platform_; }

  // The handler calls so far, joined by spaces.
  [[nodiscard]] std::string Calls() const;
  // The boxes shown, one a line: "CAPTION (ICON) [BUTTONS] TEXT" with the text's line breaks as
  // spaces, so that a test compares a box with the literal text the player reads.
  [[nodiscard]] std::string Boxes() const;

  // Runs `line` in a fresh pass as the message box does; the outcome it shows.
  std::string Eval(std::string_view line);
  // Runs the rows in order and expects every row's text. All rows are compared as one trace, one
  // row a line ("LINE -> OUTCOME"), so that a failure shows every row that differs.
  void Expect(std::initializer_list<LineRow> rows, const LineProbe& probe = {});
  // Runs loop passes until the platform's clock reaches `tick`.
  void RunUntilTick(std::uint64_t tick);
  // Runs loop passes until the input script has played and every queued event is handled, then
  // two more, so that what was drawn has been presented.
  void Settle();
  // Fills the whole screen canvas with colour `index`, to be presented with the next pass.
  void FillScreen(std::uint8_t index);
  // Brings the audio capture's file up to date with the sound heard so far.
  void FlushAudio();

  std::vector<std::string> calls;

 private:
  BlockFonts fonts_;
  std::unique_ptr<platform::HeadlessPlatform> platform_;
  std::unique_ptr<Runtime> runtime_;
  bool begun_ = false;
};

// A scratch folder holding a title folder named "title", and the run of a test that boots it.
class TitleTest : public ::testing::Test {
 protected:
  // Saved games are kept in the scratch folder, not in the home folder of whoever runs the tests.
  TitleTest() : title_(scratch_.makeFolder("title")) {
    ::setenv("XDG_DATA_HOME", scratch_.makeFolder("data").c_str(), 1);
  }

  void UseScript(std::string_view source) { WriteBootFile(title_, source); }

  // Boots a title whose system script is `script`, playing `input`; the run ends with the test.
  TitleRun& Boot(std::string_view script, std::string_view input = "",
                 const std::function<void(RuntimeOptions&)>& adjust = {});
  [[nodiscard]] Runtime& runtime() { return run_->runtime(); }
  [[nodiscard]] platform::HeadlessPlatform& platform() { return run_->platform(); }

  // The calls of a whole run of `script` with `input`, boot() first.
  std::string CallsOf(std::string_view input, std::string_view script = kRecordingScript);

  test::TempFolder scratch_;
  std::filesystem::path title_;
  std::filesystem::path audioOut_;  // where Boot's run records its sound; empty for none
  int audioOutBytes_ = 0;           // the sample size of the device that records it; 0 any
  std::unique_ptr<TitleRun> run_;
};

// The line of TitleRun::Boxes for a fatal box showing `text`.
[[nodiscard]] std::string FatalBoxLine(std::string_view text);
// The line of TitleRun::Boxes for the runtime's own fatal report at `line` of a title folder
// named "title".
[[nodiscard]] std::string UndefinedErrorLine(int line);

}  // namespace lw::testing
