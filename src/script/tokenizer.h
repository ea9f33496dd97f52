// CompileScriptText: turns Mac Roman script text with carriage-return line ends into a
// compiled script.
#pragma once

#include <cstdint>
#include <string_view>

#include "common/expected.h"
#include "script/compiled_script.h"

namespace lw {

// Why tokenizing stopped: always code 38 "Tokenization error.", at this byte offset.
struct TokenizeFailure {
  std::int32_t offset = 0;
};

Expected<CompiledScript, TokenizeFailure> CompileScriptText(std::string_view text);

}  // namespace lw
