#include "authoring/cast_manifest.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>

#include "objects/cast_file.h"

namespace lw::authoring::manifest {
namespace {

// The words of a group kind: its array, its figures' array, their poses' array, what the errors
// call one of each, and with its article.
struct GroupWords {
  std::string_view groups, figures, poses;
  std::string_view figure, pose;
  std::string_view aGroup, aFigure, aPose;
};
constexpr GroupWords kCastWords = {"casts", "actors", "poses",    "actor",
                                   "pose",  "a cast", "an actor", "a pose"};
constexpr GroupWords kShopWords = {"shops", "props",  "views",  "prop",
                                   "view",  "a shop", "a prop", "a view"};

constexpr std::size_t kHotSpotAxes = 2;
constexpr int kMaxView = 65534;  // frames store 1 + the view in 16 bits
constexpr int kMaxAngle = 255;
constexpr int kMaxSizeFactor = 32767;
constexpr int kDefaultSizeFactor = 256;
constexpr int kMaxHotSpot = 32767;

constexpr std::array<std::string_view, 3> kPoseKeys = {"name", "frames", "images"};
constexpr std::array<std::string_view, 7> kImageKeys = {"png",         "view",     "angle", "hot",
                                                        "transparent", "mirrored", "size"};

// clang-format off
constexpr Field kSetField       = {"set",         "a name of 0 to 15 characters (text)"};
constexpr Field kStarField      = {"star",        "a name of 0 to 15 characters (text)"};
constexpr Field kFramesField    = {"frames",      "an array of 1 to 33 views, whole numbers "
                                                  "0..65534"};
constexpr Field kImagesField    = {"images",      "an array of at least one image", true};
constexpr Field kPngField       = {"png",         "a PNG file name (text)", true};
constexpr Field kViewField      = {"view",        "a whole number 0..65534"};
constexpr Field kAngleField     = {"angle",       "a whole number 0..255"};
constexpr Field kHotField       = {"hot",         "[row, column]: two whole numbers 0..32767"};
constexpr Field kTransparentField = {"transparent", "a palette index 0..255"};
constexpr Field kMirroredField  = {"mirrored",    "true or false"};
constexpr Field kSizeField      = {"size",        "a whole number 1..32767"};
// clang-format on

// A whole number member within low..high; `fallback` when missing or refused (reported).
int ReadWhole(const Json& object, const Field& field, int low, int high, int fallback,
              const std::string& where, Reading& reading) {
  return ReadInteger(object, field, low, high, where, reading).value_or(fallback);
}

// A name member that may be missing or empty: "" then.
std::string ReadOptionalName(const Json& object, const Field& field, const std::string& where,
                             Reading& reading) {
  const auto found = object.find(field.key);
  if (found == object.end() || (found->is_string() && found->get_ref<const std::string&>().empty()))
    return {};
  return ReadName(object, where, reading, field);
}

std::vector<std::uint16_t> ReadFrames(const Json& object, const std::string& where,
                                      Reading& reading) {
  const Json* frames = Member(object, kFramesField, where, reading);
  if (frames == nullptr) return {0};
  std::vector<std::uint16_t> views;
  if (!frames->is_array() || frames->empty() || frames->size() > kMaxPoseFrames) {
    Refuse(where, kFramesField, reading);
    return views;
  }
  for (const Json& frame : *frames) {
    const auto view = WholeNumber(frame, 0, kMaxView);
    if (!view) {
      Refuse(where, kFramesField, reading);
      return {};
    }
    views.push_back(static_cast<std::uint16_t>(*view));
  }
  return views;
}

std::optional<Point> ReadHotSpot(const Json& object, const std::string& where, Reading& reading) {
  const Json* hot = Member(object, kHotField, where, reading);
  if (hot == nullptr) return std::nullopt;
  std::array<std::optional<int>, kHotSpotAxes> axes;
  if (hot->is_array() && hot->size() == kHotSpotAxes) {
    for (std::size_t i = 0; i < kHotSpotAxes; ++i) axes[i] = WholeNumber((*hot)[i], 0, kMaxHotSpot);
  }
  if (!axes[0] || !axes[1]) {
    Refuse(where, kHotField, reading);
    return std::nullopt;
  }
  return PointAt(*axes[0], *axes[1]);
}

ManifestImage ReadImage(const Json& value, const std::vector<std::uint16_t>& frames,
                        const std::string& where, Reading& reading) {
  ManifestImage image;
  image.where = where;
  if (!CheckObject(value, where, "an image", kImageKeys, reading)) return image;
  image.png = ReadFileName(value, kPngField, where, reading);
  const int view = ReadWhole(value, kViewField, 0, kMaxView, 0, where, reading);
  image.view = static_cast<std::uint16_t>(view);
  if (!frames.empty() && std::find(frames.begin(), frames.end(), image.view) == frames.end()) {
    reading.fail(PathOf(where, kViewField),
                 "expected a view that one of the frames shows, not " + std::to_string(view));
  }
  image.angle =
      static_cast<std::uint16_t>(ReadWhole(value, kAngleField, 0, kMaxAngle, 0, where, reading));
  image.hot = ReadHotSpot(value, where, reading);
  image.transparent =
      static_cast<std::uint8_t>(ReadWhole(value, kTransparentField, 0, 255, 0, where, reading));
  if (const Json* mirrored = Member(value, kMirroredField, where, reading)) {
    if (mirrored->is_boolean()) {
      image.mirrored = mirrored->get<bool>();
    } else {
      Refuse(where, kMirroredField, reading);
    }
  }
  image.size = static_cast<std::int16_t>(
      ReadWhole(value, kSizeField, 1, kMaxSizeFactor, kDefaultSizeFactor, where, reading));
  return image;
}

// Reads the array `field` of `object`, each entry through `read`, refusing an empty array; names
// must differ among the entries.
template <class Entry, class ReadEntry>
std::vector<Entry> ReadNamedEntries(const Json& object, const Field& field, std::string_view what,
                                    const std::string& where, Reading& reading,
                                    ReadEntry readEntry) {
  std::vector<Entry> entries;
  const Json* array = ReadArray(object, field, where, reading);
  if (array == nullptr) return entries;
  if (array->empty()) Refuse(where, field, reading);
  std::vector<std::string> names;
  for (std::size_t i = 0; i < array->size(); ++i) {
    const std::string path = PathOf(where, field) + "[" + std::to_string(i) + "]";
    entries.push_back(readEntry((*array)[i], path));
    CheckUnique(entries.back().name, names, path, what, reading);
  }
  return entries;
}

ManifestPose ReadPose(const Json& value, const GroupWords& words, const std::string& where,
                      Reading& reading) {
  ManifestPose pose;
  if (!CheckObject(value, where, words.aPose, kPoseKeys, reading)) return pose;
  pose.name = ReadName(value, where, reading);
  pose.frames = ReadFrames(value, where, reading);
  const Json* images = ReadArray(value, kImagesField, where, reading);
  if (images == nullptr) return pose;
  if (images->empty()) Refuse(where, kImagesField, reading);
  for (std::size_t i = 0; i < images->size(); ++i) {
    const std::string path = PathOf(where, kImagesField) + "[" + std::to_string(i) + "]";
    pose.images.push_back(ReadImage((*images)[i], pose.frames, path, reading));
  }
  return pose;
}

ManifestFigure ReadFigure(const Json& value, const GroupWords& words, const std::string& where,
                          Reading& reading) {
  ManifestFigure figure;
  const std::array<std::string_view, 5> keys = {"name", "script", "set", "star", words.poses};
  if (!CheckObject(value, where, words.aFigure, keys, reading)) return figure;
  figure.name = ReadName(value, where, reading);
  figure.script = ReadFileName(value, kScriptField, where, reading);
  figure.set = ReadOptionalName(value, kSetField, where, reading);
  figure.star = ReadOptionalName(value, kStarField, where, reading);
  const std::string posesExpected = "an array of at least one " + std::string(words.pose);
  const Field posesField{words.poses, posesExpected, true};
  figure.poses = ReadNamedEntries<ManifestPose>(value, posesField, words.pose, where, reading,
                                                [&](const Json& entry, const std::string& path) {
                                                  return ReadPose(entry, words, path, reading);
                                                });
  return figure;
}

ManifestGroup ReadGroup(const Json& value, GroupKind kind, const std::string& where,
                        Reading& reading) {
  const GroupWords& words = kind == GroupKind::kCast ? kCastWords : kShopWords;
  ManifestGroup group;
  group.kind = kind;
  const std::array<std::string_view, 4> keys = {"file", "name", "script", words.figures};
  if (!CheckObject(value, where, words.aGroup, keys, reading)) return group;
  group.file = ReadOutputFileName(value, where, reading);
  group.name = ReadName(value, where, reading);
  group.script = ReadFileName(value, kScriptField, where, reading);
  const std::string figuresExpected = "an array of at least one " + std::string(words.figure);
  const Field figuresField{words.figures, figuresExpected, true};
  group.figures =
      ReadNamedEntries<ManifestFigure>(value, figuresField, words.figure, where, reading,
                                       [&](const Json& entry, const std::string& path) {
                                         return ReadFigure(entry, words, path, reading);
                                       });
  return group;
}

}  // namespace

void ReadGroups(const Json& root, GroupKind kind, std::vector<ManifestGroup>& groups,
                std::vector<std::string>& files, Reading& reading) {
  const GroupWords& words = kind == GroupKind::kCast ? kCastWords : kShopWords;
  const std::string expected = "an array of " + std::string(words.groups);
  const Field field{words.groups, expected};
  const Json* array = ReadArray(root, field, "$", reading);
  if (array == nullptr) return;
  for (std::size_t i = 0; i < array->size(); ++i) {
    const std::string path = "$." + std::string(words.groups) + "[" + std::to_string(i) + "]";
    groups.push_back(ReadGroup((*array)[i], kind, path, reading));
    CheckOutput(groups.back().file, path, files, reading);
  }
}

}  // namespace lw::authoring::manifest
