#include "script/script_host.h"

#include <cstdio>

namespace lw {

void ScriptHost::reportFatal(std::int16_t programCode, std::int16_t errorLine) {
  std::fprintf(stderr, "Logic error at line %d (program code %d)\n", errorLine, programCode);
}

}  // namespace lw
