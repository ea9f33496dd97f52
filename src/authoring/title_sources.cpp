#include "authoring/title_sources.h"

#include "authoring/set_render.h"
#include "authoring/source_file.h"
#include "media/sprite.h"
#include "objects/stage_file.h"
#include "shell/drawing/colour_table.h"

namespace lw::authoring {
namespace {

constexpr std::uint8_t kPictureDepth = 8;

// The PNG colour types by name.
std::string PixelKind(std::uint8_t depth, std::uint8_t colourType) {
  switch (colourType) {
    case 0: return std::to_string(depth) + "-bit grey";
    case 2: return "true-colour";
    case kIndexedColourType: return std::to_string(depth) + "-bit indexed";
    case 4: return "grey and alpha";
    case 6: return "true-colour and alpha";
    default: return "colour type " + std::to_string(colourType);
  }
}

// The sizes an indexed PNG may have, and how an error names them.
struct IndexedPngRule {
  std::uint32_t minWidth, maxWidth, minHeight, maxHeight;
  std::string_view sizes;
};
constexpr IndexedPngRule kFlatPicture = {kStageFileWidth, kStageFileWidth, kStageFileHeight,
                                         kStageFileHeight, "512 x 384"};
constexpr IndexedPngRule kSetTexture = {1, kMaxTextureSide, 1, kMaxTextureSide,
                                        "1..1024 x 1..1024"};
// Sprite pictures are as wide as a sprite may be, and no taller than a set texture: more than
// an actor or prop drawn over a scene needs, and a bound on what one picture costs to encode.
constexpr std::uint32_t kMaxSpriteRows = 1024;
constexpr IndexedPngRule kSpritePicture = {1, kMaxSpriteWidth, 1, kMaxSpriteRows,
                                           "1..512 x 1..1024"};

// What is wrong with an indexed PNG's header under `rule`, if anything.
std::optional<std::string> IndexedPngProblem(std::string_view bytes, const IndexedPngRule& rule) {
  const std::optional<PngHeader> header = ReadPngHeader(bytes);
  if (!header) return "expected a PNG file";
  const auto [width, height, depth, colourType] = *header;
  if (width >= rule.minWidth && width <= rule.maxWidth && height >= rule.minHeight &&
      height <= rule.maxHeight && depth == kPictureDepth && colourType == kIndexedColourType) {
    return std::nullopt;
  }
  return "expected an 8-bit indexed PNG of " + std::string(rule.sizes) + ", not a " +
         std::to_string(width) + " x " + std::to_string(height) + " " +
         PixelKind(depth, colourType) + " PNG";
}

class SourceLoader {
 public:
  explicit SourceLoader(const ScriptLoader& loadScript) : loadScript_(loadScript) {}

  void script(const SourceFile& file) {
    if (!file.named() || !reading_.firstTime(Use::kScript, file)) return;
    if (!reading_.read(file)) return;
    auto loaded = loadScript_(file.path.string());
    if (!loaded) return reading_.fail(file, loaded.error());
    sources_.scripts.emplace(file.path, std::move(loaded).value());
  }

  void picture(const SourceFile& file) {
    indexedImage(file, Use::kPicture, kFlatPicture, sources_.pictures);
  }
  void texture(const SourceFile& file) {
    indexedImage(file, Use::kTexture, kSetTexture, sources_.textures);
  }
  void sprite(const SourceFile& file) {
    indexedImage(file, Use::kSprite, kSpritePicture, sources_.sprites);
  }

  void sound(const SourceFile& file) {
    if (!file.named() || !reading_.firstTime(Use::kSound, file)) return;
    const auto bytes = reading_.read(file);
    if (!bytes) return;
    auto sound = ReadAudio(AsBytes(*bytes));
    if (!sound) return reading_.fail(file, file.path.string() + ": " + sound.error());
    sources_.sounds.emplace(file.path, std::move(sound).value());
  }

  void palette(const SourceFile& file) {
    if (!file.named() || !reading_.firstTime(Use::kPalette, file)) return;
    const auto bytes = reading_.read(file);
    if (!bytes) return;
    if (IsPngFile(*bytes)) {
      auto palette = ReadPngPalette(file.path.string());
      if (!palette) return reading_.fail(file, palette.error());
      sources_.palette = EncodeColourTable(*palette);
      return;
    }
    if (auto table = DecodeColourTable16(AsBytes(*bytes)); !table) {
      return reading_.fail(file, "expected an indexed PNG or a colour table: " + table.error());
    }
    sources_.palette.assign(bytes->begin(), bytes->end());
  }

  Expected<TitleSources, std::vector<ManifestError>> take() {
    if (!reading_.errors().empty()) return Unexpected{std::move(reading_.errors())};
    return std::move(sources_);
  }

 private:
  // What a file is read as: one file may serve as a picture and as the palette.
  enum class Use : std::uint8_t { kScript, kPicture, kTexture, kSprite, kSound, kPalette };

  // An indexed PNG whose header passes `rule`, read into `into`.
  void indexedImage(const SourceFile& file, Use use, const IndexedPngRule& rule,
                    std::map<std::filesystem::path, IndexedImage>& into) {
    if (!file.named() || !reading_.firstTime(use, file)) return;
    const auto bytes = reading_.read(file);
    if (!bytes) return;
    if (auto problem = IndexedPngProblem(*bytes, rule)) return reading_.fail(file, *problem);
    auto image = ReadPng(file.path.string());
    if (!image) return reading_.fail(file, image.error());
    into.emplace(file.path, std::move(image).value());
  }

  const ScriptLoader& loadScript_;
  TitleSources sources_;
  SourceReading<Use> reading_{sources_.fileHashes};
};

}  // namespace

Expected<TitleSources, std::vector<ManifestError>> LoadTitleSources(
    const TitleManifest& manifest, const ScriptLoader& loadScript) {
  SourceLoader loader(loadScript);
  loader.script(manifest.system);
  loader.palette(manifest.palette);
  const SourceVisit load = [&loader](const SourceFile& file, SourceKind kind) {
    switch (kind) {
      case SourceKind::kScript: loader.script(file); break;
      case SourceKind::kPicture: loader.picture(file); break;
      case SourceKind::kTexture: loader.texture(file); break;
      case SourceKind::kSprite: loader.sprite(file); break;
      case SourceKind::kSound: loader.sound(file); break;
    }
  };
  for (const ManifestStage& stage : manifest.stages) ForEachSourceFile(stage, load);
  for (const ManifestSet& set : manifest.sets) ForEachSourceFile(set, load);
  for (const ManifestGroup& cast : manifest.casts) ForEachSourceFile(cast, load);
  for (const ManifestGroup& shop : manifest.shops) ForEachSourceFile(shop, load);
  for (const ManifestTrack& track : manifest.tracks) ForEachSourceFile(track, load);
  return loader.take();
}

}  // namespace lw::authoring
