#include "runtime/script_error_log.h"

#include "common/mac_roman.h"

namespace lw {

std::string DescribeScriptError(const ScriptErrorReport& report) {
  std::string text;
  if (!report.handler.empty()) text += "in " + report.handler + " ";
  text += "(" + report.scriptTitle + ", ";
  text += report.sourceLine ? "line " + std::to_string(*report.sourceLine)
                            : "token " + std::to_string(report.statementPos);
  text += "): ";
  text += ScriptErrorMessage(CodeOf(report.code));
  return text;
}

void ScriptErrorLog::Report(const ScriptErrorReport& report) {
  ++reportCount_;
  const std::uint32_t now = sinks_.milliseconds();
  std::string description = DescribeScriptError(report);
  if (description == lastDescription_ && report.statementPos == lastStatement_) {
    ++untold_;
    // Unsigned arithmetic: a wrapped clock still measures the time since the last line.
    if (now - lastWrittenAt_ >= kSummaryMilliseconds) {
      Flush();
      lastWrittenAt_ = now;
    }
    return;
  }
  Flush();
  write(description);
  if (sinks_.showMessage) sinks_.showMessage(description);
  lastDescription_ = std::move(description);
  lastStatement_ = report.statementPos;
  lastWrittenAt_ = now;
}

void ScriptErrorLog::Flush() {
  if (untold_ == 0) return;
  write(lastDescription_ + " (" + std::to_string(untold_) +
        (untold_ == 1 ? " more time)" : " more times)"));
  untold_ = 0;
}

void ScriptErrorLog::write(const std::string& description) {
  sinks_.print(sinks_.titleName + ": " + MacRomanToUtf8(description));
  if (sinks_.trace) sinks_.trace(std::string(kTracePrefix) + description);
}

}  // namespace lw
