// The pictures of a video: PPM frames as ffmpeg writes them (and broken ones refused), and the
// palette they are mapped to: few colours map exactly, many map close, and black and white keep
// the entries the runtime pins.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "authoring/palette_quantiser.h"
#include "authoring/ppm_picture.h"

namespace lw::authoring {
namespace {

using namespace std::string_view_literals;

// What a reader reads, the movie from-video test sees against ffmpeg's own decoding.
TEST(PpmPictureTest, RefusesWhatItCannotRead) {
  const auto read = [](std::string_view bytes) {
    return ReadPpm({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
  };
  const std::pair<std::string_view, std::string> cases[] = {
      {"", "not a binary PPM picture"},
      {"P3\n1 1\n255\n0 0 0\n", "not a binary PPM picture"},
      {"P6\n1\n255\n", "a PPM picture with a broken header"},
      {"P6\n1 1\n255", "a PPM picture with a broken header"},
      {"P6 1 1 65535\n\0\0\0\0\0\0"sv, "a PPM picture of 65535 levels, not 255"},
      {"P6\n641 1\n255\n", "a PPM picture of 641 x 1, not 1..640 x 1..480"},
      {"P6\n0 1\n255\n", "a PPM picture of 0 x 1, not 1..640 x 1..480"},
      {"P6\n9999999 1\n255\n", "a PPM picture with a broken header"},
      {"P6\n2 2\n255\n\1\2\3", "a PPM picture cut short"},
  };
  for (const auto& [bytes, error] : cases) EXPECT_EQ(read(bytes).error(), error) << bytes;
}

std::vector<std::uint8_t> Pixels(const std::vector<Rgb>& colours) {
  std::vector<std::uint8_t> bytes;  // 3 a pixel
  for (const Rgb& c : colours) bytes.insert(bytes.end(), {c.red, c.green, c.blue});
  return bytes;
}

// `count` distinct colours, none black or white (a walk through the cube with odd steps), then
// `extra`.
std::vector<Rgb> DistinctColours(int count, std::vector<Rgb> extra = {}) {
  for (int i = 1; i <= count; ++i) {
    extra.push_back({static_cast<std::uint8_t>(i), static_cast<std::uint8_t>((i * 37) % 256),
                     static_cast<std::uint8_t>((i * 101) % 256)});
  }
  return extra;
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
  const std::vector<std::uint8_t> indices = NearestColour(palette).map(Pixels(colours));
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
  const std::tuple<std::string, std::vector<Rgb>, int> cases[] = {
      {"three colours map exactly", {{200, 10, 10}, {10, 200, 10}, {10, 10, 200}}, 0},
      {"254 colours, as many as there are free entries, map exactly", DistinctColours(254), 0},
      {"close colours in one histogram cell stay apart", {{8, 8, 8}, {9, 8, 8}, {8, 9, 8}}, 0},
      {"black and white need no entry of their own",
       DistinctColours(254, {{0, 0, 0}, {255, 255, 255}}), 0},
      // 4096 colours in 254 entries, 16 an entry: no pixel is more than 4 shading steps off.
      {"a shading of 4096 colours", Shading(), 16},
  };
  for (const auto& [what, colours, worst] : cases)
    EXPECT_LE(WorstChannelError(colours), worst) << what;
}

}  // namespace
}  // namespace lw::authoring
