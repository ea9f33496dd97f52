#include "authoring/sprite_encoder.h"

#include <algorithm>
#include <limits>

#include "common/byte_io.h"
#include "common/geometry.h"
#include "media/sprite.h"

namespace lw::authoring {
namespace {

// Kinds of row code op bytes (the low two bits); the count is in the upper six.
enum RowKind : std::uint8_t { kCopyAbove = 0, kSkip = 1, kRun = 2, kLiteral = 3 };
constexpr unsigned kCountShift = 2;
constexpr std::int32_t kMaxCount = 63;  // the largest count an op byte holds
constexpr std::int32_t kMaxRows = std::numeric_limits<std::int16_t>::max();

// A row code never costs more than 2 bytes a pixel (a literal of 1), so its length always fits
// the i16 in front of it.
static_assert(2 * kMaxSpriteWidth <= std::numeric_limits<std::int16_t>::max());

// One code of a row: its kind and the pixels it covers.
struct Code {
  RowKind kind = kLiteral;
  std::int32_t count = 0;
};

// Bytes a code takes: its op byte, plus a run's value byte or a literal's values.
std::int32_t CodeBytes(RowKind kind, std::int32_t count) {
  if (kind == kRun) return 2;
  if (kind == kLiteral) return 1 + count;
  return 1;
}

// A picture row and the row above it (empty for the first row).
struct RowView {
  std::span<const std::uint8_t> pixels;
  std::span<const std::uint8_t> above;
  std::optional<std::uint8_t> transparent;

  [[nodiscard]] bool Opaque(std::uint8_t pixel) const { return pixel != transparent; }
};

// How many pixels, from each column on, a single code of each kind could cover if counts had
// no limit; 0 where that kind cannot start. Index W holds 0 so that each can look one ahead.
struct Reach {
  std::vector<std::int32_t> copy, skip, run, literal;
};

Reach MeasureReach(const RowView& row) {
  const std::size_t width = row.pixels.size();
  Reach reach{std::vector<std::int32_t>(width + 1), std::vector<std::int32_t>(width + 1),
              std::vector<std::int32_t>(width + 1), std::vector<std::int32_t>(width + 1)};
  for (std::size_t i = width; i-- > 0;) {
    const std::uint8_t pixel = row.pixels[i];
    if (!row.Opaque(pixel)) {
      reach.skip[i] = reach.skip[i + 1] + 1;
      continue;
    }
    reach.literal[i] = reach.literal[i + 1] + 1;
    reach.run[i] = reach.run[i + 1] > 0 && row.pixels[i + 1] == pixel ? reach.run[i + 1] + 1 : 1;
    // A copy reads the destination row above, which holds the picture's pixel only where it
    // was opaque; a pixel above equal to this opaque one is opaque too.
    if (!row.above.empty() && row.above[i] == pixel) {
      reach.copy[i] = reach.copy[i + 1] + 1;
    }
  }
  return reach;
}

// The cheapest codes for a row, by dynamic programming from the right: cost[i] is the fewest
// bytes that code columns i .. W-1, and choice[i] the code that starts such a coding.
std::vector<Code> CheapestCodes(const RowView& row) {
  const Reach reach = MeasureReach(row);
  const auto width = static_cast<std::int32_t>(row.pixels.size());
  std::vector<std::int32_t> cost(static_cast<std::size_t>(width) + 1, 0);
  std::vector<Code> choice(static_cast<std::size_t>(width));
  for (std::int32_t i = width - 1; i >= 0; --i) {
    const auto at = static_cast<std::size_t>(i);
    cost[at] = std::numeric_limits<std::int32_t>::max();
    const auto consider = [&](RowKind kind, std::int32_t reachable) {
      for (std::int32_t n = std::min(reachable, kMaxCount); n >= 1; --n) {
        const std::int32_t total = CodeBytes(kind, n) + cost[at + static_cast<std::size_t>(n)];
        if (total < cost[at]) {
          cost[at] = total;
          choice[at] = {kind, n};
        }
      }
    };
    // Every column can start a skip (transparent) or a literal (opaque), so a choice is made.
    consider(kCopyAbove, reach.copy[at]);
    consider(kSkip, reach.skip[at]);
    consider(kRun, reach.run[at]);
    consider(kLiteral, reach.literal[at]);
  }
  std::vector<Code> codes;
  for (std::int32_t i = 0; i < width; i += choice[static_cast<std::size_t>(i)].count) {
    codes.push_back(choice[static_cast<std::size_t>(i)]);
  }
  return codes;
}

// Appends a row: its code's byte length, then the code.
void WriteRow(const RowView& row, ByteWriter& out) {
  ByteWriter code;
  std::size_t column = 0;
  for (const Code& c : CheapestCodes(row)) {
    const auto count = static_cast<std::size_t>(c.count);
    code.u8(static_cast<std::uint8_t>(c.count << kCountShift | c.kind));
    if (c.kind == kRun) code.u8(row.pixels[column]);
    if (c.kind == kLiteral) code.bytes(row.pixels.subspan(column, count));
    column += count;
  }
  out.i16(static_cast<std::int16_t>(code.data().size()));
  out.bytes(code.data());
}

// Why a picture cannot be a sprite, or nothing when it can.
std::optional<std::string> CheckSource(const SpriteSource& source) {
  const std::string size = std::to_string(source.width) + " x " + std::to_string(source.height);
  if (source.width < 0 || source.height < 0) return "picture size " + size + " is negative";
  if (source.width > kMaxSpriteWidth) {
    return "picture is " + std::to_string(source.width) + " pixels wide; a sprite is at most " +
           std::to_string(kMaxSpriteWidth);
  }
  if (source.height > kMaxRows) {
    return "picture has " + std::to_string(source.height) + " rows; a sprite has at most " +
           std::to_string(kMaxRows);
  }
  if (source.pixels.size() != static_cast<std::size_t>(source.width) * source.height) {
    return "picture has " + std::to_string(source.pixels.size()) + " pixels, not " + size;
  }
  return std::nullopt;
}

}  // namespace

Expected<std::vector<std::uint8_t>, std::string> EncodeSprite(const SpriteSource& source) {
  if (auto problem = CheckSource(source)) return Unexpected(std::move(*problem));
  ByteWriter out;
  out.i16(Coord16(source.height));
  out.i16(Coord16(source.width));
  out.i16(source.hotSpot.v);
  out.i16(source.hotSpot.h);
  const auto width = static_cast<std::size_t>(source.width);
  std::span<const std::uint8_t> above;
  for (std::int32_t row = 0; row < source.height; ++row) {
    const auto pixels = source.pixels.subspan(static_cast<std::size_t>(row) * width, width);
    WriteRow({pixels, above, source.transparent}, out);
    above = pixels;
  }
  return out.take();
}

}  // namespace lw::authoring
