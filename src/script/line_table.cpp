#include "script/line_table.h"

#include <algorithm>
#include <array>
#include <limits>

#include "common/byte_io.h"

namespace lw {
namespace {

constexpr std::array<std::uint8_t, 4> kMagic = {'L', 'W', 'L', 'T'};
constexpr std::uint16_t kVersion = 1;
constexpr std::size_t kRunBytes = 8;

// One script entry, checked field by field; the reason when it is not sound.
Expected<ScriptLines, std::string> ReadEntry(ByteReader& in) {
  ScriptLines lines;
  lines.recordId = in.i32();
  lines.tokenCount = in.u32();
  const std::uint32_t runCount = in.u32();
  if (in.failed()) return Unexpected{std::string("truncated script entry")};
  // The count is checked against the bytes before anything is reserved for it.
  if (runCount == 0 || runCount > in.remaining() / kRunBytes) {
    return Unexpected{"run count " + std::to_string(runCount) + " does not fit the record"};
  }
  lines.runs.reserve(runCount);
  for (std::uint32_t i = 0; i < runCount; ++i) {
    LineRun run{.firstToken = in.u32(), .line = in.u32()};
    const bool ascends =
        i == 0 ? run.firstToken == 0 : run.firstToken > lines.runs.back().firstToken;
    if (!ascends || run.firstToken >= lines.tokenCount || run.line == 0 ||
        run.line > static_cast<std::uint32_t>(std::numeric_limits<int>::max())) {
      return Unexpected{"bad run " + std::to_string(i) + " of record " +
                        std::to_string(lines.recordId)};
    }
    lines.runs.push_back(run);
  }
  return lines;
}

}  // namespace

ScriptLines MakeScriptLines(std::int32_t recordId, std::span<const std::uint32_t> tokenLines) {
  ScriptLines lines{.recordId = recordId,
                    .tokenCount = static_cast<std::uint32_t>(tokenLines.size()),
                    .runs = {}};
  for (std::size_t i = 0; i < tokenLines.size(); ++i) {
    if (lines.runs.empty() || lines.runs.back().line != tokenLines[i]) {
      lines.runs.push_back({static_cast<std::uint32_t>(i), tokenLines[i]});
    }
  }
  return lines;
}

bool LineTable::HasMagic(std::span<const std::uint8_t> bytes) {
  return bytes.size() >= kMagic.size() && std::equal(kMagic.begin(), kMagic.end(), bytes.begin());
}

Expected<LineTable, std::string> LineTable::Decode(std::span<const std::uint8_t> bytes) {
  if (!HasMagic(bytes)) return Unexpected{std::string("no line table magic")};
  ByteReader in(bytes);
  in.skip(kMagic.size());
  const std::uint16_t version = in.u16();
  const std::uint16_t count = in.u16();
  if (in.failed()) return Unexpected{std::string("truncated header")};
  if (version != kVersion) return Unexpected{"version " + std::to_string(version)};
  std::vector<ScriptLines> scripts;
  for (std::uint16_t i = 0; i < count; ++i) {
    auto entry = ReadEntry(in);
    if (!entry) return Unexpected{entry.error()};
    scripts.push_back(std::move(entry).value());
  }
  return LineTable(std::move(scripts));
}

std::vector<std::uint8_t> LineTable::Encode() const {
  ByteWriter out;
  out.bytes(kMagic);
  out.u16(kVersion);
  out.u16(static_cast<std::uint16_t>(scripts_.size()));
  for (const ScriptLines& lines : scripts_) {
    out.i32(lines.recordId);
    out.u32(lines.tokenCount);
    out.u32(static_cast<std::uint32_t>(lines.runs.size()));
    for (const LineRun& run : lines.runs) {
      out.u32(run.firstToken);
      out.u32(run.line);
    }
  }
  return out.take();
}

std::optional<int> LineTable::lineOf(std::int32_t recordId, std::size_t tokenCount,
                                     std::int64_t token) const {
  const auto entry = std::find_if(scripts_.begin(), scripts_.end(), [&](const ScriptLines& s) {
    return s.recordId == recordId && s.tokenCount == tokenCount;
  });
  if (entry == scripts_.end() || token < 0 || static_cast<std::uint64_t>(token) >= tokenCount) {
    return std::nullopt;
  }
  // Runs ascend and the first starts at 0: the last run starting at or before the token.
  const auto after =
      std::upper_bound(entry->runs.begin(), entry->runs.end(), static_cast<std::uint64_t>(token),
                       [](std::uint64_t t, const LineRun& run) { return t < run.firstToken; });
  return static_cast<int>(std::prev(after)->line);
}

}  // namespace lw
