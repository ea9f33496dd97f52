#include "authoring/movie_manifest.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <optional>

#include "authoring/movie_words.h"
#include "authoring/sound_manifest.h"
#include "common/mac_roman.h"

namespace lw::authoring::manifest {
namespace {

constexpr int kMinCoord = std::numeric_limits<std::int16_t>::min();
constexpr int kMaxCoord = std::numeric_limits<std::int16_t>::max();
constexpr int kMaxTicks = std::numeric_limits<std::int32_t>::max();
constexpr int kMaxParameter = std::numeric_limits<std::uint16_t>::max();
constexpr std::size_t kMaxFrames = std::numeric_limits<std::int16_t>::max();
// The frame buffer is at most the screen.
constexpr int kMaxMovieWidth = 640;
constexpr int kMaxMovieHeight = 480;
constexpr std::size_t kLongestMovieName = kMovieNameBytes - 1;

constexpr std::array<std::string_view, 3> kMovieKeys = {"file", "palette", "segments"};
constexpr std::array<std::string_view, 10> kSegmentKeys = {
    "rect",   "origin", "shortest", "quit",          "status_frames",
    "sounds", "theme",  "playlist", "playlist_loop", "frames"};
constexpr std::array<std::string_view, 10> kFrameKeys = {
    "png",   "at",    "duration", "transition", "parameter",
    "flags", "sound", "end",      "hotspots",   "preload"};
constexpr std::array<std::string_view, 3> kHotSpotKeys = {"rect", "action", "on_release"};

// clang-format off
constexpr Field kMoviesField     = {"movies",        "an array of movies"};
constexpr Field kSegmentsField   = {"segments",      "an array of at least one segment", true};
constexpr Field kMovieRectField  = {"rect",          "[top, left, bottom, right]: four whole "
                                                     "numbers -32768..32767 with top < bottom, "
                                                     "left < right, at most 640 x 480"};
constexpr Field kOriginField     = {"origin",        "[x, y]: two whole numbers -32768..32767"};
constexpr Field kShortestField   = {"shortest",      "a whole number of ticks 0..2147483647"};
constexpr Field kQuitField       = {"quit",          "true or false"};
constexpr Field kStatusField     = {"status_frames", "[a, b]: two frame numbers of the segment"};
constexpr Field kSoundsField     = {"sounds",        "an array of at most 32767 sounds"};
constexpr Field kThemeField      = {"theme",         "an array of at most 32767 theme parts"};
constexpr Field kPlaylistField   = {"playlist",      "an array of at most 64 theme part numbers "
                                                     "1..T, T the segment's theme parts"};
constexpr Field kLoopField       = {"playlist_loop", "a playlist position 0..P-1, P the "
                                                     "playlist's length"};
constexpr Field kFramesField     = {"frames",        "an array of 1 to 32767 frames", true};
constexpr Field kPngField        = {"png",           "a PNG file name (text)"};
constexpr Field kAtField         = {"at",            "[top, left]: two whole numbers "
                                                     "-32768..32767"};
constexpr Field kDurationField   = {"duration",      "a whole number of ticks 0..2147483647"};
constexpr Field kTransitionField = {"transition",    "a transition kind 0..18 or its name, such "
                                                     "as \"plain\""};
constexpr Field kParameterField  = {"parameter",     "a whole number 0..65535"};
constexpr Field kFlagsField      = {"flags",         "an array of \"timed\", \"landable\", "
                                                     "\"wait_sound\", \"preload_after\" or "
                                                     "\"clicks_only\""};
constexpr Field kSoundField      = {"sound",         "the name of one of the segment's sounds"};
constexpr Field kEndField        = {"end",           "\"stop\", \"return\", {\"goto\": FRAME}, "
                                                     "{\"play\": MOVIE} or {\"call\": MOVIE, "
                                                     "\"return\": FRAME}"};
constexpr Field kActionField     = {"action",        "\"stop\", \"return\", {\"goto\": FRAME}, "
                                                     "{\"play\": MOVIE} or {\"call\": MOVIE, "
                                                     "\"return\": FRAME}", true};
constexpr Field kHotSpotsField   = {"hotspots",      "an array of hot spots"};
constexpr Field kSpotRectField   = {"rect",          "[top, left, bottom, right]: four whole "
                                                     "numbers -32768..32767 with top < bottom "
                                                     "and left < right", true};
constexpr Field kReleaseField    = {"on_release",    "true or false"};
constexpr Field kPreloadField    = {"preload",       "[first, last]: two frame numbers of the "
                                                     "segment, first <= last"};
// clang-format on

// What a segment's frames are checked against.
struct SegmentNames {
  std::vector<std::string> sounds;  // folded
  int frameCount = 0;
};

// `count` whole numbers within low..high in an array; nothing when `value` is not that.
std::optional<std::vector<int>> Numbers(const Json& value, std::size_t count, int low, int high) {
  if (!value.is_array() || value.size() != count) return std::nullopt;
  std::vector<int> numbers;
  for (const Json& item : value) {
    const auto number = WholeNumber(item, low, high);
    if (!number) return std::nullopt;
    numbers.push_back(*number);
  }
  return numbers;
}

// The member `field` as `count` numbers low..high; nothing when missing or refused.
std::optional<std::vector<int>> ReadNumbers(const Json& object, const Field& field,
                                            std::size_t count, int low, int high,
                                            const std::string& where, Reading& reading) {
  const Json* value = Member(object, field, where, reading);
  if (value == nullptr) return std::nullopt;
  auto numbers = Numbers(*value, count, low, high);
  if (!numbers) Refuse(where, field, reading);
  return numbers;
}

std::optional<bool> ReadBool(const Json& object, const Field& field, const std::string& where,
                             Reading& reading) {
  const Json* value = Member(object, field, where, reading);
  if (value == nullptr) return std::nullopt;
  if (!value->is_boolean()) {
    Refuse(where, field, reading);
    return std::nullopt;
  }
  return value->get<bool>();
}

// A rectangle [top, left, bottom, right] with top < bottom and left < right.
std::optional<Rect> ReadRectangle(const Json& object, const Field& field, const std::string& where,
                                  Reading& reading) {
  const auto sides = ReadNumbers(object, field, 4, kMinCoord, kMaxCoord, where, reading);
  if (!sides) return std::nullopt;
  const Rect rect{Coord16((*sides)[0]), Coord16((*sides)[1]), Coord16((*sides)[2]),
                  Coord16((*sides)[3])};
  if (rect.top >= rect.bottom || rect.left >= rect.right) {
    Refuse(where, field, reading);
    return std::nullopt;
  }
  return rect;
}

// A movie name: 1 to 31 Mac Roman characters.
std::optional<std::string> MovieName(const Json& value, const std::string& where,
                                     Reading& reading) {
  if (!value.is_string()) {
    reading.fail(where, "expected a movie name of 1 to 31 characters (text)");
    return std::nullopt;
  }
  std::string_view utf8 = value.get_ref<const std::string&>();
  std::string name;
  while (!utf8.empty()) {
    const auto character = TakeMacRomanCharacter(utf8);
    if (!character) {
      reading.fail(where, "expected a name in Mac Roman characters: " + character.error());
      return std::nullopt;
    }
    name += static_cast<char>(character->byte);
    utf8.remove_prefix(character->length);
  }
  if (name.empty() || name.size() > kLongestMovieName) {
    reading.fail(where,
                 "expected a movie name of 1 to 31 characters, not " + std::to_string(name.size()));
    return std::nullopt;
  }
  return name;
}

// A frame number of the segment.
std::optional<std::int16_t> FrameNumber(const Json& value, const SegmentNames& segment,
                                        const std::string& where, Reading& reading) {
  const auto frame = WholeNumber(value, 0, segment.frameCount - 1);
  if (!frame) {
    reading.fail(where,
                 "expected a frame of the segment, 0.." + std::to_string(segment.frameCount - 1));
    return std::nullopt;
  }
  return static_cast<std::int16_t>(*frame);
}

// An end action or a hot spot's action, the member `field`.
std::optional<ManifestMovieAction> ReadAction(const Json& object, const Field& field,
                                              const SegmentNames& segment, const std::string& where,
                                              Reading& reading) {
  const Json* value = Member(object, field, where, reading);
  if (value == nullptr) return std::nullopt;
  const std::string path = PathOf(where, field);
  ManifestMovieAction action;
  if (value->is_string() && (*value == "stop" || *value == "return")) {
    action.kind = *value == "stop" ? MovieAction::kStop : MovieAction::kReturn;
    return action;
  }
  const auto has = [&](const char* key) { return value->is_object() && value->contains(key); };
  const std::size_t members = value->is_object() ? value->size() : 0;
  if (has("goto") && members == 1) {
    const auto frame = FrameNumber((*value)["goto"], segment, path + ".goto", reading);
    if (!frame) return std::nullopt;
    return ManifestMovieAction{MovieAction::kGoTo, *frame, {}};
  }
  if (has("play") && members == 1) {
    auto name = MovieName((*value)["play"], path + ".play", reading);
    if (!name) return std::nullopt;
    return ManifestMovieAction{MovieAction::kPlay, 0, std::move(*name)};
  }
  if (has("call") && has("return") && members == 2) {
    auto name = MovieName((*value)["call"], path + ".call", reading);
    const auto frame = FrameNumber((*value)["return"], segment, path + ".return", reading);
    if (!name || !frame) return std::nullopt;
    return ManifestMovieAction{MovieAction::kCall, *frame, std::move(*name)};
  }
  Refuse(where, field, reading);
  return std::nullopt;
}

std::vector<ManifestHotSpot> ReadHotSpots(const Json& frame, const SegmentNames& segment,
                                          const std::string& where, Reading& reading) {
  std::vector<ManifestHotSpot> spots;
  const Json* array = ReadArray(frame, kHotSpotsField, where, reading);
  if (array == nullptr) return spots;
  for (std::size_t i = 0; i < array->size(); ++i) {
    const std::string path = PathOf(where, kHotSpotsField) + "[" + std::to_string(i) + "]";
    const Json& value = (*array)[i];
    if (!CheckObject(value, path, "a hot spot", kHotSpotKeys, reading)) continue;
    ManifestHotSpot spot;
    spot.rect = ReadRectangle(value, kSpotRectField, path, reading).value_or(Rect{});
    spot.onRelease = ReadBool(value, kReleaseField, path, reading).value_or(false);
    spot.action = ReadAction(value, kActionField, segment, path, reading).value_or(spot.action);
    spots.push_back(std::move(spot));
  }
  return spots;
}

std::optional<std::uint16_t> ReadTransition(const Json& frame, const std::string& where,
                                            Reading& reading) {
  const Json* value = Member(frame, kTransitionField, where, reading);
  if (value == nullptr) return std::nullopt;
  if (value->is_string()) {
    for (std::size_t k = 0; k < kTransitionNames.size(); ++k) {
      if (*value == kTransitionNames[k]) return static_cast<std::uint16_t>(k);
    }
  } else if (const auto kind = WholeNumber(*value, 0, kTransitionKinds - 1)) {
    return static_cast<std::uint16_t>(*kind);
  }
  Refuse(where, kTransitionField, reading);
  return std::nullopt;
}

std::uint16_t ReadFlags(const Json& frame, const std::string& where, Reading& reading) {
  const Json* array = ReadArray(frame, kFlagsField, where, reading);
  std::uint16_t flags = 0;
  if (array == nullptr) return flags;
  for (const Json& item : *array) {
    const auto* found =
        std::find_if(kMovieFlagNames.begin(), kMovieFlagNames.end(),
                     [&](const MovieFlagName& f) { return item.is_string() && item == f.name; });
    if (found == kMovieFlagNames.end()) {
      Refuse(where, kFlagsField, reading);
      return 0;
    }
    flags |= found->flag;
  }
  return flags;
}

std::int32_t ReadFrameSound(const Json& frame, const SegmentNames& segment,
                            const std::string& where, Reading& reading) {
  const Json* value = Member(frame, kSoundField, where, reading);
  if (value == nullptr) return 0;
  if (value->is_string()) {
    std::string folded = value->get<std::string>();
    for (char& c : folded) {
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    const auto found = std::find(segment.sounds.begin(), segment.sounds.end(), folded);
    if (found != segment.sounds.end())
      return static_cast<std::int32_t>(found - segment.sounds.begin()) + 1;
  }
  Refuse(where, kSoundField, reading);
  return 0;
}

ManifestMovieFrame ReadFrame(const Json& value, const SegmentNames& segment,
                             const std::string& where, Reading& reading) {
  ManifestMovieFrame frame;
  frame.where = where;
  if (!CheckObject(value, where, "a frame", kFrameKeys, reading)) return frame;
  frame.png = ReadFileName(value, kPngField, where, reading);
  if (const auto at = ReadNumbers(value, kAtField, 2, kMinCoord, kMaxCoord, where, reading))
    frame.at = Point{.v = Coord16((*at)[0]), .h = Coord16((*at)[1])};
  frame.duration = ReadInteger(value, kDurationField, 0, kMaxTicks, where, reading).value_or(0);
  frame.transition = ReadTransition(value, where, reading).value_or(frame.transition);
  frame.parameter = static_cast<std::uint16_t>(
      ReadInteger(value, kParameterField, 0, kMaxParameter, where, reading).value_or(0));
  frame.flags = ReadFlags(value, where, reading);
  frame.sound = ReadFrameSound(value, segment, where, reading);
  frame.end = ReadAction(value, kEndField, segment, where, reading);
  frame.hotSpots = ReadHotSpots(value, segment, where, reading);
  if (const auto range =
          ReadNumbers(value, kPreloadField, 2, 0, segment.frameCount - 1, where, reading)) {
    if ((*range)[0] <= (*range)[1]) {
      frame.preload = ManifestPreload{static_cast<std::int16_t>((*range)[0]),
                                      static_cast<std::int16_t>((*range)[1])};
      frame.flags |= kFramePreloads;
    } else {
      Refuse(where, kPreloadField, reading);
    }
  }
  return frame;
}

void ReadPlaylist(const Json& value, ManifestSegment& segment, const std::string& where,
                  Reading& reading) {
  const Json* entries = ReadArray(value, kPlaylistField, where, reading);
  if (entries != nullptr) {
    const int parts = static_cast<int>(segment.themeParts.size());
    for (const Json& entry : *entries) {
      const auto part = WholeNumber(entry, 1, parts);
      if (!part || entries->size() > kMaxMoviePlaylist) {
        Refuse(where, kPlaylistField, reading);
        segment.playlist.clear();
        break;
      }
      segment.playlist.push_back(static_cast<std::uint16_t>(*part));
    }
  }
  if (Member(value, kLoopField, where, reading) == nullptr) return;
  const int last = std::max<int>(0, static_cast<int>(segment.playlist.size()) - 1);
  segment.playlistLoop = static_cast<std::uint32_t>(
      ReadInteger(value, kLoopField, 0, last, where, reading).value_or(0));
}

ManifestSegment ReadSegment(const Json& value, const std::string& where, Reading& reading) {
  ManifestSegment segment;
  segment.where = where;
  if (!CheckObject(value, where, "a segment", kSegmentKeys, reading)) return segment;
  segment.rect = ReadRectangle(value, kMovieRectField, where, reading);
  if (segment.rect &&
      (segment.rect->width() > kMaxMovieWidth || segment.rect->height() > kMaxMovieHeight)) {
    Refuse(where, kMovieRectField, reading);
    segment.rect.reset();
  }
  if (const auto origin = ReadNumbers(value, kOriginField, 2, kMinCoord, kMaxCoord, where, reading))
    segment.origin = Point{.v = Coord16((*origin)[1]), .h = Coord16((*origin)[0])};
  segment.shortest = ReadInteger(value, kShortestField, 0, kMaxTicks, where, reading).value_or(0);
  segment.quitWhileWaiting = ReadBool(value, kQuitField, where, reading).value_or(false);

  SegmentNames names;
  std::vector<std::string> themeNames;
  segment.sounds =
      ReadSounds(value, kSoundsField, "sound", "a sound", where, names.sounds, reading);
  segment.themeParts =
      ReadSounds(value, kThemeField, "theme part", "a theme part", where, themeNames, reading);
  ReadPlaylist(value, segment, where, reading);

  const Json* frames = ReadArray(value, kFramesField, where, reading);
  if (frames == nullptr) return segment;
  if (frames->empty() || frames->size() > kMaxFrames) {
    Refuse(where, kFramesField, reading);
    return segment;
  }
  names.frameCount = static_cast<int>(frames->size());
  if (const auto status =
          ReadNumbers(value, kStatusField, 2, 0, names.frameCount - 1, where, reading)) {
    segment.statusFrame1 = static_cast<std::uint16_t>((*status)[0]);
    segment.statusFrame2 = static_cast<std::uint16_t>((*status)[1]);
  }
  for (std::size_t i = 0; i < frames->size(); ++i) {
    const std::string path = PathOf(where, kFramesField) + "[" + std::to_string(i) + "]";
    segment.frames.push_back(ReadFrame((*frames)[i], names, path, reading));
  }
  return segment;
}

ManifestMovie ReadMovie(const Json& value, const std::string& where, Reading& reading) {
  ManifestMovie movie;
  if (!CheckObject(value, where, "a movie", kMovieKeys, reading)) return movie;
  movie.file = ReadOutputFileName(value, where, reading);
  movie.palette = ReadFileName(value, kPaletteField, where, reading);
  const Json* segments = ReadArray(value, kSegmentsField, where, reading);
  if (segments == nullptr) return movie;
  if (segments->empty()) Refuse(where, kSegmentsField, reading);
  for (std::size_t i = 0; i < segments->size(); ++i) {
    const std::string path = PathOf(where, kSegmentsField) + "[" + std::to_string(i) + "]";
    movie.segments.push_back(ReadSegment((*segments)[i], path, reading));
  }
  return movie;
}

}  // namespace

void ReadMovies(const Json& root, std::vector<ManifestMovie>& movies,
                std::vector<std::string>& files, Reading& reading) {
  const Json* array = ReadArray(root, kMoviesField, "$", reading);
  if (array == nullptr) return;
  for (std::size_t i = 0; i < array->size(); ++i) {
    const std::string path = "$.movies[" + std::to_string(i) + "]";
    movies.push_back(ReadMovie((*array)[i], path, reading));
    CheckOutput(movies.back().file, path, files, reading);
  }
}

}  // namespace lw::authoring::manifest
