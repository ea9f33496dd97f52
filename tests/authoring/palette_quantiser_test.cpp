// The video palette: pictures of few colours map exactly, many colours map close, black and white
// keep the entries the runtime pins, and the palette does not depend on the order of pictures.
#include "authoring/palette_quantiser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace lw::authoring {
namespace {

using Rgbs = std::vector<std::uint8_t>;  // 3 bytes a pixel

Rgbs Pixels(const std::vector<Rgb>& colours) {
  Rgbs bytes;
  for (const Rgb& c : colours) bytes.insert(bytes.end(), {c.red, c.green, c.blue});
  return bytes;
}

// `count` distinct colours, none black or white: a walk through the cube with odd steps.
std::vector<Rgb> DistinctColours(int count) {
  std::vector<Rgb> colours;
  for (int i = 1; i <= count; ++i) {
    colours.push_back({static_cast<std::uint8_t>(i), static_cast<std::uint8_t>((i * 37) % 256),
                       static_cast<std::uint8_t>((i * 101) % 256)});
  }
  return colours;
}

// A 64 x 64 shading over two channels with the third following: 4096 colours.
std::vector<Rgb> Shading() {
  std::vector<Rgb> colours;
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) {
      colours.push_back({static_cast<std::uint8_t>(x * 4), static_cast<std::uint8_t>(y * 4),
                         static_cast<std::uint8_t>(x + y * 2)});
    }
  }
  return colours;
}

// The largest difference of one channel between each colour and the palette colour it maps to.
int WorstChannelError(const std::vector<Rgb>& colours) {
  PaletteQuantiser quantiser;
  quantiser.add(Pixels(colours));
  const Palette palette = quantiser.palette();
  NearestColour nearest(palette);
  const std::vector<std::uint8_t> indices = nearest.map(Pixels(colours));
  int worst = 0;
  for (std::size_t i = 0; i < colours.size(); ++i) {
    const Rgb& got = palette[indices[i]];
    worst =
        std::max({worst, std::abs(got.red - colours[i].red), std::abs(got.green - colours[i].green),
                  std::abs(got.blue - colours[i].blue)});
  }
  return worst;
}

TEST(PaletteQuantiserTest, ErrorStaysWithinBoundForEachKindOfPicture) {
  struct Case {
    std::string name;
    std::vector<Rgb> colours;
    int worst;  // at most
  };
  const std::vector<Case> cases = {
      {"three colours map exactly", {{200, 10, 10}, {10, 200, 10}, {10, 10, 200}}, 0},
      {"254 colours, as many as there are free entries, map exactly", DistinctColours(254), 0},
      {"close colours in one histogram cell stay apart", {{8, 8, 8}, {9, 8, 8}, {8, 9, 8}}, 0},
      {"black and white need no entry of their own",
       [] {
         auto colours = DistinctColours(254);
         colours.push_back({0, 0, 0});
         colours.push_back({255, 255, 255});
         return colours;
       }(),
       0},
      // 4096 colours in 254 entries, 16 an entry: no pixel is more than 4 shading steps off.
      {"a shading of 4096 colours", Shading(), 16},
  };
  for (const Case& c : cases) EXPECT_LE(WorstChannelError(c.colours), c.worst) << c.name;
}

// Few colours fill the entries in ascending order between black and white, whatever the order of
// the pictures; unused entries are black.
TEST(PaletteQuantiserTest, FewColoursFillTheEntriesInAscendingOrderOfAnyPictureOrder) {
  const Rgbs first = Pixels({{0x20, 0, 0}, {0xFF, 0xFF, 0xFF}});
  const Rgbs second = Pixels({{0x10, 0xFF, 0}, {0x20, 0, 0}});
  for (const bool forwards : {true, false}) {
    PaletteQuantiser quantiser;
    quantiser.add(forwards ? first : second);
    quantiser.add(forwards ? second : first);
    const Palette palette = quantiser.palette();
    EXPECT_EQ((std::vector<Rgb>{palette[0], palette[1], palette[2], palette[3], palette[255]}),
              (std::vector<Rgb>{
                  {0, 0, 0}, {0x10, 0xFF, 0}, {0x20, 0, 0}, {0, 0, 0}, {0xFF, 0xFF, 0xFF}}));
  }
}

TEST(PaletteQuantiserTest, NearestTakesTheLowestIndexOnTies) {
  Palette palette{};
  palette[3] = {10, 0, 0};
  palette[7] = {30, 0, 0};
  palette[9] = {10, 0, 0};
  NearestColour nearest(palette);
  EXPECT_EQ(nearest({20, 0, 0}), 3);  // as far from 3 as from 7; 3 is lower
  EXPECT_EQ(nearest({11, 0, 0}), 3);  // 3 and 9 hold the same colour
  EXPECT_EQ(nearest({29, 0, 0}), 7);
  EXPECT_EQ(nearest({2, 0, 0}), 0);  // black
}

}  // namespace
}  // namespace lw::authoring
