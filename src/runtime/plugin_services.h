// The services that plug-ins reach through their service entry (codes 500..516 of
// loomwork/plugin.h): memory blocks, text operations, the message-box line runner, the error
// box and the file dialogs.
//
// The service entry is a plain C function pointer, so it cannot carry the runtime with it. A
// ServiceScope makes one PluginServices current for the length of each call into a plug-in;
// calls nest (a plug-in that runs a script line that calls a plug-in) and the scope restores the
// outer one. Everything runs on the main thread. A request made while no call is in progress
// gets 109.
//
// Blocks are kept in a table keyed by their handle, so that a handle a plug-in made up or
// already freed is refused instead of followed. A block is its bytes (their count is its size)
// and a lock count; a locked block's bytes do not move, so a locked block cannot be resized.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

#include "loomwork/plugin.h"
#include "script/interpreter.h"
#include "shell/dialogs/file_dialog.h"
#include "shell/error_report.h"
#include "shell/files/file_access.h"

// The runtime's side of a block handle (opaque to plug-ins).
struct LwBlockRecord {
  std::vector<std::uint8_t> bytes;
  int locks = 0;
};

namespace lw {

namespace errline {
inline constexpr std::int16_t kPluginReportedError = 4803;
}  // namespace errline

// What the services use of the runtime.
struct PluginServiceContext {
  MemoryStatus& memory;
  ErrorReporter& errors;
  FileDialogs& dialogs;
  // The interpreter, or null while there is none (plug-ins open before it exists).
  std::function<Interpreter*()> interpreter;
};

class PluginServices {
 public:
  explicit PluginServices(PluginServiceContext context) : context_(std::move(context)) {}

  // Answers one request: 0, or LW_RESULT_MISMATCH for an unknown code, an argument of the
  // wrong type, an unknown block or a request that cannot be met. The result type is set to
  // none before anything else.
  std::int16_t Answer(LwParameterBlock& block);

  // The blocks plug-ins hold now.
  [[nodiscard]] std::size_t blockCount() const { return blocks_.size(); }

 private:
  // Runs the request once its argument types are known to match.
  std::int16_t dispatch(LwParameterBlock& b);

  std::int16_t MoveMemory(LwParameterBlock& b);
  std::int16_t FreeMemory(LwParameterBlock& b);
  std::int16_t BlockSize(LwParameterBlock& b);
  std::int16_t ResizeBlock(LwParameterBlock& b);
  std::int16_t NewBlock(LwParameterBlock& b);
  std::int16_t FreeBlock(LwParameterBlock& b);
  std::int16_t LockBlock(LwParameterBlock& b);
  std::int16_t UnlockBlock(LwParameterBlock& b);
  std::int16_t CopyBlock(LwParameterBlock& b);
  std::int16_t Evaluate(LwParameterBlock& b);
  std::int16_t AppendText(LwParameterBlock& b);
  std::int16_t CopyText(LwParameterBlock& b);
  std::int16_t TextToNumberService(LwParameterBlock& b);
  std::int16_t NumberToTextService(LwParameterBlock& b);
  std::int16_t ReportError(LwParameterBlock& b);
  std::int16_t SaveDialog(LwParameterBlock& b);
  std::int16_t OpenDialog(LwParameterBlock& b);

  // The live block of a handle, or null.
  [[nodiscard]] LwBlockRecord* find(LwBlockHandle handle);
  // A new block of `size` bytes (at least 1) holding `bytes` (the rest zero) as the result;
  // false when the free memory does not reach that far.
  bool addBlock(std::int64_t size, const std::vector<std::uint8_t>& bytes, LwParameterBlock& b);
  // Whether `size` bytes fit in the free-memory figure.
  [[nodiscard]] bool affordable(std::int64_t size) const;
  // Runs a file dialog and gives its path and name back in the two texts.
  std::int16_t dialog(LwParameterBlock& b, bool save, std::uint32_t fileType);

  PluginServiceContext context_;
  std::unordered_map<LwBlockRecord*, std::unique_ptr<LwBlockRecord>> blocks_;
};

// The service entry handed to every call of a plug-in.
extern "C" std::int16_t LwRuntimeServiceEntry(LwParameterBlock* block);

// Makes `services` the ones the service entry answers through while the scope lasts.
class ServiceScope {
 public:
  explicit ServiceScope(PluginServices& services);
  ~ServiceScope();
  ServiceScope(const ServiceScope&) = delete;
  ServiceScope& operator=(const ServiceScope&) = delete;

 private:
  PluginServices* outer_;
};

}  // namespace lw
