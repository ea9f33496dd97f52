#include "script/script_error_report.h"

#include <algorithm>

#include "script/compiled_script.h"
#include "script/script_frame.h"
#include "script/script_host.h"

namespace lw {
namespace {

// Titles end in a blank after a colon ("Actor Script: "); a report shows the words only.
std::string TrimTitle(std::string_view title) {
  const std::size_t end = title.find_last_not_of(": ");
  return std::string(title.substr(0, end == std::string_view::npos ? 0 : end + 1));
}

// The name of the handler whose header is the last at or before token `at`; without a header,
// the name at `at` itself (the call of a one-line call text), or nothing.
std::string HandlerAt(const CompiledScript& script, std::size_t at) {
  const auto tokens = script.tokens();
  for (std::size_t i = at + 1; i-- > 0;) {
    if (tokens[i].code != tok::kCode) continue;
    if (tokens[i + 1].code == tok::kName) return std::string(script.textOf(i + 1));
    return {};
  }
  return tokens[at].code == tok::kName ? std::string(script.textOf(at)) : std::string();
}

}  // namespace

bool IsMessageBoxReport(const ScriptErrorReport& report) {
  return report.scriptTitle == TrimTitle(kMsgBoxMessageTitle);
}

ScriptErrorReport MakeScriptErrorReport(const ScriptFrame& frame, ScriptHost& host) {
  ScriptErrorReport report;
  report.code = frame.errorCode;
  report.scriptTitle = TrimTitle(frame.title.view());
  report.statementPos = frame.statementPos;
  if (frame.script == nullptr) return report;
  const CompiledScript& script = *frame.script;
  // The last token is the end token, so the one after a header's `code` always exists.
  const std::size_t last = script.tokenCount() - 1;
  const std::size_t at = std::min(static_cast<std::size_t>(std::max(frame.statementPos, 0)), last);
  report.handler = HandlerAt(script, at);
  report.sourceLine = host.sourceLineOf(script, static_cast<int>(at));
  return report;
}

}  // namespace lw
