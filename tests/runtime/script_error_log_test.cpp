// Script errors as the author sees them: the log's lines for a stream of reports, then whole
// headless titles whose handlers fail, with the lines on the captured error output, in the
// trace and on the message box, named by source line when the boot file has a line table and by
// token position when it has none (or a damaged one).
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "runtime/script_error_log.h"
#include "support/runtime_title.h"

namespace lw::testing {
namespace {

// idle() fails at line 9, token 31, in every pass, after counting its runs in `fails`.
constexpr std::string_view kFailingIdle =
    "code boot()\n\tglobal fails\n\tfails = 0\nendcode\n"
    "code idle()\n\tglobal fails\n\tlocal x\n\tfails = fails + 1\n\tx = 1 / 0\nendcode\n";
constexpr std::string_view kIdleReport = "title: in idle (Boot Message, line 9): Divide by zero.";

// A failing idle() at 0 to 1500 ms, a call of a missing handler twice, then idle() again: the
// log's lines, over a clock that the test sets.
TEST(ScriptErrorLogTest, RepeatsAreCountedAndSummarisedOnceASecond) {
  std::uint32_t now = 0;
  std::string lines;
  ScriptErrorLog log(ScriptErrorSinks{
      .titleName = "moss",
      .milliseconds = [&now] { return now; },
      .print = [&lines](std::string_view line) { lines += std::string(line) + "\n"; },
      .trace = {},
      .showMessage = {},
  });
  const ScriptErrorReport idle{.code = ScriptError::BadArgumentType,
                               .scriptTitle = "Boot Message",
                               .handler = "idle",
                               .statementPos = 31,
                               .sourceLine = 3};
  const ScriptErrorReport missing{.code = ScriptError::NoSuchHandler,
                                  .scriptTitle = "Boot Message",
                                  .handler = "",
                                  .statementPos = 0,
                                  .sourceLine = std::nullopt};
  for (std::uint32_t ms : {0, 10, 400, 999, 1000, 1010, 1500}) {
    now = ms;
    log.Report(idle);
  }
  log.Report(missing);
  log.Report(missing);
  log.Report(idle);
  log.Flush();
  log.Flush();  // nothing left to tell
  EXPECT_EQ(lines,
            "moss: in idle (Boot Message, line 3): Bad argument type.\n"
            "moss: in idle (Boot Message, line 3): Bad argument type. (4 more times)\n"
            "moss: in idle (Boot Message, line 3): Bad argument type. (2 more times)\n"
            "moss: (Boot Message, token 0): No such handler.\n"
            "moss: (Boot Message, token 0): No such handler. (1 more time)\n"
            "moss: in idle (Boot Message, line 3): Bad argument type.\n");
  EXPECT_EQ(log.reportCount(), 10u);
}

class ScriptErrorTest : public TitleTest {
 protected:
  // The run's end may still write lines: it goes before the lists it writes to.
  ~ScriptErrorTest() override { run_.reset(); }

  // Boots `script`, with the error lines captured with the tick at which each came.
  TitleRun& BootCapturing(std::string_view script, std::string_view input = "") {
    return Boot(script, input, [this](RuntimeOptions& options) {
      options.errorOutput = [this](std::string_view line) {
        lines_.emplace_back(line);
        ticks_.push_back(run_->platform().ticks());
      };
    });
  }

  // A run of the title as it stands, to `endTick`, with the error lines captured.
  std::unique_ptr<TitleRun> RunCapturing(std::uint32_t endTick, bool strict = false) {
    return std::make_unique<TitleRun>(title_, "", [this, endTick, strict](RuntimeOptions& o) {
      o.strict = strict;
      o.endTick = endTick;
      o.errorOutput = [this](std::string_view line) { lines_.emplace_back(line); };
    });
  }

  // Replaces the bytes of the boot file's line table from `offset` past its magic.
  void DamageLineTable(std::size_t offset, const std::string& bytes) {
    const std::filesystem::path path = title_ / "bootfile";
    std::ifstream in(path, std::ios::binary);
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();
    const std::size_t magic = content.find("LWLT");
    ASSERT_NE(magic, std::string::npos);
    content.replace(magic + offset, bytes.size(), bytes);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
  }

  std::vector<std::string> lines_;
  std::vector<std::uint64_t> ticks_;
};

// Three seconds of a failing idle(): one report, then at most one summary a second, and the
// counts add up to the failures that the script itself counted.
TEST_F(ScriptErrorTest, AFailingIdleIsReportedOnceThenSummarised) {
  TitleRun& run = BootCapturing(kFailingIdle);
  run.RunUntilTick(200);
  EXPECT_EQ(runtime().messageBox().output(), std::string(kIdleReport).substr(7));
  const int fails = std::stoi(run.Eval("fails"));
  EXPECT_EQ(run.End(), Runtime::kExitOk);

  ASSERT_GE(lines_.size(), 4u);  // the report, a summary at each of ticks 60, 120, 180, the rest
  ASSERT_LE(lines_.size(), 5u);
  EXPECT_EQ(lines_[0], kIdleReport);
  int told = 1;
  const std::string summary = std::string(kIdleReport) + " (";
  for (std::size_t i = 1; i < lines_.size(); ++i) {
    ASSERT_EQ(lines_[i].substr(0, summary.size()), summary) << lines_[i];
    told += std::stoi(lines_[i].substr(summary.size()));
    if (i + 1 < lines_.size()) {
      EXPECT_GE(ticks_[i] - ticks_[i - 1], 60u) << lines_[i];
    }
  }
  EXPECT_EQ(told, fails);
}

// The trace has the error line right after the call that failed; the title goes on. A handler
// call inside a handler that names no handler fails at the call.
TEST_F(ScriptErrorTest, TheTraceShowsTheErrorAfterItsCall) {
  TitleRun& run = BootCapturing(
      "code keydown(key)\n\tlocal y\n\tif key = \"k\"\n\t\ty = 2 / 0\n\tendif\nendcode\n"
      "code mousedown(where)\n\tnosuch(where)\nendcode\n",
      "key a\nkey k\nkey b\nclick 64 48");
  run.Settle();
  EXPECT_EQ(run.Calls(),
            "boot() keydown(\"a\") keydown(\"k\") "
            "error: in keydown (Boot Message, line 4): Divide by zero. keydown(\"b\") "
            "mousedown(0) error: in mousedown (Boot Message, line 8): No such handler.");
  // A line typed into the message box shows its own outcome, and is not logged: the two lines
  // logged are those of the calls above.
  EXPECT_EQ(run.Eval("nosuch()"), "No such handler.");
  EXPECT_EQ(lines_.size(), 2u);
}

// With strict on, the first script error ends the run after its pass, with status 3.
TEST_F(ScriptErrorTest, StrictRunsEndAtTheFirstError) {
  UseScript(kFailingIdle);
  const std::unique_ptr<TitleRun> run = RunCapturing(600, true);
  EXPECT_EQ(run->Run(), Runtime::kExitFatalError);
  EXPECT_LT(run->platform().ticks(), 60u);
  EXPECT_EQ(lines_, std::vector<std::string>{std::string(kIdleReport)});
}

// A line table that is damaged (every damage that decoding refuses takes the same way), or made
// for another version of the script, is not used: the reports name the token position instead.
TEST_F(ScriptErrorTest, ADamagedLineTableGivesTokenPositions) {
  const struct {
    std::size_t offset;
    std::string bytes;
    const char* what;
  } damages[] = {
      {0, "X", "magic"},
      {12, std::string("\x01", 1), "token count of another script"},
  };
  for (const auto& d : damages) {
    lines_.clear();
    UseScript(kFailingIdle);
    DamageLineTable(d.offset, d.bytes);
    EXPECT_EQ(RunCapturing(5)->Run(), Runtime::kExitOk) << d.what;
    ASSERT_FALSE(lines_.empty()) << d.what;
    EXPECT_EQ(lines_[0], "title: in idle (Boot Message, token 31): Divide by zero.") << d.what;
  }
}

}  // namespace
}  // namespace lw::testing
