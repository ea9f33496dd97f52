// The sets of a title manifest: each entry's map, legend, textures, start, view, stars and paths,
// and the
// map parsed from them (set_map.h) so that its errors are found with the manifest's.
#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>

#include "authoring/manifest_reading.h"
#include "authoring/set_render.h"

namespace lw::authoring::manifest {
namespace {

constexpr std::array<std::string_view, 12> kSetKeys = {"file",   "name",    "script",   "floors",
                                                       "map",    "legend",  "textures", "start",
                                                       "camera", "colours", "stars",    "paths"};
constexpr std::array<std::string_view, 1> kWallKeys = {"wall"};
constexpr std::array<std::string_view, 5> kOpenCellKeys = {"scene", "floor", "script", "building",
                                                           "views"};
constexpr std::array<std::string_view, 3> kStartKeys = {"row", "column", "facing"};
constexpr std::array<std::string_view, 2> kCameraKeys = {"setback", "height"};
constexpr std::array<std::string_view, 2> kColourKeys = {"floor", "ceiling"};
constexpr std::array<std::string_view, 2> kStarKeys = {"name", "at"};
constexpr std::array<std::string_view, 3> kPathKeys = {"from", "to", "via"};
constexpr std::array<std::string_view, 4> kFacings = {"north", "east", "south", "west"};

// clang-format off
constexpr Field kSetsField    = {"sets",    "an array of sets"};
constexpr Field kFloorsField  = {"floors",  "an object of floor numbers and script file names"};
constexpr Field kMapField     = {"map",     "an array of at least one row (texts)", true};
constexpr Field kRowTextField = {"",        "a row of the map (text)"};
constexpr Field kLegendField  = {"legend",  "an object of characters and cells", true};
constexpr Field kTexturesField = {"textures", "an object of texture names and PNG file names",
                                  true};
constexpr Field kStartField   = {"start",   "a start: row, column and facing (an object)", true};
constexpr Field kCameraField  = {"camera",  "a camera: setback and height (an object)"};
constexpr Field kColoursField = {"colours", "colours: floor and ceiling (an object)"};
constexpr Field kStarsField   = {"stars",   "an array of stars"};
constexpr Field kWallField    = {"wall",    "a texture name (text)", true};
constexpr Field kSceneField   = {"scene",   "a name of 1 to 15 characters (text)"};
constexpr Field kCellFloorField = {"floor", "a floor number 0..31"};
constexpr Field kBuildingField = {"building", "true or false"};
constexpr Field kViewsField   = {"views",   "an object of facings and PNG file names"};
constexpr Field kRowField     = {"row",     "a whole number 0..126", true};
constexpr Field kColumnField  = {"column",  "a whole number 0..126", true};
constexpr Field kFacingField  = {"facing",  "north, east, south or west (text)", true};
constexpr Field kSetBackField = {"setback", "a whole number 0..1024"};
constexpr Field kHeightField  = {"height",  "a whole number 1..255"};
constexpr Field kFloorColourField = {"floor", "a palette index 0..255"};
constexpr Field kCeilingField = {"ceiling", "a palette index 0..255"};
constexpr Field kAtField      = {"at",      "[x, y, z]: three whole numbers -32768..32767", true};
constexpr Field kPathsField   = {"paths",   "an array of paths"};
constexpr Field kFromField    = {"from",    "the name of a star of the set (text)", true};
constexpr Field kToField      = {"to",      "the name of a star of the set (text)", true};
constexpr Field kViaField     = {"via",     "an array of points [x, y, z]"};
constexpr Field kViaPointField = {"",       "[x, y, z]: three whole numbers -32768..32767"};
// clang-format on

// An object member; null when missing (reported when required) or not an object (reported).
const Json* ReadObject(const Json& object, const Field& field, const std::string& where,
                       Reading& reading) {
  const Json* value = Member(object, field, where, reading);
  if (value != nullptr && !value->is_object()) {
    Refuse(where, field, reading);
    return nullptr;
  }
  return value;
}

// The floors' scripts: keys "0".."31".
void ReadFloors(const Json& object, const std::string& where, ManifestSet& set, Reading& reading) {
  const Json* floors = ReadObject(object, kFloorsField, where, reading);
  if (floors == nullptr) return;
  const std::string path = PathOf(where, kFloorsField);
  for (const auto& [key, value] : floors->items()) {
    int floor = -1;
    for (int f = 0; f <= kMaxFloor; ++f) floor = key == std::to_string(f) ? f : floor;
    if (floor < 0) {
      reading.fail(path + "." + key, "expected a floor number \"0\"..\"31\" as the key");
      continue;
    }
    const Field field{key, "a script file name (text)"};
    set.floors[floor] = ReadFileName(*floors, field, path, reading);
  }
}

void ReadTextures(const Json& object, const std::string& where, ManifestSet& set,
                  Reading& reading) {
  const Json* textures = ReadObject(object, kTexturesField, where, reading);
  if (textures == nullptr) return;
  const std::string path = PathOf(where, kTexturesField);
  for (const auto& [key, value] : textures->items()) {
    const Field field{key, "a PNG file name (text)"};
    if (key.empty()) reading.fail(path + ".", "expected a texture name that is not empty");
    set.textures[key] = ReadFileName(*textures, field, path, reading);
  }
}

// One legend entry: a wall with a texture that the set names, or an open cell.
SetMapCell ReadLegendCell(const Json& value, char symbol, const std::string& where,
                          ManifestSet& set, Reading& reading) {
  if (value.is_object() && value.contains(kWallField.key)) {
    if (!CheckObject(value, where, "a wall", kWallKeys, reading)) return {};
    const Json& texture = value[kWallField.key];
    if (!texture.is_string() || texture.get_ref<const std::string&>().empty()) {
      Refuse(where, kWallField, reading);
      return WallCell("");
    }
    const std::string name = texture.get<std::string>();
    if (!set.textures.contains(name)) {
      reading.fail(PathOf(where, kWallField),
                   "expected a texture that the set's textures name, not \"" + name + "\"");
    }
    return WallCell(name);
  }
  if (!CheckObject(value, where, "a wall or an open cell", kOpenCellKeys, reading)) return {};
  SetMapCell cell = OpenCell();
  if (value.contains(kSceneField.key)) cell.scene = ReadName(value, where, reading, kSceneField);
  cell.floor = ReadInteger(value, kCellFloorField, 0, kMaxFloor, where, reading).value_or(0);
  const SourceFile script = ReadFileName(value, kScriptField, where, reading);
  if (script.named()) set.cellScripts[symbol] = script;
  if (const Json* views = ReadObject(value, kViewsField, where, reading)) {
    const std::string path = PathOf(where, kViewsField);
    for (const auto& [facing, file] : views->items()) {
      const auto named = std::find(kFacings.begin(), kFacings.end(), facing);
      if (named == kFacings.end()) {
        reading.fail(path + "." + facing, "expected north, east, south or west as the key");
        continue;
      }
      const int angle = std::array{kNorth, kEast, kSouth,
                                   kWest}[static_cast<std::size_t>(named - kFacings.begin())];
      set.cellViews[{symbol, angle}] =
          ReadFileName(*views, Field{facing, "a PNG file name (text)"}, path, reading);
    }
  }
  if (const Json* building = Member(value, kBuildingField, where, reading)) {
    if (building->is_boolean()) {
      cell.building = building->get<bool>();
    } else {
      Refuse(where, kBuildingField, reading);
    }
  }
  return cell;
}

std::map<char, SetMapCell> ReadLegend(const Json& object, const std::string& where,
                                      ManifestSet& set, Reading& reading) {
  std::map<char, SetMapCell> legend;
  const Json* entries = ReadObject(object, kLegendField, where, reading);
  if (entries == nullptr) return legend;
  const std::string path = PathOf(where, kLegendField);
  for (const auto& [key, value] : entries->items()) {
    if (key.size() != 1) {
      reading.fail(path + "." + key, "expected a single character as the key");
      continue;
    }
    legend[key[0]] = ReadLegendCell(value, key[0], path + "." + key, set, reading);
  }
  return legend;
}

std::vector<std::string> ReadGrid(const Json& object, const std::string& where, Reading& reading) {
  std::vector<std::string> grid;
  const Json* rows = ReadArray(object, kMapField, where, reading);
  if (rows == nullptr) return grid;
  if (rows->empty()) Refuse(where, kMapField, reading);
  for (std::size_t i = 0; i < rows->size(); ++i) {
    const Json& row = (*rows)[i];
    if (row.is_string()) {
      grid.push_back(row.get<std::string>());
    } else {
      reading.fail(PathOf(where, kMapField) + "[" + std::to_string(i) + "]",
                   "expected " + std::string(kRowTextField.expected));
    }
  }
  return grid;
}

// The start as ParseSetMap takes it; the facing must be a direction's name.
SetStart ReadStart(const Json& object, const std::string& where, Reading& reading) {
  SetStart start;
  const Json* value = Member(object, kStartField, where, reading);
  const std::string path = PathOf(where, kStartField);
  if (value == nullptr || !CheckObject(*value, path, "a start", kStartKeys, reading)) return start;
  start.row = ReadInteger(*value, kRowField, 0, kMaxSetCells - 1, path, reading).value_or(0);
  start.column = ReadInteger(*value, kColumnField, 0, kMaxSetCells - 1, path, reading).value_or(0);
  const Json* facing = Member(*value, kFacingField, path, reading);
  if (facing == nullptr) return start;
  const auto known = std::find(kFacings.begin(), kFacings.end(),
                               facing->is_string() ? facing->get<std::string>() : "");
  if (known == kFacings.end()) {
    Refuse(path, kFacingField, reading);
  } else {
    start.direction = *known;
  }
  return start;
}

void ReadView(const Json& object, const std::string& where, ManifestSet& set, Reading& reading) {
  const std::string camera = PathOf(where, kCameraField);
  if (const Json* value = Member(object, kCameraField, where, reading);
      value != nullptr && CheckObject(*value, camera, "a camera", kCameraKeys, reading)) {
    set.cameraSetBack =
        ReadInteger(*value, kSetBackField, 0, kMaxCameraSetBack, camera, reading).value_or(64);
    set.cameraHeight = ReadInteger(*value, kHeightField, 1, 255, camera, reading).value_or(100);
  }
  const std::string colours = PathOf(where, kColoursField);
  if (const Json* value = Member(object, kColoursField, where, reading);
      value != nullptr && CheckObject(*value, colours, "colours", kColourKeys, reading)) {
    set.floorColour = static_cast<std::uint8_t>(
        ReadInteger(*value, kFloorColourField, 0, 255, colours, reading).value_or(0));
    set.ceilingColour = static_cast<std::uint8_t>(
        ReadInteger(*value, kCeilingField, 0, 255, colours, reading).value_or(0));
  }
}

// A point [x, y, z] of 16-bit whole numbers; nothing when it is not one.
std::optional<ManifestPoint> ReadPoint(const Json& at) {
  ManifestPoint point{};
  bool fits = at.is_array() && at.size() == point.size();
  for (std::size_t i = 0; fits && i < point.size(); ++i) {
    const Json& axis = at[i];
    fits = axis.is_number_integer() &&
           !(axis.is_number_unsigned() && axis.get<std::uint64_t>() > INT16_MAX) &&
           axis.get<std::int64_t>() >= INT16_MIN && axis.get<std::int64_t>() <= INT16_MAX;
    if (fits) point[i] = static_cast<std::int16_t>(axis.get<std::int64_t>());
  }
  return fits ? std::optional(point) : std::nullopt;
}

std::optional<ManifestStar> ReadStar(const Json& value, const std::string& where,
                                     Reading& reading) {
  if (!CheckObject(value, where, "a star", kStarKeys, reading)) return std::nullopt;
  ManifestStar star{ReadName(value, where, reading), {}};
  const Json* at = Member(value, kAtField, where, reading);
  if (at == nullptr) return star;
  if (const auto point = ReadPoint(*at)) {
    star.at = *point;
  } else {
    Refuse(where, kAtField, reading);
  }
  return star;
}

// A path from one star of the set to another through its via points; the stars must be listed.
std::optional<ManifestPath> ReadPath(const Json& value, const std::string& where,
                                     const std::vector<ManifestStar>& stars, Reading& reading) {
  if (!CheckObject(value, where, "a path", kPathKeys, reading)) return std::nullopt;
  ManifestPath path;
  path.from = ReadName(value, where, reading, kFromField);
  path.to = ReadName(value, where, reading, kToField);
  for (const Field* end : {&kFromField, &kToField}) {
    const std::string& name = end == &kFromField ? path.from : path.to;
    const bool listed =
        std::ranges::any_of(stars, [&](const ManifestStar& star) { return star.name == name; });
    if (!name.empty() && !listed) Refuse(where, *end, reading);
  }
  if (const Json* via = ReadArray(value, kViaField, where, reading)) {
    for (std::size_t i = 0; i < via->size(); ++i) {
      if (const auto point = ReadPoint((*via)[i])) {
        path.via.push_back(*point);
      } else {
        reading.fail(PathOf(where, kViaField) + "[" + std::to_string(i) + "]",
                     "expected " + std::string(kViaPointField.expected));
      }
    }
  }
  return path;
}

ManifestSet ReadSet(const Json& value, const std::string& where, Reading& reading) {
  ManifestSet set;
  if (!CheckObject(value, where, "a set", kSetKeys, reading)) return set;
  const std::size_t errorsBefore = reading.errors.size();
  set.file = ReadOutputFileName(value, where, reading);
  set.name = ReadName(value, where, reading);
  set.script = ReadFileName(value, kScriptField, where, reading);
  ReadFloors(value, where, set, reading);
  ReadTextures(value, where, set, reading);
  const std::map<char, SetMapCell> legend = ReadLegend(value, where, set, reading);
  const std::vector<std::string> grid = ReadGrid(value, where, reading);
  const SetStart start = ReadStart(value, where, reading);
  ReadView(value, where, set, reading);
  if (const Json* stars = ReadArray(value, kStarsField, where, reading)) {
    for (std::size_t i = 0; i < stars->size(); ++i) {
      const std::string path = where + ".stars[" + std::to_string(i) + "]";
      if (auto star = ReadStar((*stars)[i], path, reading)) set.stars.push_back(*star);
    }
  }
  if (const Json* paths = ReadArray(value, kPathsField, where, reading)) {
    for (std::size_t i = 0; i < paths->size(); ++i) {
      const std::string path = where + ".paths[" + std::to_string(i) + "]";
      if (auto read = ReadPath((*paths)[i], path, set.stars, reading)) {
        set.paths.push_back(std::move(*read));
      }
    }
  }
  // The map is only worth parsing from parts that were read without error.
  if (reading.errors.size() != errorsBefore) return set;
  auto map = ParseSetMap(grid, legend, start);
  if (!map) {
    reading.fail(PathOf(where, kMapField), map.error());
    return set;
  }
  set.map = std::move(map).value();
  for (const std::string& row : grid)
    set.cellSymbols.insert(set.cellSymbols.end(), row.begin(), row.end());
  return set;
}

}  // namespace

void ReadSets(const Json& root, TitleManifest& title, std::vector<std::string>& files,
              Reading& reading) {
  const Json* sets = ReadArray(root, kSetsField, "$", reading);
  if (sets == nullptr) return;
  for (std::size_t i = 0; i < sets->size(); ++i) {
    const std::string path = "$.sets[" + std::to_string(i) + "]";
    title.sets.push_back(ReadSet((*sets)[i], path, reading));
    CheckOutput(title.sets.back().file, path, files, reading);
  }
  if (!sets->empty() && !title.palette.named() && !root.contains(kPaletteField.key)) {
    reading.fail("$.sets",
                 "expected a title palette ($.palette) beside sets: their shading is "
                 "made from it");
  }
}

}  // namespace lw::authoring::manifest
