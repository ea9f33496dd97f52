#include "script/script_host.h"

#include "common/log.h"

namespace lw {

void ScriptHost::reportFatal(std::int16_t programCode, std::int16_t errorLine) {
  LW_LOG(kScript, "logic error at line %d (program code %d)", errorLine, programCode);
}

}  // namespace lw
