// Fuzzes the line-table reader with arbitrary records. Every record is refused cleanly or read
// into a table that stores back to the same bytes and answers every token of its scripts.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "script/line_table.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  auto table = lw::LineTable::Decode(bytes);
  if (!table.ok()) return 0;
  const std::vector<std::uint8_t> stored = table->Encode();
  if (stored.size() > size || !std::equal(stored.begin(), stored.end(), bytes.begin())) {
    std::abort();
  }
  for (const lw::ScriptLines& script : table->scripts()) {
    const auto last = static_cast<std::int64_t>(script.tokenCount) - 1;
    for (const std::int64_t token : {std::int64_t{0}, last / 2, last}) {
      if (!table->lineOf(script.recordId, script.tokenCount, token)) std::abort();
    }
  }
  return 0;
}
