#include "authoring/movie_sources.h"

#include <optional>
#include <string_view>

#include "authoring/source_file.h"

namespace lw::authoring {
namespace {

constexpr std::uint32_t kMaxWidth = 640;
constexpr std::uint32_t kMaxHeight = 480;

std::string ColourTypeName(std::uint8_t type) {
  switch (type) {
    case 0: return "grey";
    case 2: return "true-colour";
    case 4: return "grey and alpha";
    case 6: return "true-colour and alpha";
    default: return "colour type " + std::to_string(type);
  }
}

// What is wrong with a frame picture's PNG header, if anything.
std::optional<std::string> FramePngProblem(std::string_view bytes) {
  const std::optional<PngHeader> header = ReadPngHeader(bytes);
  if (!header) return "expected a PNG file";
  const std::uint32_t width = header->width;
  const std::uint32_t height = header->height;
  const std::uint8_t type = header->colourType;
  if (type != kIndexedColourType) {
    return "expected an indexed PNG of 1..640 x 1..480, not a " + ColourTypeName(type) + " PNG";
  }
  if (width < 1 || width > kMaxWidth || height < 1 || height > kMaxHeight) {
    return "expected an indexed PNG of 1..640 x 1..480, not " + std::to_string(width) + " x " +
           std::to_string(height);
  }
  return std::nullopt;
}

class MovieLoader {
 public:
  void picture(const SourceFile& file) {
    if (!file.named() || !reading_.firstTime(Use::kPicture, file)) return;
    const auto bytes = reading_.read(file);
    if (!bytes) return;
    if (auto problem = FramePngProblem(*bytes)) return reading_.fail(file, *problem);
    auto image = ReadPng(file.path.string());
    if (!image) return reading_.fail(file, image.error());
    sources_.pictures.emplace(file.path, std::move(image).value());
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
    auto table = ReadPaletteSource(file.path, *bytes);
    if (!table) return reading_.fail(file, table.error());
    sources_.palettes.emplace(file.path, *table);
  }

  Expected<MovieSources, std::vector<ManifestError>> take() {
    if (!reading_.errors().empty()) return Unexpected{std::move(reading_.errors())};
    return std::move(sources_);
  }

 private:
  // What a file is read as: one file may serve as a frame picture and as the palette.
  enum class Use : std::uint8_t { kPicture, kSound, kPalette };

  MovieSources sources_;
  SourceReading<Use> reading_{sources_.fileHashes};
};

}  // namespace

Expected<MovieSources, std::vector<ManifestError>> LoadMovieSources(
    const std::vector<ManifestMovie>& movies) {
  MovieLoader loader;
  for (const ManifestMovie& movie : movies) {
    loader.palette(movie.palette);
    for (const ManifestSegment& segment : movie.segments) {
      for (const ManifestSound& sound : segment.sounds) loader.sound(sound.audio);
      for (const ManifestSound& part : segment.themeParts) loader.sound(part.audio);
      for (const ManifestMovieFrame& frame : segment.frames) loader.picture(frame.png);
    }
  }
  return loader.take();
}

}  // namespace lw::authoring
