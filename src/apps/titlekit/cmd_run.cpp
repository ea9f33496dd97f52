// titlekit run FILE CALL [--command]: runs one handler call, such as main() or fib(20), against
// the script of FILE as the runtime runs a boot message, and prints the outcome.
#include <algorithm>
#include <iostream>
#include <optional>
#include <string>

#include "apps/titlekit/commands.h"
#include "apps/titlekit/script_files.h"
#include "apps/titlekit/script_text.h"
#include "apps/titlekit/system_script_host.h"
#include "script/console.h"
#include "script/handler_call.h"
#include "script/interpreter.h"
#include "script/script_frame.h"
#include "script/token.h"

namespace lw::titlekit {
namespace {

constexpr std::string_view kCallName = "<call>";

struct RunOptions {
  std::string file;
  std::string_view call;
  bool command = false;  // run as a command call: no value is expected
};

// The options, or null after a complaint about them.
std::optional<RunOptions> ParseRunOptions(Arguments args) {
  RunOptions options;
  int positional = 0;
  for (const std::string_view arg : args) {
    if (arg == "--command") {
      options.command = true;
    } else if (positional == 0) {
      options.file = std::string(arg);
      ++positional;
    } else if (positional == 1) {
      options.call = arg;
      ++positional;
    } else {
      std::cerr << "titlekit run: unexpected argument '" << arg << "'\n";
      return std::nullopt;
    }
  }
  if (positional < 2) {
    std::cerr << "titlekit run: " << (positional == 0 ? "missing FILE and CALL" : "missing CALL")
              << '\n';
    return std::nullopt;
  }
  return options;
}

// True when the compiled call starts as a handler call does: a name and '('.
bool IsHandlerCall(const CompiledScript& call) {
  const auto tokens = call.tokens();
  return tokens.size() > 2 && tokens[0].code == tok::kName && tokens[1].code == tok::kOpenParen;
}

// The source line of token `index`: every line end of the source became one line-end token.
int LineOfToken(const CompiledScript& script, std::size_t index) {
  const auto tokens = script.tokens().first(std::min(index, script.tokenCount()));
  return 1 + static_cast<int>(std::count_if(tokens.begin(), tokens.end(), [](const Token& t) {
           return t.code == tok::kLineEnd;
         }));
}

// The name of the handler whose header is at or before token `index`, or empty.
std::string_view HandlerAt(const CompiledScript& script, std::size_t index) {
  const auto tokens = script.tokens();
  for (std::size_t i = std::min(index + 1, tokens.size()); i-- > 0;) {
    if (tokens[i].code != tok::kCode) continue;
    if (i + 1 < tokens.size() && tokens[i + 1].code == tok::kName) return script.textOf(i + 1);
    return {};
  }
  return {};
}

// On standard error, where in FILE the run failed, when the first failure was recorded there:
// the line of the statement (or handler header) being run and the handler's name. Errors pass
// up unchanged, so the run's error is that failure's.
void ReportErrorPlace(const Interpreter& in, const CompiledScript& script, const std::string& file,
                      ScriptError error) {
  const ScriptFrame& context = in.errorContext();
  if (!in.errorPending() || context.script != &script || context.statementPos < 0) return;
  const auto at = static_cast<std::size_t>(context.statementPos);
  std::cerr << file << ':' << LineOfToken(script, at) << ": ";
  if (const std::string_view handler = HandlerAt(script, at); !handler.empty()) {
    std::cerr << "in " << ScriptTextToUtf8(handler) << ": ";
  }
  std::cerr << ScriptErrorMessage(CodeOf(error)) << '\n';
}

}  // namespace

int RunRunCommand(Arguments args) {
  const std::optional<RunOptions> options = ParseRunOptions(args);
  if (!options) return kExitUsage;
  auto host = SystemScriptHost::Open(options->file);
  if (!host) {
    std::cerr << host.error() << '\n';
    return kExitFailure;
  }
  auto call = CompileSource(options->call, kCallName);
  if (!call) {
    std::cerr << call.error() << '\n';
    return kExitFailure;
  }
  if (!IsHandlerCall(*call)) {
    std::cerr << "titlekit run: CALL must be a handler call such as main()\n";
    return kExitUsage;
  }

  // The run holds the script as the runtime's handler calls do: one acquire, one release.
  const SystemScriptHold hold(**host);
  if (hold.script() == nullptr) return kExitFailure;
  Interpreter in(**host);
  in.beginPass();
  Value value;
  const ScriptError error =
      RunCallOnSystemScript(in, hold.script(), *call, options->command ? nullptr : &value);
  const bool hasValue = !Failed(error) && !options->command;
  std::cout << ScriptTextToUtf8(DescribeOutcome(in, error, hasValue ? &value : nullptr)) << '\n';
  if (Failed(error)) ReportErrorPlace(in, *hold.script(), options->file, error);
  return Failed(error) ? kExitFailure : kExitOk;
}

}  // namespace lw::titlekit
