// Line tables for titles run headless: lines typed into a booted title's message box, each with
// the outcome the box must show, the loop stepped between tables, and traces of what the
// platform was asked to show (boxes, cursors), so that a test compares a few strings instead of
// many fields.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/headless/headless_platform.h"
#include "runtime/runtime.h"

namespace lw::testing {

// One row of a line table: a line and the outcome it must give. Under a probe the expectation
// is the outcome, " | ", and the probe's description of the state after the line.
struct LineRow {
  std::string_view line;
  std::string_view expected;
};

// What some lines give at a tick: their outcomes joined by spaces.
struct TickSample {
  std::uint64_t tick;
  std::string_view outcomes;
};

// Describes the part of the run a table looks at, after each line.
using LineProbe = std::function<std::string()>;

// The lines and the loop of a booted title (between Runtime::Begin and Runtime::End).
class TitleLines {
 public:
  TitleLines(Runtime& runtime, const platform::HeadlessPlatform& platform)
      : runtime_(runtime), platform_(platform) {}

  // Runs `line` in a fresh pass as the message box does; the outcome it shows.
  std::string Eval(std::string_view line);

  // Runs the rows in order and expects every row's text. All rows are compared as one trace, one
  // row a line ("LINE -> OUTCOME"), so that a failure shows every row that differs.
  void Expect(std::initializer_list<LineRow> rows, const LineProbe& probe = {});

  // Runs loop passes until the platform's clock reaches `tick`.
  void RunUntilTick(std::uint64_t tick);

  // Runs loop passes until each sample's tick in turn, and expects there the outcomes of `lines`
  // that the sample gives; compared as one trace, one sample a line ("TICK: OUTCOMES").
  void ExpectAtTicks(std::initializer_list<std::string_view> lines,
                     std::initializer_list<TickSample> samples);

  // Runs loop passes until the input script has played and every queued event is handled, then
  // two more, so that what was drawn has been presented.
  void Settle();

  // Fills the whole screen canvas with colour `index`, to be presented with the next pass.
  void FillScreen(std::uint8_t index);

  // The text of the error box that a report of `line` (runtime program code) shows.
  [[nodiscard]] std::string ErrorBoxText(std::int16_t line);

 private:
  Runtime& runtime_;
  const platform::HeadlessPlatform& platform_;
};

// A test fixture that boots titles for line tables, on top of a fixture `Fixture` that makes the
// title folder (title()) and writes its boot file (UseScript) and a headless run `Run` of a
// folder (runtime(), platform()). The title is stopped when the test ends.
template <class Fixture, class Run>
class TitleLinesTest : public Fixture {
 protected:
  ~TitleLinesTest() override {
    if (run_) run_->runtime().End();
  }

  // Boots a title whose system script is `script`, playing `input`; its lines.
  template <class... Options>
  TitleLines& Boot(std::string_view script, std::string_view input = "", Options&&... options) {
    this->UseScript(script);
    run_ = std::make_unique<Run>(this->title(), input, std::forward<Options>(options)...);
    EXPECT_TRUE(run_->runtime().Begin());
    lines_ = std::make_unique<TitleLines>(run_->runtime(), run_->platform());
    return *lines_;
  }
  [[nodiscard]] Runtime& runtime() { return run_->runtime(); }
  [[nodiscard]] platform::HeadlessPlatform& platform() { return run_->platform(); }

  std::unique_ptr<Run> run_;
  std::unique_ptr<TitleLines> lines_;
};

// The boxes the platform was asked to show, one a line: "CAPTION: TEXT [BUTTONS]".
[[nodiscard]] std::string BoxTrace(const std::vector<BoxRequest>& boxes);

// The cursor the platform shows, named by the first of `names` (program cursor resources) with
// the same image and hot spot ("other" for none of them), and " hidden" while it is hidden.
[[nodiscard]] std::string CursorTrace(const platform::HeadlessPlatform& platform,
                                      std::initializer_list<std::string_view> names);

}  // namespace lw::testing
