// What the script language needs from the runtime around it: the message pump, the key state,
// the fatal-error reporter, the system script and the source lines of scripts. The shell
// implements it; tests and titlekit use the plain implementations here.
#pragma once

#include <cstdint>
#include <optional>

namespace lw {

class CompiledScript;

class ScriptHost {
 public:
  virtual ~ScriptHost() = default;

  // Dispatches pending window messages so that painting and input queuing go on during long
  // scripts. Never starts a handler.
  virtual void pumpMessages() {}

  // Whether the Escape key is down now (read when keyaborts is on).
  virtual bool escapeDown() { return false; }

  // An internal failure with its program code and error line. Returns when the run may go on.
  virtual void reportFatal(std::int16_t programCode, std::int16_t errorLine);

  // The system script (record 1 of the boot file) for one run, or null when there is none;
  // every acquire is paired with one release.
  virtual CompiledScript* acquireSystemScript() { return nullptr; }
  virtual void releaseSystemScript(CompiledScript* /*script*/) {}

  // The source line that token `token` of `script` came from, when the star file that holds the
  // script has a line table for it. Asked only when an error is reported, never while running.
  virtual std::optional<int> sourceLineOf(const CompiledScript& /*script*/, int /*token*/) {
    return std::nullopt;
  }
};

// Program code for internal logic failures, and the error lines of the script module.
inline constexpr std::int16_t kProgramCodeLogic = 110;
namespace errline {
inline constexpr std::int16_t kTakeTextBadSlot = 4200;
inline constexpr std::int16_t kTakeTextFreeSlot = 4201;
inline constexpr std::int16_t kUnknownOperator = 4202;
inline constexpr std::int16_t kNextHandlerNotCode = 4203;
}  // namespace errline

}  // namespace lw
