#include "authoring/palette_quantiser.h"

#include <algorithm>
#include <array>
#include <optional>
#include <tuple>
#include <utility>

namespace lw::authoring {
namespace {

constexpr int kCellBits = 5;
constexpr int kCellSide = 1 << kCellBits;
constexpr std::size_t kCellCount = std::size_t{1} << (3 * kCellBits);
constexpr std::size_t kColourCount = std::size_t{1} << 24;
constexpr std::uint16_t kUnknown = 0xFFFF;
constexpr std::size_t kWhiteEntry = kPaletteEntries - 1;
constexpr std::uint32_t kBlack = 0x000000;
constexpr std::uint32_t kWhite = 0xFFFFFF;

std::uint32_t Packed(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return (std::uint32_t{r} << 16) | (std::uint32_t{g} << 8) | b;
}

std::size_t CellOf(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  constexpr int kDrop = 8 - kCellBits;
  return (std::size_t{r} >> kDrop << (2 * kCellBits)) | (std::size_t{g} >> kDrop << kCellBits) |
         (std::size_t{b} >> kDrop);
}

// A filled histogram cell with its coordinates, as median cut sorts and splits them.
struct BoxCell {
  std::array<int, 3> at{};  // cell coordinates, 0..31 a channel
  std::uint64_t count = 0;
  std::array<std::uint64_t, 3> sum{};
};

struct Box {
  std::vector<BoxCell> cells;
  std::uint64_t count = 0;

  // The channel with the longest extent (the lowest on ties) and that extent.
  [[nodiscard]] std::pair<int, int> longestSide() const {
    std::array<int, 3> low{kCellSide, kCellSide, kCellSide};
    std::array<int, 3> high{-1, -1, -1};
    for (const BoxCell& cell : cells) {
      for (int c = 0; c < 3; ++c) {
        low[c] = std::min(low[c], cell.at[c]);
        high[c] = std::max(high[c], cell.at[c]);
      }
    }
    int axis = 0;
    for (int c = 1; c < 3; ++c) {
      if (high[c] - low[c] > high[axis] - low[axis]) axis = c;
    }
    return {axis, high[axis] - low[axis]};
  }

  [[nodiscard]] Rgb mean() const {
    std::array<std::uint64_t, 3> total{};
    for (const BoxCell& cell : cells) {
      for (int c = 0; c < 3; ++c) total[c] += cell.sum[c];
    }
    const auto channel = [&](int c) {
      return static_cast<std::uint8_t>((total[c] + count / 2) / count);
    };
    return {channel(0), channel(1), channel(2)};
  }
};

Box MakeBox(std::vector<BoxCell> cells) {
  Box box{std::move(cells), 0};
  for (const BoxCell& cell : box.cells) box.count += cell.count;
  return box;
}

// Splits `box` across its longest side where half of its pixels lie; both halves keep a cell.
std::pair<Box, Box> Split(Box box) {
  const int axis = box.longestSide().first;
  std::sort(box.cells.begin(), box.cells.end(), [axis](const BoxCell& a, const BoxCell& b) {
    return std::tie(a.at[axis], a.at) < std::tie(b.at[axis], b.at);
  });
  std::uint64_t below = 0;
  std::size_t cut = 1;
  for (; cut < box.cells.size() - 1; ++cut) {
    below += box.cells[cut - 1].count;
    if (2 * below >= box.count) break;
  }
  const auto middle = box.cells.begin() + static_cast<std::ptrdiff_t>(cut);
  return {MakeBox({box.cells.begin(), middle}), MakeBox({middle, box.cells.end()})};
}

// The box to split next: the largest pixel count times longest side; none when no box has two
// cells.
std::optional<std::size_t> NextToSplit(const std::vector<Box>& boxes) {
  std::optional<std::size_t> best;
  std::uint64_t bestScore = 0;
  for (std::size_t i = 0; i < boxes.size(); ++i) {
    const auto side = static_cast<std::uint64_t>(boxes[i].longestSide().second);
    const std::uint64_t score = boxes[i].count * side;
    if (boxes[i].cells.size() >= 2 && score > bestScore) {
      best = i;
      bestScore = score;
    }
  }
  return best;
}

Palette FixedEntries() {
  Palette palette{};
  palette[kWhiteEntry] = {0xFF, 0xFF, 0xFF};
  return palette;
}

}  // namespace

PaletteQuantiser::PaletteQuantiser() : cells_(kCellCount) {}

void PaletteQuantiser::add(std::span<const std::uint8_t> rgb) {
  for (std::size_t i = 0; i + 2 < rgb.size(); i += 3) {
    const std::uint8_t r = rgb[i];
    const std::uint8_t g = rgb[i + 1];
    const std::uint8_t b = rgb[i + 2];
    const std::uint32_t colour = Packed(r, g, b);
    if (colour == kBlack || colour == kWhite) continue;  // the fixed entries show them
    Cell& cell = cells_[CellOf(r, g, b)];
    ++cell.count;
    cell.sum[0] += r;
    cell.sum[1] += g;
    cell.sum[2] += b;
    if (tooManyDistinct_) continue;
    const auto place = std::lower_bound(distinct_.begin(), distinct_.end(), colour);
    if (place != distinct_.end() && *place == colour) continue;
    if (distinct_.size() == kChosenEntries) {
      tooManyDistinct_ = true;
      distinct_.clear();
    } else {
      distinct_.insert(place, colour);
    }
  }
}

Palette PaletteQuantiser::palette() const {
  Palette palette = FixedEntries();
  if (!tooManyDistinct_) {
    for (std::size_t i = 0; i < distinct_.size(); ++i) {
      const std::uint32_t c = distinct_[i];
      palette[i + 1] = {static_cast<std::uint8_t>(c >> 16), static_cast<std::uint8_t>(c >> 8),
                        static_cast<std::uint8_t>(c)};
    }
    return palette;
  }
  std::vector<BoxCell> filled;
  for (std::size_t i = 0; i < cells_.size(); ++i) {
    if (cells_[i].count == 0) continue;
    const auto at = [&](int shift) { return static_cast<int>((i >> shift) & (kCellSide - 1)); };
    filled.push_back({{at(2 * kCellBits), at(kCellBits), at(0)},
                      cells_[i].count,
                      {cells_[i].sum[0], cells_[i].sum[1], cells_[i].sum[2]}});
  }
  std::vector<Box> boxes;
  boxes.push_back(MakeBox(std::move(filled)));
  while (boxes.size() < kChosenEntries) {
    const auto next = NextToSplit(boxes);
    if (!next) break;
    auto [low, high] = Split(std::move(boxes[*next]));
    boxes[*next] = std::move(low);
    boxes.push_back(std::move(high));
  }
  for (std::size_t i = 0; i < boxes.size(); ++i) palette[i + 1] = boxes[i].mean();
  return palette;
}

NearestColour::NearestColour(const Palette& palette)
    : palette_(palette), known_(kColourCount, kUnknown) {}

std::uint8_t NearestColour::operator()(Rgb colour) {
  std::uint16_t& known = known_[Packed(colour.red, colour.green, colour.blue)];
  if (known != kUnknown) return static_cast<std::uint8_t>(known);
  int bestDistance = 0;
  std::size_t best = 0;
  for (std::size_t i = 0; i < kPaletteEntries; ++i) {
    const int dr = colour.red - palette_[i].red;
    const int dg = colour.green - palette_[i].green;
    const int db = colour.blue - palette_[i].blue;
    const int distance = dr * dr + dg * dg + db * db;
    if (i == 0 || distance < bestDistance) {
      best = i;
      bestDistance = distance;
    }
  }
  known = static_cast<std::uint16_t>(best);
  return static_cast<std::uint8_t>(best);
}

std::vector<std::uint8_t> NearestColour::map(std::span<const std::uint8_t> rgb) {
  std::vector<std::uint8_t> indices;
  indices.reserve(rgb.size() / 3);
  for (std::size_t i = 0; i + 2 < rgb.size(); i += 3)
    indices.push_back((*this)({rgb[i], rgb[i + 1], rgb[i + 2]}));
  return indices;
}

}  // namespace lw::authoring
