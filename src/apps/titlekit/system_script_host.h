// The system script of titlekit's interpreters, named on the command line: a source or compiled
// script file held in memory, or a record of a star file ("FILE.str#ID") that every run gets
// through the compiled-script cache, as the runtime gets its scripts.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "apps/titlekit/storage.h"
#include "common/expected.h"
#include "script/compiled_script.h"
#include "script/script_host.h"

namespace lw::titlekit {

class SystemScriptHost final : public ScriptHost {
 public:
  SystemScriptHost() = default;  // no system script
  ~SystemScriptHost() override;

  // Loads the script that `name` names. The error is a ready message: "NAME: reason".
  static Expected<std::unique_ptr<SystemScriptHost>, std::string> Open(const std::string& name);

  CompiledScript* acquireSystemScript() override;
  void releaseSystemScript(CompiledScript* script) override;
  void reportFatal(std::int16_t programCode, std::int16_t errorLine) override;

 private:
  std::optional<CompiledScript> loaded_;
  std::unique_ptr<Storage> storage_;
  StarFile* file_ = nullptr;
  std::int32_t recordId_ = 0;
};

}  // namespace lw::titlekit
