// The script error log: where the runtime tells of the script errors that the interpreter
// latches, which the title itself never hears of. Each report is a line on standard error,
//
//   TITLE: in HANDLER (SCRIPT TITLE, line N): MESSAGE
//
// with "token N" in place of "line N" when the script's star file has no line table, and no
// "in HANDLER " when no handler holds the statement. The same line (without "TITLE: ", after
// "error: ") goes to the call trace when there is one, and the part after "TITLE: " becomes the
// message box's output line.
//
// A failing idle() fails again in every pass, so an error that repeats at the same statement is
// reported once and then summarised with its count at most once a second (60 ticks):
//
//   TITLE: in idle (Boot Message, line 3): Bad argument type. (59 more times)
//
// A pending summary is written when a different error comes, and when the run ends (Flush).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "script/script_error_report.h"

namespace lw {

// Where the log's lines go. Texts from scripts are Mac Roman: `trace` and `showMessage` take
// them as such, `print` takes UTF-8.
struct ScriptErrorSinks {
  std::string titleName;                              // UTF-8
  std::function<std::uint32_t()> milliseconds;        // the clock
  std::function<void(std::string_view)> print;        // one line, without its line end
  std::function<void(std::string_view)> trace;        // may be empty
  std::function<void(std::string_view)> showMessage;  // may be empty
};

// "in HANDLER (SCRIPT TITLE, line N): MESSAGE" (Mac Roman), the place and the message of a report.
[[nodiscard]] std::string DescribeScriptError(const ScriptErrorReport& report);

class ScriptErrorLog {
 public:
  static constexpr std::uint32_t kSummaryMilliseconds = 1000;
  static constexpr std::string_view kTracePrefix = "error: ";

  explicit ScriptErrorLog(ScriptErrorSinks sinks) : sinks_(std::move(sinks)) {}
  ScriptErrorLog(const ScriptErrorLog&) = delete;
  ScriptErrorLog& operator=(const ScriptErrorLog&) = delete;

  void Report(const ScriptErrorReport& report);
  // Writes the summary of the repeats not yet told, if any.
  void Flush();

  // The reports received, repeats included.
  [[nodiscard]] std::uint64_t reportCount() const { return reportCount_; }

 private:
  // Writes one line to standard error and to the trace.
  void write(const std::string& description);

  ScriptErrorSinks sinks_;
  std::string lastDescription_;  // of the last error reported in full
  std::int32_t lastStatement_ = -1;
  std::uint32_t lastWrittenAt_ = 0;
  std::uint64_t untold_ = 0;  // repeats of the last error since its last line
  std::uint64_t reportCount_ = 0;
};

}  // namespace lw
