#include "authoring/puppet_sources.h"

#include <optional>
#include <string_view>

#include "authoring/source_file.h"
#include "objects/puppet_file.h"

namespace lw::authoring {
namespace {

constexpr std::uint8_t kPictureDepth = 8;

// The sizes a puppet picture may have, and how an error names them.
struct PictureRule {
  std::uint32_t minWidth, maxWidth, minHeight, maxHeight;
  std::string_view sizes;
};
constexpr PictureRule kLayerImage = {1, kPuppetPictureWidth, 1, kPuppetPictureHeight,
                                     "1..512 x 1..264"};
constexpr PictureRule kBandPicture = {kPuppetPictureWidth, kPuppetPictureWidth, kBevelBandHeight,
                                      kBevelBandHeight, "512 x 120"};

// What is wrong with a picture's PNG header under `rule`, if anything.
std::optional<std::string> PictureProblem(std::string_view bytes, const PictureRule& rule) {
  const std::optional<PngHeader> header = ReadPngHeader(bytes);
  if (!header) return "expected a PNG file";
  const auto [width, height, depth, colourType] = *header;
  if (width >= rule.minWidth && width <= rule.maxWidth && height >= rule.minHeight &&
      height <= rule.maxHeight && depth == kPictureDepth && colourType == kIndexedColourType) {
    return std::nullopt;
  }
  return "expected an 8-bit indexed PNG of " + std::string(rule.sizes) + ", not a " +
         std::to_string(width) + " x " + std::to_string(height) + " PNG of depth " +
         std::to_string(depth) + " and colour type " + std::to_string(colourType);
}

class PuppetLoader {
 public:
  explicit PuppetLoader(const ScriptLoader& loadScript) : loadScript_(loadScript) {}

  void script(const SourceFile& file) {
    if (!file.named() || !reading_.firstTime(Use::kScript, file)) return;
    if (!reading_.read(file)) return;
    auto loaded = loadScript_(file.path.string());
    if (!loaded) return reading_.fail(file, loaded.error());
    sources_.files.scripts.emplace(file.path, std::move(loaded).value());
  }

  void layerImage(const SourceFile& file) { picture(file, Use::kLayerImage, kLayerImage); }
  void band(const SourceFile& file) { picture(file, Use::kBand, kBandPicture); }

  void sound(const SourceFile& file) {
    if (!file.named() || !reading_.firstTime(Use::kSound, file)) return;
    const auto bytes = reading_.read(file);
    if (!bytes) return;
    auto sound = ReadAudio(AsBytes(*bytes));
    if (!sound) return reading_.fail(file, file.path.string() + ": " + sound.error());
    sources_.files.sounds.emplace(file.path, std::move(sound).value());
  }

  void palette(const SourceFile& file) {
    if (!file.named() || !reading_.firstTime(Use::kPalette, file)) return;
    const auto bytes = reading_.read(file);
    if (!bytes) return;
    auto table = ReadPaletteSource(file.path, *bytes);
    if (!table) return reading_.fail(file, table.error());
    sources_.palettes.emplace(file.path, *table);
  }

  Expected<PuppetSources, std::vector<ManifestError>> take() {
    if (!reading_.errors().empty()) return Unexpected{std::move(reading_.errors())};
    return std::move(sources_);
  }

 private:
  // What a file is read as: one file may serve as a layer image, a band and the palette, and is
  // checked by the rule of each.
  enum class Use : std::uint8_t { kScript, kLayerImage, kBand, kSound, kPalette };

  void picture(const SourceFile& file, Use use, const PictureRule& rule) {
    if (!file.named() || !reading_.firstTime(use, file)) return;
    const auto bytes = reading_.read(file);
    if (!bytes) return;
    if (auto problem = PictureProblem(*bytes, rule)) return reading_.fail(file, *problem);
    auto image = ReadPng(file.path.string());
    if (!image) return reading_.fail(file, image.error());
    sources_.files.sprites.emplace(file.path, std::move(image).value());
  }

  const ScriptLoader& loadScript_;
  PuppetSources sources_;
  SourceReading<Use> reading_{sources_.files.fileHashes};
};

}  // namespace

Expected<PuppetSources, std::vector<ManifestError>> LoadPuppetSources(
    const std::vector<ManifestPuppetFile>& puppets, const ScriptLoader& loadScript) {
  PuppetLoader loader(loadScript);
  for (const ManifestPuppetFile& file : puppets) {
    for (const ManifestPuppet& puppet : file.puppets) loader.script(puppet.script);
    loader.palette(file.palette);
    for (const auto& layer : file.layers) {
      for (const ManifestLayerImage& image : layer) loader.layerImage(image.png);
    }
    loader.band(file.band);
    for (const auto* lines : {&file.lines, &file.playerLines}) {
      for (const ManifestPuppetLine& line : *lines) loader.sound(line.sound.audio);
    }
  }
  return loader.take();
}

std::vector<ManifestError> CheckPuppetPictures(const ManifestPuppetFile& puppets,
                                               const PuppetSources& sources) {
  std::vector<ManifestError> errors;
  for (const auto& layer : puppets.layers) {
    for (const ManifestLayerImage& image : layer) {
      const IndexedImage& picture = sources.files.sprites.at(image.png.path);
      if (image.hot.v < picture.height && image.hot.h < picture.width) continue;
      errors.push_back({image.where + ".hot",
                        "expected a hot spot inside the picture of " +
                            std::to_string(picture.width) + " x " + std::to_string(picture.height) +
                            ": row 0.." + std::to_string(picture.height - 1) + ", column 0.." +
                            std::to_string(picture.width - 1)});
    }
  }
  return errors;
}

}  // namespace lw::authoring
