// CompileScriptText: turns Mac Roman script text with carriage-return line ends into a
// compiled script.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "common/expected.h"
#include "script/compiled_script.h"

namespace lw {

// Why tokenizing stopped: always code 38 "Tokenization error.", at this byte offset.
struct TokenizeFailure {
  std::int32_t offset = 0;
};

// With `offsets`, it also receives the byte offset in `text` at which each token begins (the end
// token: the length of the text), for tools that name places in the source.
Expected<CompiledScript, TokenizeFailure> CompileScriptText(
    std::string_view text, std::vector<std::uint32_t>* offsets = nullptr);

}  // namespace lw
