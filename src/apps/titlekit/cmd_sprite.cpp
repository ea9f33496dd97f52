// titlekit sprite: turns PNG pictures into sprite records and back.
//   sprite encode IN.png --hotspot V,H [--transparent INDEX] [--palette FILE] -o OUT
//   sprite decode IN [--palette FILE] [--background INDEX] -o OUT.png
// Encoding keeps an indexed PNG's indices; a true-colour PNG is mapped to the colour table FILE,
// and its transparent pixels take the --transparent index (so do opaque pixels whose nearest
// colour is that index). Decoding draws the sprite, unmirrored, onto a picture of its size
// filled with the background index (0 by default), coloured by FILE or else by a grey ramp that
// shows index i as grey level i.
#include <charconv>
#include <iostream>
#include <limits>
#include <optional>
#include <string>

#include "apps/titlekit/command_line.h"
#include "apps/titlekit/commands.h"
#include "apps/titlekit/script_files.h"
#include "authoring/palette_files.h"
#include "authoring/sprite_encoder.h"
#include "media/sprite.h"
#include "platform/png_image.h"
#include "shell/drawing/colour_table.h"

namespace lw::titlekit {
namespace {

// This command wires the authoring library's encoders and picture files to the command line.
using namespace lw::authoring;

enum class Direction { kEncode, kDecode };

struct SpriteOptions {
  Direction direction = Direction::kEncode;
  std::string input;
  std::string output;
  std::optional<Point> hotSpot;
  std::optional<std::uint8_t> transparent;
  std::optional<std::string> palette;
  std::uint8_t background = 0;
};

// A whole decimal number in [low, high], or nothing.
std::optional<std::int32_t> ParseNumber(std::string_view text, std::int32_t low,
                                        std::int32_t high) {
  std::int32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < low ||
      value > high) {
    return std::nullopt;
  }
  return value;
}

std::optional<std::uint8_t> ParseIndex(std::string_view text) {
  const auto value = ParseNumber(text, 0, std::numeric_limits<std::uint8_t>::max());
  if (!value) return std::nullopt;
  return static_cast<std::uint8_t>(*value);
}

// "V,H", each a signed 16-bit number.
std::optional<Point> ParseHotSpot(std::string_view text) {
  constexpr std::int32_t kLow = std::numeric_limits<std::int16_t>::min();
  constexpr std::int32_t kHigh = std::numeric_limits<std::int16_t>::max();
  const std::size_t comma = text.find(',');
  if (comma == std::string_view::npos) return std::nullopt;
  const auto v = ParseNumber(text.substr(0, comma), kLow, kHigh);
  const auto h = ParseNumber(text.substr(comma + 1), kLow, kHigh);
  if (!v || !h) return std::nullopt;
  return PointAt(*v, *h);
}

bool Complain(const std::string& complaint) {
  std::cerr << "titlekit sprite: " << complaint << '\n';
  return false;
}

// Takes one option and its value into `options`; false after a complaint.
bool TakeOption(std::string_view option, std::string_view value, SpriteOptions& options) {
  const bool encoding = options.direction == Direction::kEncode;
  if (option == "-o") {
    options.output = std::string(value);
  } else if (option == "--palette") {
    options.palette = std::string(value);
  } else if (option == "--hotspot" && encoding) {
    options.hotSpot = ParseHotSpot(value);
    if (!options.hotSpot) return Complain("--hotspot needs V,H (16-bit numbers)");
  } else if (option == "--transparent" && encoding) {
    options.transparent = ParseIndex(value);
    if (!options.transparent) return Complain("--transparent needs an index 0 to 255");
  } else if (option == "--background" && !encoding) {
    const auto index = ParseIndex(value);
    if (!index) return Complain("--background needs an index 0 to 255");
    options.background = *index;
  } else {
    return Complain("unexpected option '" + std::string(option) + "'");
  }
  return true;
}

// The options, or nothing after a complaint about them.
std::optional<SpriteOptions> ParseSpriteOptions(Arguments args) {
  SpriteOptions options;
  if (args.empty() || (args[0] != "encode" && args[0] != "decode")) {
    Complain("expected encode or decode");
    return std::nullopt;
  }
  options.direction = args[0] == "encode" ? Direction::kEncode : Direction::kDecode;
  auto line = SplitCommandLine(args.subspan(1));
  if (!line) {
    Complain(line.error());
    return std::nullopt;
  }
  options.input = line->input;
  for (const auto& [option, value] : line->options) {
    if (!TakeOption(option, value, options)) return std::nullopt;
  }
  if (options.input.empty() || options.output.empty()) {
    Complain("needs an input file and -o OUT");
    return std::nullopt;
  }
  if (options.direction == Direction::kEncode && !options.hotSpot) {
    Complain("encode needs --hotspot V,H");
    return std::nullopt;
  }
  return options;
}

// Reads the picture to encode. A true-colour picture's transparent pixels need an index.
Expected<IndexedImage, std::string> ReadPicture(const SpriteOptions& options) {
  if (!options.palette) return ReadPng(options.input);
  auto palette = ReadColourTableFile(*options.palette);
  if (!palette) return Unexpected(palette.error());
  auto image = ReadPng(options.input, &*palette, options.transparent);
  if (image && image->hasTransparentPixels && !options.transparent) {
    return Unexpected(options.input +
                      ": the picture has transparent pixels; give --transparent INDEX");
  }
  return image;
}

int Fail(const std::string& message) {
  std::cerr << message << '\n';
  return kExitFailure;
}

int Encode(const SpriteOptions& options) {
  auto image = ReadPicture(options);
  if (!image) return Fail(image.error());
  auto record = EncodeSprite(
      {image->width, image->height, image->pixels, *options.hotSpot, options.transparent});
  if (!record) return Fail(options.input + ": " + record.error());
  if (auto failure = WriteWholeFile(options.output, *record)) return Fail(*failure);
  return kExitOk;
}

int Decode(const SpriteOptions& options) {
  auto bytes = ReadWholeFile(options.input);
  if (!bytes) return Fail(bytes.error());
  const std::span<const std::uint8_t> record = AsBytes(*bytes);
  auto picture = ReadSpritePicture(record);
  if (!picture) {
    return Fail(options.input + ": not a sprite (header cut short, or a size out of range)");
  }
  if (picture->rows == 0 || picture->width == 0) {
    return Fail(options.input + ": the sprite has no pixels to draw");
  }
  IndexedImage image{picture->width, picture->rows, {}, GreyRamp()};
  if (options.palette) {
    auto palette = ReadColourTableFile(*options.palette);
    if (!palette) return Fail(palette.error());
    image.palette = *palette;
  }
  image.pixels.assign(static_cast<std::size_t>(image.width) * image.height, options.background);
  const BitmapView view{image.pixels, 0, image.width, image.width, image.height};
  // Anchored at its own hot spot, the sprite's top-left lands on (0, 0).
  const Point anchor{picture->hotV, picture->hotH};
  const Rect whole{0, 0, picture->rows, picture->width};
  if (const FatalSite site = DrawSprite(record, anchor, view, whole, false); site.failed()) {
    return Fail(options.input + ": malformed sprite rows (error line " +
                std::to_string(site.errorLine) + ")");
  }
  if (auto failure = WritePng(options.output, image)) return Fail(*failure);
  return kExitOk;
}

}  // namespace

int RunSpriteCommand(Arguments args) {
  const std::optional<SpriteOptions> options = ParseSpriteOptions(args);
  if (!options) return kExitUsage;
  return options->direction == Direction::kEncode ? Encode(*options) : Decode(*options);
}

}  // namespace lw::titlekit
