// titlekit palette: converts between colour tables and PNG palettes.
//   palette from-png IN.png -o OUT    the indexed PNG's palette as a 2056-byte colour table
//   palette to-png IN -o OUT.png      the colour table as a 128 x 128 chart: a 16 x 16 grid of
//                                     8 x 8 squares, index 16 x row + column, in reading order
#include <iostream>
#include <optional>
#include <string>

#include "apps/titlekit/commands.h"
#include "apps/titlekit/script_files.h"
#include "authoring/palette_files.h"
#include "platform/png_image.h"
#include "shell/drawing/colour_table.h"

namespace lw::titlekit {
namespace {

// This command wires the authoring library's encoders and picture files to the command line.
using namespace lw::authoring;

constexpr std::int32_t kChartColumns = 16;
constexpr std::int32_t kSquareSide = 8;
constexpr std::int32_t kChartSide = kChartColumns * kSquareSide;

int Fail(const std::string& message) {
  std::cerr << message << '\n';
  return kExitFailure;
}

// The chart of a palette: each index as a square, row by row.
IndexedImage PaletteChart(const Palette& palette) {
  IndexedImage chart;
  chart.width = kChartSide;
  chart.height = kChartSide;
  chart.palette = palette;
  for (std::int32_t y = 0; y < kChartSide; ++y) {
    for (std::int32_t x = 0; x < kChartSide; ++x) {
      chart.pixels.push_back(
          static_cast<std::uint8_t>(y / kSquareSide * kChartColumns + x / kSquareSide));
    }
  }
  return chart;
}

int FromPng(const std::string& input, const std::string& output) {
  auto palette = ReadPngPalette(input);
  if (!palette) return Fail(palette.error());
  if (auto failure = WriteWholeFile(output, EncodeColourTable(*palette))) return Fail(*failure);
  return kExitOk;
}

int ToPng(const std::string& input, const std::string& output) {
  auto palette = ReadColourTableFile(input);
  if (!palette) return Fail(palette.error());
  if (auto failure = WritePng(output, PaletteChart(*palette))) return Fail(*failure);
  return kExitOk;
}

}  // namespace

int RunPaletteCommand(Arguments args) {
  // from-png IN -o OUT, or to-png IN -o OUT; -o may also come before IN.
  constexpr std::size_t kArgumentCount = 4;
  if (args.size() != kArgumentCount || (args[0] != "from-png" && args[0] != "to-png")) {
    std::cerr << "titlekit palette: expected from-png or to-png, IN and -o OUT\n";
    return kExitUsage;
  }
  std::string input;
  std::string output;
  if (args[1] == "-o") {
    output = std::string(args[2]);
    input = std::string(args[3]);
  } else if (args[2] == "-o") {
    input = std::string(args[1]);
    output = std::string(args[3]);
  } else {
    std::cerr << "titlekit palette: missing -o OUT\n";
    return kExitUsage;
  }
  return args[0] == "from-png" ? FromPng(input, output) : ToPng(input, output);
}

}  // namespace lw::titlekit
