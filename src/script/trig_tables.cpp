#include "script/trig_tables.h"

#include <optional>
#include <string_view>

#include "common/byte_io.h"
#include "resources/program_resources.h"

namespace lw {
namespace {

constexpr std::size_t kTableBytes = sizeof(std::int16_t) * kDirectionSteps;

// Decodes a table resource; nothing when it is absent or of the wrong size.
std::optional<TrigTable> LoadTable(std::string_view name) {
  const auto bytes = FindRawResource(name);
  if (!bytes || bytes->size() != kTableBytes) return std::nullopt;
  ByteReader reader(*bytes);
  TrigTable table{};
  for (std::int16_t& entry : table) entry = reader.i16();
  return table;
}

}  // namespace

const TrigTable* SineTable() {
  static const std::optional<TrigTable> table = LoadTable("TRIG1");
  return table ? &*table : nullptr;
}

const TrigTable* CosineTable() {
  static const std::optional<TrigTable> table = LoadTable("TRIG2");
  return table ? &*table : nullptr;
}

}  // namespace lw
