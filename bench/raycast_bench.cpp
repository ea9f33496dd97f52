// The set view renderer: every picture of a 10 x 10 set (each allowed move's five pictures), as
// titlekit renders them when it builds a set, and one picture alone against a memset of the
// view, the least that filling a picture can cost.
//
// The set is walled around with two pillars inside; walls are 64 x 64 textures, the palette a
// colour cube with a grey ramp. Every picture is checked once before it is timed: a wall shows at
// the centre of the view. Rates are the median of 5 wall-clock runs on one thread, the
// contestants taking turns.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "authoring/set_map.h"
#include "authoring/set_render.h"
#include "script/trig_tables.h"
#include "turn_timing.h"

namespace {

using namespace lw::bench;
using lw::authoring::SetMove;

constexpr double kMilli = 1e3;
constexpr double kMicro = 1e6;
constexpr std::uint8_t kFloor = 230;
constexpr std::uint8_t kCeiling = 250;

[[noreturn]] void Die(const std::string& what) {
  std::fprintf(stderr, "raycast_bench: %s\n", what.c_str());
  std::exit(1);
}

// A 6 x 6 x 6 colour cube at 0..215, then a grey ramp.
lw::Palette Colours() {
  lw::Palette palette{};
  for (int i = 0; i < 216; ++i)
    palette[static_cast<std::size_t>(i)] = {static_cast<std::uint8_t>(i / 36 * 51),
                                            static_cast<std::uint8_t>(i / 6 % 6 * 51),
                                            static_cast<std::uint8_t>(i % 6 * 51)};
  for (int i = 216; i < 256; ++i) {
    const auto grey = static_cast<std::uint8_t>((i - 216) * 255 / 39);
    palette[static_cast<std::size_t>(i)] = {grey, grey, grey};
  }
  return palette;
}

// Bricks: rows of 16 x 8 bricks in two colours with mortar between them.
lw::authoring::Texture Bricks(std::uint8_t brick, std::uint8_t mortar) {
  lw::authoring::Texture texture{64, 64, {}};
  for (int v = 0; v < 64; ++v) {
    for (int h = 0; h < 64; ++h) {
      const int shifted = h + (v / 8 % 2) * 8;
      texture.pixels.push_back(v % 8 == 0 || shifted % 16 == 0 ? mortar : brick);
    }
  }
  return texture;
}

lw::authoring::SetMap TenByTen() {
  std::vector<std::string> grid(10, "#........#");
  grid.front() = grid.back() = "##########";
  grid[3][3] = grid[6][6] = 'P';
  const std::map<char, lw::authoring::SetMapCell> legend{
      {'#', lw::authoring::WallCell("brick")},
      {'P', lw::authoring::WallCell("pillar")},
      {'.', lw::authoring::OpenCell()},
  };
  auto map = lw::authoring::ParseSetMap(grid, legend, {1, 1, "east"});
  if (!map) Die(map.error());
  return map.value();
}

}  // namespace

int main() {
  if (lw::SineTable() == nullptr || lw::CosineTable() == nullptr) Die("no trigonometric tables");
  const lw::Trig trig{*lw::SineTable(), *lw::CosineTable()};
  const lw::authoring::SetMap map = TenByTen();
  const lw::authoring::TextureSet textures{{"brick", Bricks(180, 250)},
                                           {"pillar", Bricks(45, 230)}};
  auto made = lw::authoring::SetRenderer::Create(map, textures,
                                                 {Colours(), kFloor, kCeiling, 64, 128}, trig);
  if (!made) Die(made.error());
  const lw::authoring::SetRenderer& renderer = made.value();
  const std::vector<SetMove> moves = lw::authoring::AllowedMoves(map);
  const std::size_t pictures = moves.size() * (lw::kMoveSteps + 1);

  // The colours a wall can show: every shade of its textures' colours.
  std::vector<bool> wallColour(256, false);
  for (const auto& [name, texture] : textures) {
    for (const std::uint8_t pixel : texture.pixels) {
      for (int level = 0; level < lw::authoring::kShadeLevels; ++level)
        wallColour[renderer.ShadeTable(level)[pixel]] = true;
    }
  }
  for (const SetMove& move : moves) {
    const auto steps = renderer.RenderMove(move);
    if (!steps) Die(steps.error());
    for (const lw::authoring::ViewPicture& picture : steps.value()) {
      const std::size_t centre = lw::kHorizonRow * lw::kSceneViewWidth + lw::kViewCentreColumn;
      if (!wallColour[picture[centre]]) Die("a picture does not show a wall ahead");
    }
  }

  const lw::Camera camera = renderer.MoveCamera(moves.front(), 0).value();
  lw::authoring::ViewPicture target(lw::kSceneViewWidth * lw::kSceneViewHeight);
  const std::vector<Work> contestants{
      [&](std::int64_t count) {
        for (std::int64_t i = 0; i < count; ++i) {
          for (const SetMove& move : moves) Touch(renderer.RenderMove(move).value()[0].data());
        }
      },
      [&](std::int64_t count) {
        for (std::int64_t i = 0; i < count; ++i) Touch(renderer.RenderView(camera).data());
      },
      [&](std::int64_t count) {
        for (std::int64_t i = 0; i < count; ++i) {
          std::memset(target.data(), static_cast<int>(i), target.size());
          Touch(target.data());
        }
      },
  };
  const std::vector<double> rates = RatesOf(contestants);

  std::printf("Set view rendering, 512 x 264 pictures; in turns, median of %d runs of %.2f s\n",
              kRuns, kRunSeconds);
  std::printf("10 x 10 set, walled around, 2 pillars inside: %zu moves, %zu pictures\n",
              moves.size(), pictures);
  std::printf("%-34s %12s %14s\n", "work", "ms", "us / picture");
  std::printf("%-34s %12.1f %14.1f\n", "every picture of the set", kMilli / rates[0],
              kMicro / rates[0] / static_cast<double>(pictures));
  std::printf("%-34s %12.3f %14.1f\n", "one picture (RenderView)", kMilli / rates[1],
              kMicro / rates[1]);
  std::printf("%-34s %12.3f %14.1f\n", "memset of one picture", kMilli / rates[2],
              kMicro / rates[2]);
  return 0;
}
