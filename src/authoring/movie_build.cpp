#include "authoring/movie_build.h"

#include <algorithm>
#include <array>
#include <map>
#include <optional>
#include <utility>

#include "authoring/frame_encoder.h"
#include "authoring/sound_records.h"

namespace lw::authoring {
namespace {

// The movie rectangle of a segment whose pictures are read.
Rect MovieRect(const ManifestSegment& segment, const MovieSources& sources) {
  if (segment.rect) return *segment.rect;
  const IndexedImage& first = sources.pictures.at(segment.frames.front().png.path);
  return MakeRect(0, 0, first.height, first.width);
}

Rect PictureRect(const ManifestMovieFrame& frame, const Rect& movie, const IndexedImage& picture) {
  const Point at = frame.at.value_or(Point{.v = movie.top, .h = movie.left});
  return MakeRect(at.v, at.h, picture.height, picture.width);
}

std::string RectText(const std::array<int, 4>& sides) {
  return "[" + std::to_string(sides[0]) + ", " + std::to_string(sides[1]) + ", " +
         std::to_string(sides[2]) + ", " + std::to_string(sides[3]) + "]";
}

std::string RectText(const Rect& r) {
  return RectText(std::array<int, 4>{r.top, r.left, r.bottom, r.right});
}

// The frames that a player may enter with the buffer as the frame before left it.
std::vector<bool> EnteredFromPrevious(const ManifestSegment& segment) {
  const std::size_t count = segment.frames.size();
  std::vector<bool> fromPrevious(count, false);
  std::vector<bool> fromElsewhere(count, false);
  const auto lead = [&](std::size_t from, const ManifestMovieAction& action) {
    const auto to = static_cast<std::size_t>(action.frame);
    if (action.kind == MovieAction::kGoTo)
      (to == from + 1 ? fromPrevious : fromElsewhere)[to] = true;
    if (action.kind == MovieAction::kCall) fromElsewhere[to] = true;  // after the called movie
  };
  for (std::size_t f = 0; f < count; ++f) {
    const ManifestMovieFrame& frame = segment.frames[f];
    if (!frame.end && f + 1 < count) fromPrevious[f + 1] = true;
    if (frame.end) lead(f, *frame.end);
    for (const ManifestHotSpot& spot : frame.hotSpots) lead(f, spot.action);
  }
  std::vector<bool> entered(count, false);
  for (std::size_t f = 1; f < count; ++f) {
    entered[f] =
        fromPrevious[f] && !fromElsewhere[f] && (segment.frames[f].flags & kFrameLandable) == 0;
  }
  return entered;
}

// The movie's frame buffer as the builder follows it: the pixels drawn so far, and which of them
// are known to be there.
class FrameBuffer {
 public:
  explicit FrameBuffer(const Rect& movie)
      : movie_(movie),
        pixels_(static_cast<std::size_t>(movie.width() * movie.height())),
        known_(pixels_.size(), false) {}

  void forget() { std::fill(known_.begin(), known_.end(), false); }

  // The pixels under `rect`, when every one is known.
  std::optional<std::vector<std::uint8_t>> known(const Rect& rect) const {
    std::vector<std::uint8_t> area;
    for (int r = rect.top; r < rect.bottom; ++r) {
      for (int c = rect.left; c < rect.right; ++c) {
        if (!known_[index(r, c)]) return std::nullopt;
        area.push_back(pixels_[index(r, c)]);
      }
    }
    return area;
  }

  void draw(const Rect& rect, const std::vector<std::uint8_t>& picture) {
    std::size_t i = 0;
    for (int r = rect.top; r < rect.bottom; ++r) {
      for (int c = rect.left; c < rect.right; ++c) {
        pixels_[index(r, c)] = picture[i++];
        known_[index(r, c)] = true;
      }
    }
  }

 private:
  [[nodiscard]] std::size_t index(int row, int column) const {
    return static_cast<std::size_t>((row - movie_.top) * movie_.width() + column - movie_.left);
  }

  Rect movie_;
  std::vector<std::uint8_t> pixels_;
  std::vector<bool> known_;
};

// The smaller of the key frame and, when `previous` is known, the difference frame.
Expected<std::vector<std::uint8_t>, std::string> EncodePicture(
    const IndexedImage& image, const std::optional<std::vector<std::uint8_t>>& previous) {
  const FramePixels picture{image.width, image.height, image.pixels};
  auto key = EncodeFrame(picture);
  if (!key || !previous) return key;
  const FramePixels before{image.width, image.height, *previous};
  auto difference = EncodeFrame(picture, &before);
  if (difference && difference->size() < key->size()) return difference;
  return key;
}

MovieFrame Descriptor(const ManifestMovieFrame& frame, std::size_t number, std::size_t count) {
  MovieFrame out;
  out.duration = frame.duration;
  out.transitionKind = frame.transition;
  out.transitionParameter = frame.parameter;
  out.flags = frame.flags;
  out.sound = frame.sound;
  ManifestMovieAction end{MovieAction::kStop, 0, {}};
  if (frame.end) {
    end = *frame.end;
  } else if (number + 1 < count) {
    end = {MovieAction::kGoTo, static_cast<std::int16_t>(number + 1), {}};
  }
  out.endAction = static_cast<std::int16_t>(end.kind);
  out.endArgument = end.frame;
  out.movie = end.movie;
  for (const ManifestHotSpot& spot : frame.hotSpots) {
    const auto kind = static_cast<std::int16_t>(spot.action.kind);
    out.hotSpots.push_back({static_cast<std::int16_t>(spot.onRelease ? -kind : kind), spot.rect,
                            spot.action.frame, spot.action.movie});
  }
  return out;
}

// Appends a segment's records at base records.size(); its header is completed by the caller.
std::optional<std::string> AddSegment(const ManifestSegment& segment, const MovieSources& sources,
                                      SoundRecords& sounds, MovieHeader& header, Records& records) {
  const std::size_t base = records.size();
  records.emplace_back();  // the header, written once the segment is complete
  header.soundCount = static_cast<std::uint16_t>(segment.sounds.size());
  header.themeCount = static_cast<std::uint16_t>(segment.themeParts.size());
  header.rect = MovieRect(segment, sources);
  header.shortestDuration = segment.shortest;
  header.origin = segment.origin;
  header.statusFrame1 = segment.statusFrame1;
  header.statusFrame2 = segment.statusFrame2;
  header.quitWhileWaiting = segment.quitWhileWaiting;
  header.playlist = segment.playlist;
  header.playlistLoop = segment.playlistLoop;
  for (const auto* items : {&segment.sounds, &segment.themeParts}) {
    if (auto failure = sounds.add(*items, records)) return failure;
  }

  const std::vector<bool> entered = EnteredFromPrevious(segment);
  FrameBuffer buffer(header.rect);
  std::vector<std::uint32_t> pictures;  // each frame's picture record, 0 for none
  const std::size_t count = segment.frames.size();
  for (std::size_t f = 0; f < count; ++f) {
    const ManifestMovieFrame& frame = segment.frames[f];
    MovieFrame out = Descriptor(frame, f, count);
    if (!entered[f]) buffer.forget();
    if (frame.png.named()) {
      const IndexedImage& image = sources.pictures.at(frame.png.path);
      out.pictureRect = PictureRect(frame, header.rect, image);
      auto record = EncodePicture(image, buffer.known(out.pictureRect));
      if (!record) return frame.png.where + ": " + record.error();
      buffer.draw(out.pictureRect, image.pixels);
      out.picture = static_cast<std::uint32_t>(records.size() - base);
      records.push_back(std::move(record).value());
    }
    pictures.push_back(out.picture);
    header.frames.push_back(std::move(out));
  }
  for (std::size_t f = 0; f < count; ++f) {
    const auto& preload = segment.frames[f].preload;
    if (!preload) continue;
    std::vector<std::uint32_t> range;
    for (int p = preload->first; p <= preload->last; ++p) {
      if (pictures[static_cast<std::size_t>(p)] != 0)
        range.push_back(pictures[static_cast<std::size_t>(p)]);
    }
    header.frames[f].preloadFirst = range.empty() ? 0 : static_cast<std::int32_t>(range.front());
    header.frames[f].preloadLast = range.empty() ? -1 : static_cast<std::int32_t>(range.back());
  }
  return std::nullopt;
}

}  // namespace

std::vector<ManifestError> CheckMoviePictures(const ManifestMovie& movie,
                                              const MovieSources& sources) {
  std::vector<ManifestError> errors;
  for (const ManifestSegment& segment : movie.segments) {
    if (!segment.rect && !segment.frames.front().png.named()) {
      errors.push_back({segment.where + ".rect",
                        "missing; expected the movie rectangle, since the first frame has no "
                        "picture to take its size from"});
      continue;
    }
    const Rect movieRect = MovieRect(segment, sources);
    for (const ManifestMovieFrame& frame : segment.frames) {
      if (!frame.png.named()) continue;
      // In whole numbers: a picture far down or right would wrap a 16-bit rectangle.
      const IndexedImage& image = sources.pictures.at(frame.png.path);
      const Point at = frame.at.value_or(Point{.v = movieRect.top, .h = movieRect.left});
      const std::array<int, 4> picture = {at.v, at.h, at.v + image.height, at.h + image.width};
      if (picture[0] < movieRect.top || picture[1] < movieRect.left ||
          picture[2] > movieRect.bottom || picture[3] > movieRect.right) {
        errors.push_back({frame.png.where, "expected a picture inside the movie rectangle " +
                                               RectText(movieRect) + ", not at " +
                                               RectText(picture)});
      }
    }
  }
  return errors;
}

Expected<Records, std::string> BuildMovieRecords(const ManifestMovie& movie,
                                                 const MovieSources& sources,
                                                 std::span<const std::uint8_t> titlePalette) {
  std::array<Rgb16, kPaletteEntries> palette{};
  if (movie.palette.named()) {
    palette = sources.palettes.at(movie.palette.path).entries;
  } else if (auto table = DecodeColourTable16(titlePalette)) {
    palette = table->entries;
  }
  Records records;
  SoundRecords sounds(sources.sounds);
  std::vector<MovieHeader> headers;
  std::vector<std::size_t> bases;
  for (const ManifestSegment& segment : movie.segments) {
    bases.push_back(records.size());
    headers.emplace_back().palette = palette;
    if (auto failure = AddSegment(segment, sources, sounds, headers.back(), records))
      return Unexpected{movie.file + ": " + *failure};
  }
  for (std::size_t s = 0; s < headers.size(); ++s) {
    if (s + 1 < headers.size()) headers[s].nextSegment = static_cast<std::uint32_t>(bases[s + 1]);
    records[bases[s]] = WriteMovieHeader(headers[s]);
  }
  return records;
}

}  // namespace lw::authoring
