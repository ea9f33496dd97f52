// Fuzzes the tokenizer with arbitrary text. Every text either fails cleanly or compiles to a
// block that the loader accepts and stores again unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "script/tokenizer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  auto script = lw::CompileScriptText(text);
  if (!script.ok()) {
    if (script.error().offset < 0 || static_cast<std::size_t>(script.error().offset) > size) {
      std::abort();
    }
    return 0;
  }
  std::vector<std::uint8_t> stored = script->ToBytes();
  auto loaded = lw::CompiledScript::FromBytes(stored);
  if (!loaded.ok() || loaded->ToBytes() != stored) std::abort();
  // Every name and literal must read back from inside the pool.
  const std::uint8_t* poolEnd = loaded->pool().data() + loaded->pool().size();
  for (std::size_t i = 0; i < loaded->tokenCount(); ++i) {
    std::uint16_t code = loaded->tokens()[i].code;
    if (code != lw::tok::kString && code != lw::tok::kName) continue;
    std::string_view entry = loaded->textOf(i);
    if (reinterpret_cast<const std::uint8_t*>(entry.data() + entry.size()) > poolEnd) std::abort();
  }
  return 0;
}
