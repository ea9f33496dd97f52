#include "authoring/puppet_manifest.h"

#include <array>
#include <cstdint>
#include <limits>
#include <optional>

#include "common/mac_roman.h"
#include "media/sound_record.h"
#include "objects/puppet_file.h"

namespace lw::authoring::manifest {
namespace {

constexpr int kMinCoord = std::numeric_limits<std::int16_t>::min();
constexpr int kMaxCoord = std::numeric_limits<std::int16_t>::max();
constexpr int kMaxHotSpot = std::numeric_limits<std::int16_t>::max();
constexpr int kMaxTicks = std::numeric_limits<std::int32_t>::max();
constexpr int kMaxRate = 44100;
constexpr std::size_t kPointAxes = 2;
// The header counts its lines in 16 bits; the player lines record its entries too.
constexpr std::size_t kMaxLines = std::numeric_limits<std::int16_t>::max();

constexpr std::array<std::string_view, 11> kPuppetFileKeys = {
    "file",  "name", "puppets", "palette", "layers",      "rest",
    "mouth", "band", "lines",   "idle",    "player_lines"};
constexpr std::array<std::string_view, 2> kPuppetKeys = {"name", "script"};
constexpr std::array<std::string_view, 3> kImageKeys = {"png", "hot", "transparent"};
constexpr std::array<std::string_view, 3> kPlacementKeys = {"layer", "image", "at"};
constexpr std::array<std::string_view, 3> kMouthKeys = {"layer", "at", "images"};
constexpr std::array<std::string_view, 4> kLineKeys = {"name", "audio", "subtitle", "rate"};
constexpr std::array<std::string_view, 4> kIdleKeys = {"audio", "subtitle", "shortest", "longest"};
constexpr std::array<std::string_view, 3> kPlayerLineKeys = {"name", "text", "audio"};

// clang-format off
constexpr Field kPuppetFilesField = {"puppets",      "an array of puppet files"};
constexpr Field kPuppetsField     = {"puppets",      "an array of at least one puppet", true};
constexpr Field kLayersField      = {"layers",       "an array of at most 11 layers"};
constexpr Field kPngField         = {"png",          "a PNG file name (text)", true};
constexpr Field kHotField         = {"hot",          "[row, column]: two whole numbers 0..32767"};
constexpr Field kTransparentField = {"transparent",  "a palette index 0..255"};
constexpr Field kRestField        = {"rest",         "an array of layer placements"};
constexpr Field kLayerField       = {"layer",        "the number of one of the puppet's layers",
                                     true};
constexpr Field kImageField       = {"image",        "the number of one of the layer's images",
                                     true};
constexpr Field kAtField          = {"at",           "[v, h]: two whole numbers -32768..32767",
                                     true};
constexpr Field kMouthField       = {"mouth",        "a mouth"};
constexpr Field kMouthImagesField = {"images",       "an array of at least one number of an "
                                                     "image of the mouth's layer", true};
constexpr Field kBandField        = {"band",         "a PNG file name (text)"};
constexpr Field kLinesField       = {"lines",        "an array of at most 32767 lines"};
constexpr Field kAudioField       = {"audio",        "a sound file name (text)", true};
constexpr Field kRateField        = {"rate",         "11025, 22050 or 44100"};
constexpr Field kSubtitleField    = {"subtitle",     "a text of 0 to 255 characters"};
constexpr Field kIdleField        = {"idle",         "an array of at most 4 idle lines"};
constexpr Field kShortestField    = {"shortest",     "a whole number of ticks 0..2147483647",
                                     true};
constexpr Field kLongestField     = {"longest",      "a whole number of ticks, shortest.."
                                                     "2147483647", true};
constexpr Field kPlayerLinesField = {"player_lines", "an array of at most 32767 player lines"};
constexpr Field kTextField        = {"text",         "a text of 0 to 255 characters", true};
// clang-format on

std::string Indexed(const std::string& path, std::size_t i) {
  return path + "[" + std::to_string(i) + "]";
}

// A text member in Mac Roman of at most 255 characters; nothing when missing or refused.
std::optional<std::string> ReadText(const Json& object, const Field& field,
                                    const std::string& where, Reading& reading) {
  const Json* value = Member(object, field, where, reading);
  if (value == nullptr) return std::nullopt;
  if (!value->is_string()) {
    Refuse(where, field, reading);
    return std::nullopt;
  }
  std::string_view utf8 = value->get_ref<const std::string&>();
  std::string text;
  while (!utf8.empty()) {
    const auto character = TakeMacRomanCharacter(utf8);
    if (!character) {
      reading.fail(PathOf(where, field),
                   "expected a text in Mac Roman characters: " + character.error());
      return std::nullopt;
    }
    text += static_cast<char>(character->byte);
    utf8.remove_prefix(character->length);
  }
  if (text.size() > kMaxLineText) {
    reading.fail(PathOf(where, field), "expected " + std::string(field.expected) + ", not " +
                                           std::to_string(text.size()));
    return std::nullopt;
  }
  return text;
}

// Two whole numbers within low..high, [v, h]; nothing when missing or refused.
std::optional<Point> ReadPoint(const Json& object, const Field& field, int low, int high,
                               const std::string& where, Reading& reading) {
  const Json* value = Member(object, field, where, reading);
  if (value == nullptr) return std::nullopt;
  std::array<std::optional<int>, kPointAxes> axes;
  if (value->is_array() && value->size() == kPointAxes) {
    for (std::size_t i = 0; i < kPointAxes; ++i) axes[i] = WholeNumber((*value)[i], low, high);
  }
  if (!axes[0] || !axes[1]) {
    Refuse(where, field, reading);
    return std::nullopt;
  }
  return PointAt(*axes[0], *axes[1]);
}

// The numbers below `count`, as an error names them.
std::string RangeText(std::size_t count) {
  return count == 0 ? " (there is none)" : " (0.." + std::to_string(count - 1) + ")";
}

// An index member below `count`; nothing when missing or refused.
std::optional<std::size_t> ReadIndex(const Json& object, const Field& field, std::size_t count,
                                     const std::string& where, Reading& reading) {
  const Json* value = Member(object, field, where, reading);
  if (value == nullptr) return std::nullopt;
  const auto index = WholeNumber(*value, 0, static_cast<int>(count) - 1);
  if (!index) {
    reading.fail(PathOf(where, field),
                 "expected " + std::string(field.expected) + RangeText(count));
    return std::nullopt;
  }
  return static_cast<std::size_t>(*index);
}

std::uint32_t ReadRate(const Json& object, const std::string& where, Reading& reading) {
  if (Member(object, kRateField, where, reading) == nullptr) return kDefaultTrackSoundRate;
  const auto rate = ReadInteger(object, kRateField, 0, kMaxRate, where, reading);
  if (rate && FindSoundCodecByRate(static_cast<std::uint32_t>(*rate)) != nullptr)
    return static_cast<std::uint32_t>(*rate);
  if (rate) Refuse(where, kRateField, reading);
  return kDefaultTrackSoundRate;
}

std::vector<ManifestLayerImage> ReadLayer(const Json& value, std::size_t layer,
                                          const std::string& where, Reading& reading) {
  std::vector<ManifestLayerImage> images;
  if (!value.is_array() || value.size() > kMaxLayerImages) {
    reading.fail(where, "expected a layer: an array of at most 32 images");
    return images;
  }
  for (std::size_t m = 0; m < value.size(); ++m) {
    ManifestLayerImage image;
    image.where = Indexed(where, m);
    if (CheckObject(value[m], image.where, "an image", kImageKeys, reading)) {
      image.png = ReadFileName(value[m], kPngField, image.where, reading);
      image.hot =
          ReadPoint(value[m], kHotField, 0, kMaxHotSpot, image.where, reading).value_or(Point{});
      // The background hides what is behind it; the layers over it see through index 0.
      if (layer > 0) image.transparent = 0;
      if (Member(value[m], kTransparentField, image.where, reading) != nullptr) {
        if (auto index = ReadInteger(value[m], kTransparentField, 0, 255, image.where, reading))
          image.transparent = static_cast<std::uint8_t>(*index);
      }
    }
    images.push_back(std::move(image));
  }
  return images;
}

void ReadLayers(const Json& value, const std::string& where, ManifestPuppetFile& puppets,
                Reading& reading) {
  const Json* layers = ReadArray(value, kLayersField, where, reading);
  if (layers == nullptr) return;
  if (layers->size() > kPuppetLayers) return Refuse(where, kLayersField, reading);
  for (std::size_t k = 0; k < layers->size(); ++k)
    puppets.layers.push_back(ReadLayer((*layers)[k], k, Indexed(where + ".layers", k), reading));
}

// A layer number and an image number of that layer.
std::optional<ManifestPlacement> ReadPlacement(const Json& value, const ManifestPuppetFile& puppets,
                                               const std::string& where, Reading& reading) {
  if (!CheckObject(value, where, "a layer placement", kPlacementKeys, reading)) return std::nullopt;
  const auto layer = ReadIndex(value, kLayerField, puppets.layers.size(), where, reading);
  const auto at = ReadPoint(value, kAtField, kMinCoord, kMaxCoord, where, reading);
  if (!layer) return std::nullopt;
  const auto image = ReadIndex(value, kImageField, puppets.layers[*layer].size(), where, reading);
  if (!image || !at) return std::nullopt;
  return ManifestPlacement{*layer, *image, *at};
}

void ReadRest(const Json& value, const std::string& where, ManifestPuppetFile& puppets,
              Reading& reading) {
  const Json* rest = ReadArray(value, kRestField, where, reading);
  if (rest == nullptr) return;
  std::array<bool, kPuppetLayers> placed{};
  for (std::size_t i = 0; i < rest->size(); ++i) {
    const std::string path = Indexed(where + ".rest", i);
    const auto placement = ReadPlacement((*rest)[i], puppets, path, reading);
    if (!placement) continue;
    if (placed[placement->layer]) {
      reading.fail(path + ".layer", "expected a layer that no other entry of the rest places");
      continue;
    }
    placed[placement->layer] = true;
    puppets.rest.push_back(*placement);
  }
}

void ReadMouth(const Json& value, const std::string& where, ManifestPuppetFile& puppets,
               Reading& reading) {
  const Json* mouth = Member(value, kMouthField, where, reading);
  const std::string path = PathOf(where, kMouthField);
  if (mouth == nullptr || !CheckObject(*mouth, path, "a mouth", kMouthKeys, reading)) return;
  const auto layer = ReadIndex(*mouth, kLayerField, puppets.layers.size(), path, reading);
  const auto at = ReadPoint(*mouth, kAtField, kMinCoord, kMaxCoord, path, reading);
  const Json* images = ReadArray(*mouth, kMouthImagesField, path, reading);
  if (!layer || !at || images == nullptr) return;
  if (images->empty()) return Refuse(path, kMouthImagesField, reading);
  ManifestMouth result{*layer, *at, {}};
  const std::size_t count = puppets.layers[*layer].size();
  for (const Json& image : *images) {
    const auto index = WholeNumber(image, 0, static_cast<int>(count) - 1);
    if (!index) {
      return reading.fail(PathOf(path, kMouthImagesField),
                          "expected " + std::string(kMouthImagesField.expected) + RangeText(count));
    }
    result.images.push_back(static_cast<std::size_t>(*index));
  }
  puppets.mouth = std::move(result);
}

ManifestPuppetLine ReadLine(const Json& value, const std::string& where, Reading& reading) {
  ManifestPuppetLine line;
  if (!CheckObject(value, where, "a line", kLineKeys, reading)) return line;
  line.sound.name = ReadName(value, where, reading);
  line.sound.audio = ReadFileName(value, kAudioField, where, reading);
  line.text = ReadText(value, kSubtitleField, where, reading).value_or(std::string(kNoSubtitle));
  line.sound.rate = ReadRate(value, where, reading);
  return line;
}

ManifestPuppetLine ReadIdleLine(const Json& value, std::size_t number, const std::string& where,
                                Reading& reading) {
  ManifestPuppetLine line;
  line.sound.name = "idle " + std::to_string(number);
  if (!CheckObject(value, where, "an idle line", kIdleKeys, reading)) return line;
  line.sound.audio = ReadFileName(value, kAudioField, where, reading);
  line.text = ReadText(value, kSubtitleField, where, reading).value_or(std::string(kNoSubtitle));
  const auto shortest = ReadInteger(value, kShortestField, 0, kMaxTicks, where, reading);
  const auto longest =
      ReadInteger(value, kLongestField, shortest.value_or(0), kMaxTicks, where, reading);
  line.shortest = static_cast<std::uint32_t>(shortest.value_or(0));
  line.longest = static_cast<std::uint32_t>(longest.value_or(0));
  return line;
}

ManifestPuppetLine ReadPlayerLine(const Json& value, const std::string& where, Reading& reading) {
  ManifestPuppetLine line;
  if (!CheckObject(value, where, "a player line", kPlayerLineKeys, reading)) return line;
  line.sound.name = ReadName(value, where, reading);
  line.text = ReadText(value, kTextField, where, reading).value_or("");
  line.sound.audio = ReadFileName(value, kAudioField, where, reading);
  return line;
}

void ReadLines(const Json& value, const std::string& where, ManifestPuppetFile& puppets,
               Reading& reading) {
  std::vector<std::string> names;
  const Json* lines = ReadArray(value, kLinesField, where, reading);
  if (lines != nullptr && lines->size() > kMaxLines - kIdleLines) {
    Refuse(where, kLinesField, reading);
  } else if (lines != nullptr) {
    for (std::size_t i = 0; i < lines->size(); ++i) {
      const std::string path = Indexed(where + ".lines", i);
      puppets.lines.push_back(ReadLine((*lines)[i], path, reading));
      CheckUnique(puppets.lines.back().sound.name, names, path, "line", reading);
    }
  }
  const Json* idle = ReadArray(value, kIdleField, where, reading);
  if (idle != nullptr && idle->size() > kIdleLines) {
    Refuse(where, kIdleField, reading);
  } else if (idle != nullptr) {
    for (std::size_t i = 0; i < idle->size(); ++i) {
      const std::string path = Indexed(where + ".idle", i);
      puppets.lines.push_back(ReadIdleLine((*idle)[i], i + 1, path, reading));
      CheckUnique(puppets.lines.back().sound.name, names, Indexed(where + ".idle", i), "line",
                  reading);
    }
    puppets.idleLines = idle->size();
  }
  const Json* player = ReadArray(value, kPlayerLinesField, where, reading);
  if (player != nullptr && player->size() > kMaxLines)
    return Refuse(where, kPlayerLinesField, reading);
  if (player == nullptr) return;
  std::vector<std::string> playerNames;
  for (std::size_t i = 0; i < player->size(); ++i) {
    const std::string path = Indexed(where + ".player_lines", i);
    puppets.playerLines.push_back(ReadPlayerLine((*player)[i], path, reading));
    CheckUnique(puppets.playerLines.back().sound.name, playerNames, path, "player line", reading);
  }
}

ManifestPuppetFile ReadPuppetFile(const Json& value, const std::string& where, Reading& reading) {
  ManifestPuppetFile puppets;
  if (!CheckObject(value, where, "a puppet file", kPuppetFileKeys, reading)) return puppets;
  puppets.file = ReadOutputFileName(value, where, reading);
  puppets.name = ReadName(value, where, reading);
  if (const Json* list = ReadArray(value, kPuppetsField, where, reading)) {
    if (list->empty() || list->size() > kMaxLines) Refuse(where, kPuppetsField, reading);
    std::vector<std::string> names;
    for (std::size_t i = 0; i < list->size() && i < kMaxLines; ++i) {
      const std::string path = Indexed(where + ".puppets", i);
      ManifestPuppet puppet;
      if (CheckObject((*list)[i], path, "a puppet", kPuppetKeys, reading)) {
        puppet.name = ReadName((*list)[i], path, reading);
        puppet.script = ReadFileName((*list)[i], kScriptField, path, reading);
      }
      CheckUnique(puppet.name, names, path, "puppet", reading);
      puppets.puppets.push_back(std::move(puppet));
    }
  }
  puppets.palette = ReadFileName(value, kPaletteField, where, reading);
  ReadLayers(value, where, puppets, reading);
  ReadRest(value, where, puppets, reading);
  ReadMouth(value, where, puppets, reading);
  puppets.band = ReadFileName(value, kBandField, where, reading);
  ReadLines(value, where, puppets, reading);
  return puppets;
}

}  // namespace

void ReadPuppetFiles(const Json& root, std::vector<ManifestPuppetFile>& puppets,
                     std::vector<std::string>& files, Reading& reading) {
  const Json* array = ReadArray(root, kPuppetFilesField, "$", reading);
  if (array == nullptr) return;
  for (std::size_t i = 0; i < array->size(); ++i) {
    const std::string path = "$.puppets[" + std::to_string(i) + "]";
    puppets.push_back(ReadPuppetFile((*array)[i], path, reading));
    CheckOutput(puppets.back().file, path, files, reading);
  }
}

}  // namespace lw::authoring::manifest
