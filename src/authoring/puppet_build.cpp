#include "authoring/puppet_build.h"

#include <algorithm>
#include <map>
#include <utility>

#include "authoring/puppet_lip_sync.h"
#include "authoring/record_plan.h"
#include "authoring/sound_encoder.h"
#include "authoring/sprite_encoder.h"
#include "objects/puppet_file.h"

namespace lw::authoring {
namespace {

// The value the encoder aims the running value at for full scale: targets are 64 + 64 v.
constexpr float kTargetScale = 64.0F;

// The rectangle a picture of `width` x `height` covers with its hot spot at `at`, clipped to the
// puppet picture.
Rect Covered(Point at, Point hot, int width, int height) {
  const int top = std::clamp(at.v - hot.v, 0, int{kPuppetPictureHeight});
  const int left = std::clamp(at.h - hot.h, 0, int{kPuppetPictureWidth});
  const int bottom = std::clamp(at.v - hot.v + height, 0, int{kPuppetPictureHeight});
  const int right = std::clamp(at.h - hot.h + width, 0, int{kPuppetPictureWidth});
  if (bottom <= top || right <= left) return Rect{};
  return Rect{Coord16(top), Coord16(left), Coord16(bottom), Coord16(right)};
}

PuppetPose PoseOf(const ManifestPuppetFile& puppets, const PuppetSources& sources) {
  PuppetPose pose;
  for (const ManifestPlacement& place : puppets.rest)
    pose.rest[place.layer] = {static_cast<std::int16_t>(place.image), place.at};
  if (!puppets.mouth) return pose;
  const ManifestMouth& mouth = *puppets.mouth;
  MouthShapes shapes{mouth.layer, mouth.at, {}, {}};
  for (const std::size_t image : mouth.images) {
    const ManifestLayerImage& entry = puppets.layers[mouth.layer][image];
    const IndexedImage& picture = sources.files.sprites.at(entry.png.path);
    shapes.images.push_back(static_cast<std::int16_t>(image));
    shapes.covers.push_back(Covered(mouth.at, entry.hot, picture.width, picture.height));
  }
  pose.mouth = std::move(shapes);
  return pose;
}

// The puppet's palette: its own, the title's, or black.
ColourTable PaletteOf(const ManifestPuppetFile& puppets, const PuppetSources& sources,
                      std::span<const std::uint8_t> titlePalette) {
  if (puppets.palette.named()) return sources.palettes.at(puppets.palette.path);
  if (auto table = DecodeColourTable16(titlePalette)) return *table;
  return ColourTable{};
}

class PuppetRecords {
 public:
  PuppetRecords(const ManifestPuppetFile& puppets, const PuppetSources& sources)
      : puppets_(puppets),
        sources_(sources),
        plan_(sources.files),
        pose_(PoseOf(puppets, sources)) {}

  Expected<Records, std::string> build(std::span<const std::uint8_t> titlePalette) {
    const std::uint32_t playerLinesId = plan_.add({});
    const std::uint32_t listId = plan_.add({});
    const std::uint32_t layersId = plan_.add({});
    std::vector<PuppetEntry> list;
    for (const ManifestPuppet& puppet : puppets_.puppets)
      list.push_back({plan_.script(puppet.script), puppet.name});
    PuppetLayers layers;
    for (std::size_t k = 0; k < puppets_.layers.size(); ++k) {
      for (const ManifestLayerImage& image : puppets_.layers[k]) {
        auto id = sprite(image.png, image.hot, image.transparent);
        if (!id) return Unexpected{id.error()};
        layers[k].push_back(*id);
      }
    }
    PuppetHeader header;
    header.hasPlayerLines = !puppets_.playerLines.empty();
    header.colours = PaletteOf(puppets_, sources_, titlePalette);
    header.name = puppets_.name;
    if (puppets_.band.named()) {
      auto id = sprite(puppets_.band, Point{}, std::nullopt);
      if (!id) return Unexpected{id.error()};
      header.bandId = *id;
    }
    const std::size_t firstIdle = puppets_.lines.size() - puppets_.idleLines;
    for (std::size_t i = 0; i < puppets_.lines.size(); ++i) {
      const ManifestPuppetLine& manifest = puppets_.lines[i];
      auto line = this->line(manifest);
      if (!line) return Unexpected{line.error()};
      header.lines.push_back(*line);
      if (i >= firstIdle) {
        header.shortest[i - firstIdle] = manifest.shortest;
        header.longest[i - firstIdle] = manifest.longest;
      }
    }
    std::vector<PlayerLine> playerLines;
    for (const ManifestPuppetLine& line : puppets_.playerLines) {
      auto id = sound(line.sound);
      if (!id) return Unexpected{id.error()};
      playerLines.push_back({*id, line.text, line.sound.name});
    }
    Records records = plan_.take(WritePuppetHeader(header));
    records[playerLinesId] = WritePlayerLines(playerLines);
    records[listId] = WritePuppetList(list);
    records[layersId] = WritePuppetLayers(layers);
    return records;
  }

 private:
  Expected<std::uint32_t, std::string> sprite(const SourceFile& png, Point hot,
                                              std::optional<std::uint8_t> transparent) {
    const IndexedImage& picture = sources_.files.sprites.at(png.path);
    auto encoded = EncodeSprite({picture.width, picture.height, picture.pixels, hot, transparent});
    if (!encoded) return Unexpected{png.where + ": " + encoded.error()};
    return plan_.add(std::move(encoded).value());
  }

  Expected<std::uint32_t, std::string> sound(const ManifestSound& sound) {
    const std::pair<std::filesystem::path, std::uint32_t> key{sound.audio.path, sound.rate};
    if (const auto known = sounds_.find(key); known != sounds_.end()) return known->second;
    auto record = EncodeSound(sources_.files.sounds.at(sound.audio.path), sound.rate);
    if (!record) return Unexpected{sound.audio.where + ": " + record.error()};
    const std::uint32_t id = plan_.add(std::move(record).value());
    sounds_.emplace(key, id);
    return id;
  }

  Expected<PuppetLine, std::string> line(const ManifestPuppetLine& manifest) {
    auto soundId = sound(manifest.sound);
    if (!soundId) return Unexpected{soundId.error()};
    auto targets = SoundTargets(sources_.files.sounds.at(manifest.sound.audio.path), kLipSyncRate);
    if (!targets) return Unexpected{manifest.sound.audio.where + ": " + targets.error()};
    for (float& value : *targets) value = (value - kSilenceValue) / kTargetScale;
    auto bands = LoudnessBands(*targets, pose_.mouth ? pose_.mouth->images.size() : 1);
    if (!bands) return Unexpected{manifest.sound.audio.where + ": " + bands.error()};
    const std::vector<LipSyncFrame> frames = MakeLipSyncFrames(*bands, pose_);
    const std::uint32_t framesId = plan_.add(WriteLipSyncFrames(frames));
    return PuppetLine{static_cast<std::int16_t>(frames.size()), *soundId, framesId, manifest.text,
                      manifest.sound.name};
  }

  const ManifestPuppetFile& puppets_;
  const PuppetSources& sources_;
  RecordPlan plan_;
  PuppetPose pose_;
  std::map<std::pair<std::filesystem::path, std::uint32_t>, std::uint32_t> sounds_;
};

}  // namespace

Expected<Records, std::string> BuildPuppetRecords(const ManifestPuppetFile& puppets,
                                                  const PuppetSources& sources,
                                                  std::span<const std::uint8_t> titlePalette) {
  auto records = PuppetRecords(puppets, sources).build(titlePalette);
  if (!records) return Unexpected{puppets.file + ": " + records.error()};
  return records;
}

}  // namespace lw::authoring
