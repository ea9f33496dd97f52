// titlekit frame: turns PNG pictures into frame records and back.
//   frame encode IN.png [--prev PREV.png] [--palette FILE] [--smallest] -o OUT
//   frame decode IN [--onto PREV.png] [--palette FILE] -o OUT.png
// Encoding makes a key frame, or with --prev a difference frame from PREV to IN (same size); it
// weighs bytes against decoding time, or with --smallest takes the fewest bytes.
// Indexed PNGs keep their indices; true-colour ones are mapped to the nearest colours of the
// colour table FILE. Decoding rebuilds the frame onto PREV's pixels, or onto a picture of the
// frame's size filled with index 0, and colours the result with FILE, else PREV's palette, else
// a grey ramp (index i as grey level i).
#include <iostream>
#include <optional>
#include <string>

#include "apps/titlekit/command_line.h"
#include "apps/titlekit/commands.h"
#include "apps/titlekit/script_files.h"
#include "authoring/frame_encoder.h"
#include "authoring/palette_files.h"
#include "media/frame_codec.h"
#include "platform/png_image.h"

namespace lw::titlekit {
namespace {

// This command wires the authoring library's encoders and picture files to the command line.
using namespace lw::authoring;

enum class Direction { kEncode, kDecode };

struct FrameOptions {
  Direction direction = Direction::kEncode;
  std::string input;
  std::string output;
  std::optional<std::string> previous;  // --prev when encoding, --onto when decoding
  std::optional<std::string> palette;
  EncodeGoal goal = EncodeGoal::kBalanced;
};

bool Complain(const std::string& complaint) {
  std::cerr << "titlekit frame: " << complaint << '\n';
  return false;
}

int Fail(const std::string& message) {
  std::cerr << message << '\n';
  return kExitFailure;
}

// Takes one option and its value into `options`; false after a complaint.
bool TakeOption(std::string_view option, std::string_view value, FrameOptions& options) {
  const std::string_view previousOption =
      options.direction == Direction::kEncode ? "--prev" : "--onto";
  std::optional<std::string>* slot = nullptr;
  if (option == "-o") {
    if (!options.output.empty()) return Complain("-o given twice");
    options.output = std::string(value);
    return true;
  }
  if (option == previousOption) slot = &options.previous;
  if (option == "--palette") slot = &options.palette;
  if (slot == nullptr) return Complain("unknown option '" + std::string(option) + "'");
  if (*slot) return Complain(std::string(option) + " given twice");
  *slot = std::string(value);
  return true;
}

// The options after "frame", or nothing after a complaint.
std::optional<FrameOptions> ParseFrameOptions(Arguments args) {
  FrameOptions options;
  if (args.empty() || (args[0] != "encode" && args[0] != "decode")) {
    Complain("expected encode or decode");
    return std::nullopt;
  }
  options.direction = args[0] == "encode" ? Direction::kEncode : Direction::kDecode;
  constexpr std::string_view kEncodeFlags[] = {"--smallest"};
  auto line = SplitCommandLine(args.subspan(1), options.direction == Direction::kEncode
                                                    ? std::span(kEncodeFlags)
                                                    : std::span<const std::string_view>());
  if (!line) {
    Complain(line.error());
    return std::nullopt;
  }
  options.input = line->input;
  if (!line->flags.empty()) options.goal = EncodeGoal::kSmallest;
  for (const auto& [option, value] : line->options) {
    if (!TakeOption(option, value, options)) return std::nullopt;
  }
  if (options.input.empty() || options.output.empty()) {
    Complain(options.input.empty() ? "missing IN" : "missing -o OUT");
    return std::nullopt;
  }
  return options;
}

std::string SizeText(std::int32_t width, std::int32_t height) {
  return std::to_string(width) + " x " + std::to_string(height);
}

int Encode(const FrameOptions& options) {
  std::optional<Palette> palette;
  if (options.palette) {
    auto table = ReadColourTableFile(*options.palette);
    if (!table) return Fail(table.error());
    palette = *table;
  }
  const Palette* mapTo = palette ? &*palette : nullptr;
  auto picture = ReadPng(options.input, mapTo);
  if (!picture) return Fail(picture.error());
  const FramePixels pixels{picture->width, picture->height, picture->pixels};
  std::optional<IndexedImage> previous;
  FramePixels previousPixels;
  if (options.previous) {
    auto read = ReadPng(*options.previous, mapTo);
    if (!read) return Fail(read.error());
    previous = std::move(*read);
    if (previous->width != picture->width || previous->height != picture->height) {
      return Fail(*options.previous + ": the picture is " +
                  SizeText(previous->width, previous->height) + ", not " +
                  SizeText(picture->width, picture->height));
    }
    previousPixels = {previous->width, previous->height, previous->pixels};
  }
  auto record = EncodeFrame(pixels, previous ? &previousPixels : nullptr, options.goal);
  if (!record) return Fail(options.input + ": " + record.error());
  if (auto failure = WriteWholeFile(options.output, *record)) return Fail(*failure);
  std::cout << (previous ? "difference frame: " : "key frame: ")
            << SizeText(picture->width, picture->height) << ", " << record->size() << " bytes\n";
  return kExitOk;
}

int Decode(const FrameOptions& options) {
  auto bytes = ReadWholeFile(options.input);
  if (!bytes) return Fail(bytes.error());
  const std::span<const std::uint8_t> record = AsBytes(*bytes);
  auto size = ReadFrameSize(record);
  if (!size) return Fail(options.input + ": " + std::string(FrameErrorText(size.error())));
  std::optional<Palette> palette;
  if (options.palette) {
    auto table = ReadColourTableFile(*options.palette);
    if (!table) return Fail(table.error());
    palette = *table;
  }
  IndexedImage image;
  if (options.previous) {
    auto onto = ReadPng(*options.previous, palette ? &*palette : nullptr);
    if (!onto) return Fail(onto.error());
    image = std::move(*onto);
  } else {
    if (size->rows <= 0 || size->width <= 0)
      return Fail(options.input + ": the frame is empty (" + SizeText(size->width, size->rows) +
                  ")");
    image.width = size->width;
    image.height = size->rows;
    image.pixels.assign(static_cast<std::size_t>(image.width) * image.height, 0);
    image.palette = GreyRamp();
  }
  if (palette) image.palette = *palette;
  const BitmapView bitmap{image.pixels, 0, image.width, image.width, image.height};
  auto used = DecodeFrame(record, bitmap);
  if (!used) return Fail(options.input + ": " + std::string(FrameErrorText(used.error())));
  if (auto failure = WritePng(options.output, image)) return Fail(*failure);
  std::cout << SizeText(size->width, size->rows) << " frame: " << *used << " of " << record.size()
            << " bytes used\n";
  return kExitOk;
}

}  // namespace

int RunFrameCommand(Arguments args) {
  const std::optional<FrameOptions> options = ParseFrameOptions(args);
  if (!options) return kExitUsage;
  return options->direction == Direction::kEncode ? Encode(*options) : Decode(*options);
}

}  // namespace lw::titlekit
