// Test titles for the runtime: a title folder whose boot file titlekit makes from a system
// script source, a headless run of it that records every handler call and ends what it began,
// and the fatal boxes it shows as one line each.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
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

// One headless run of a title folder: the runtime over a headless platform playing `input`,
// its text drawn by BlockFonts, with every handler call but idle() recorded in `calls`.
class TitleRun {
 public:
  TitleRun(const std::filesystem::path& title, std::string_view input,
           const std::function<void(RuntimeOptions&)>& adjust = {});
  // Ends a run that Begin began and End did not end.
  ~TitleRun();
  TitleRun(const TitleRun&) = delete;
  TitleRun& operator=(const TitleRun&) = delete;

  // The whole run; its exit status.
  int Run() { return runtime_->Run(); }
  // Run in steps: Begin (false when no window opens), passes, and End (the exit status).
  bool Begin();
  void Passes(int count);
  int End();

  [[nodiscard]] Runtime& runtime() { return *runtime_; }
  [[nodiscard]] platform::HeadlessPlatform& platform() { return *platform_; }

  // The number in global `name` of the running title.
  [[nodiscard]] std::int32_t Global(std::string_view name);

  std::vector<std::string> calls;

 private:
  BlockFonts fonts_;
  std::unique_ptr<platform::HeadlessPlatform> platform_;
  std::unique_ptr<Runtime> runtime_;
  bool begun_ = false;
};

// A scratch folder holding a title folder named "title".
class TitleTest : public ::testing::Test {
 protected:
  TitleTest() : title_(scratch_.makeFolder("title")) {}

  void UseScript(std::string_view source) { WriteBootFile(title_, source); }
  [[nodiscard]] const std::filesystem::path& title() const { return title_; }

  // The calls of a whole run of the recording script with `input`, boot() first.
  std::vector<std::string> CallsOf(std::string_view input);

  test::TempFolder scratch_;
  std::filesystem::path title_;
};

// The boxes shown, one per line: "CAPTION (ICON) [BUTTONS] TEXT" with the text's line breaks as
// spaces, so that a test compares a box with the literal text the player reads.
[[nodiscard]] std::string BoxLines(const std::vector<BoxRequest>& boxes);

// The line of BoxLines for a fatal box showing `text`.
[[nodiscard]] std::string FatalBoxLine(std::string_view text);

}  // namespace lw::testing
