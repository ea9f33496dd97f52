// The script host of titlekit's interpreters: no windows and no keyboard, and a system script
// that titlekit loaded from a file (or none).
#pragma once

#include "script/script_host.h"

namespace lw::titlekit {

class LoadedScriptHost final : public ScriptHost {
 public:
  // `systemScript` may be null; it must outlive the host.
  explicit LoadedScriptHost(CompiledScript* systemScript) : systemScript_(systemScript) {}

  CompiledScript* acquireSystemScript() override { return systemScript_; }

 private:
  CompiledScript* systemScript_;
};

}  // namespace lw::titlekit
