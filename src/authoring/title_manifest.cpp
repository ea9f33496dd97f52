#include "authoring/title_manifest.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <span>

#include "authoring/set_render.h"
#include "common/mac_roman.h"
#include "objects/stage_file.h"

namespace lw::authoring {
namespace {

using Json = nlohmann::json;

constexpr std::size_t kMaxBaseName = 8;
constexpr std::size_t kMaxExtension = 3;
constexpr std::size_t kRectSides = 4;

constexpr std::array<std::string_view, 4> kTitleKeys = {"system", "palette", "stages", "sets"};
constexpr std::array<std::string_view, 4> kStageKeys = {"file", "name", "script", "flats"};
constexpr std::array<std::string_view, 4> kFlatKeys = {"name", "script", "picture", "buttons"};
constexpr std::array<std::string_view, 3> kButtonKeys = {"name", "rect", "script"};
constexpr std::array<std::string_view, 11> kSetKeys = {"file",   "name",    "script",   "floors",
                                                       "map",    "legend",  "textures", "start",
                                                       "camera", "colours", "stars"};
constexpr std::array<std::string_view, 1> kWallKeys = {"wall"};
constexpr std::array<std::string_view, 4> kOpenCellKeys = {"scene", "floor", "script", "building"};
constexpr std::array<std::string_view, 3> kStartKeys = {"row", "column", "facing"};
constexpr std::array<std::string_view, 2> kCameraKeys = {"setback", "height"};
constexpr std::array<std::string_view, 2> kColourKeys = {"floor", "ceiling"};
constexpr std::array<std::string_view, 2> kStarKeys = {"name", "at"};
constexpr std::array<std::string_view, 4> kFacings = {"north", "east", "south", "west"};

// A member of an object: its key, what its value must be (the text of the error that says it is
// not), and whether it must be there.
struct Field {
  std::string_view key;
  std::string_view expected;
  bool required = false;
};

// clang-format off
constexpr Field kSystemField  = {"system",  "a script file name (text)", true};
constexpr Field kPaletteField = {"palette", "a PNG or colour table file name (text)"};
constexpr Field kStagesField  = {"stages",  "an array of stages"};
constexpr Field kFileField    = {"file",    "an 8.3 file name such as HALL.STR (text)", true};
constexpr Field kNameField    = {"name",    "a name of 1 to 15 characters (text)", true};
constexpr Field kScriptField  = {"script",  "a script file name (text)"};
constexpr Field kFlatsField   = {"flats",   "an array of at least one flat", true};
constexpr Field kPictureField = {"picture", "a PNG file name (text)", true};
constexpr Field kButtonsField = {"buttons", "an array of buttons"};
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
constexpr Field kRowField     = {"row",     "a whole number 0..126", true};
constexpr Field kColumnField  = {"column",  "a whole number 0..126", true};
constexpr Field kFacingField  = {"facing",  "north, east, south or west (text)", true};
constexpr Field kSetBackField = {"setback", "a whole number 0..1024"};
constexpr Field kHeightField  = {"height",  "a whole number 1..255"};
constexpr Field kFloorColourField = {"floor", "a palette index 0..255"};
constexpr Field kCeilingField = {"ceiling", "a palette index 0..255"};
constexpr Field kAtField      = {"at",      "[x, y, z]: three whole numbers -32768..32767", true};
constexpr Field kRectField    = {"rect",    "[top, left, bottom, right]: four whole numbers with "
                                            "0 <= top < bottom <= 384 and 0 <= left < right <= 512",
                                 true};
// clang-format on

// Where errors of one manifest go, and the folder its file names start from.
struct Reading {
  const std::filesystem::path& folder;
  std::vector<ManifestError> errors;

  void fail(std::string where, std::string problem) {
    errors.push_back({std::move(where), std::move(problem)});
  }
};

std::string Joined(std::span<const std::string_view> words) {
  std::string text;
  for (std::string_view word : words) text += (text.empty() ? "" : ", ") + std::string(word);
  return text;
}

// True when `value` is an object, with any key outside `keys` reported.
bool CheckObject(const Json& value, const std::string& where, std::string_view what,
                 std::span<const std::string_view> keys, Reading& reading) {
  if (!value.is_object()) {
    reading.fail(where, "expected " + std::string(what) + " (an object)");
    return false;
  }
  for (const auto& [key, member] : value.items()) {
    if (std::find(keys.begin(), keys.end(), key) == keys.end())
      reading.fail(where + "." + key, "unknown key; expected one of " + Joined(keys));
  }
  return true;
}

std::string PathOf(const std::string& where, const Field& field) {
  return where + "." + std::string(field.key);
}

// Reports that the member `field` of the object at `where` is not what it must be.
void Refuse(const std::string& where, const Field& field, Reading& reading) {
  reading.fail(PathOf(where, field), "expected " + std::string(field.expected));
}

// The member `field`, or null (reported when it is required).
const Json* Member(const Json& object, const Field& field, const std::string& where,
                   Reading& reading) {
  const auto found = object.find(field.key);
  if (found != object.end()) return &*found;
  if (field.required)
    reading.fail(PathOf(where, field), "missing; expected " + std::string(field.expected));
  return nullptr;
}

// A file name member: text that is not empty.
SourceFile ReadFileName(const Json& object, const Field& field, const std::string& where,
                        Reading& reading) {
  const Json* value = Member(object, field, where, reading);
  if (value == nullptr) return {};
  if (!value->is_string() || value->get_ref<const std::string&>().empty()) {
    Refuse(where, field, reading);
    return {};
  }
  return {reading.folder / value->get<std::string>(), PathOf(where, field)};
}

// A name member, converted to Mac Roman.
std::string ReadName(const Json& object, const std::string& where, Reading& reading,
                     const Field& field = kNameField) {
  const Json* value = Member(object, field, where, reading);
  if (value == nullptr) return {};
  const std::string path = PathOf(where, field);
  if (!value->is_string()) {
    Refuse(where, field, reading);
    return {};
  }
  std::string_view utf8 = value->get_ref<const std::string&>();
  std::string name;
  while (!utf8.empty()) {
    const auto character = TakeMacRomanCharacter(utf8);
    if (!character) {
      reading.fail(path, "expected a name in Mac Roman characters: " + character.error());
      return {};
    }
    name += static_cast<char>(character->byte);
    utf8.remove_prefix(character->length);
  }
  if (name.empty() || name.size() > kMaxStoredNameLength) {
    reading.fail(
        path, "expected " + std::string(field.expected) + ", not " + std::to_string(name.size()));
    return {};
  }
  return name;
}

// Names compare as the runtime compares them: only 'A'..'Z' fold.
std::string Folded(std::string_view name) {
  std::string folded(name);
  for (char& c : folded) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return folded;
}

// Reports a name that an earlier sibling already has.
void CheckUnique(const std::string& name, std::vector<std::string>& seen, const std::string& where,
                 std::string_view what, Reading& reading) {
  if (name.empty()) return;
  if (std::find(seen.begin(), seen.end(), Folded(name)) != seen.end()) {
    reading.fail(where + ".name", "expected a name that no other " + std::string(what) +
                                      " here has (names ignore case)");
  }
  seen.push_back(Folded(name));
}

// An array member; null when missing (reported when required) or not an array.
const Json* ReadArray(const Json& object, const Field& field, const std::string& where,
                      Reading& reading) {
  const Json* value = Member(object, field, where, reading);
  if (value != nullptr && !value->is_array()) {
    Refuse(where, field, reading);
    return nullptr;
  }
  return value;
}

std::optional<Rect> ReadRect(const Json& object, const std::string& where, Reading& reading) {
  const Json* value = Member(object, kRectField, where, reading);
  if (value == nullptr) return std::nullopt;
  std::array<int, kRectSides> sides{};
  bool whole = value->is_array() && value->size() == kRectSides;
  for (std::size_t i = 0; whole && i < kRectSides; ++i) {
    const Json& side = (*value)[i];
    whole = side.is_number_integer() && side.get<std::int64_t>() >= 0 &&
            side.get<std::int64_t>() <= kStageFileWidth;
    if (whole) sides[i] = side.get<int>();
  }
  const auto [top, left, bottom, right] = sides;
  if (!whole || top >= bottom || bottom > kStageFileHeight || left >= right ||
      right > kStageFileWidth) {
    Refuse(where, kRectField, reading);
    return std::nullopt;
  }
  return Rect{Coord16(top), Coord16(left), Coord16(bottom), Coord16(right)};
}

ManifestButton ReadButton(const Json& value, const std::string& where, Reading& reading) {
  ManifestButton button;
  if (!CheckObject(value, where, "a button", kButtonKeys, reading)) return button;
  button.name = ReadName(value, where, reading);
  button.rect = ReadRect(value, where, reading).value_or(Rect{});
  button.script = ReadFileName(value, kScriptField, where, reading);
  return button;
}

ManifestFlat ReadFlat(const Json& value, const std::string& where, Reading& reading) {
  ManifestFlat flat;
  if (!CheckObject(value, where, "a flat", kFlatKeys, reading)) return flat;
  flat.name = ReadName(value, where, reading);
  flat.script = ReadFileName(value, kScriptField, where, reading);
  flat.picture = ReadFileName(value, kPictureField, where, reading);
  const Json* buttons = ReadArray(value, kButtonsField, where, reading);
  if (buttons == nullptr) return flat;
  std::vector<std::string> names;
  for (std::size_t i = 0; i < buttons->size(); ++i) {
    const std::string path = where + ".buttons[" + std::to_string(i) + "]";
    flat.buttons.push_back(ReadButton((*buttons)[i], path, reading));
    CheckUnique(flat.buttons.back().name, names, path, "button", reading);
  }
  return flat;
}

// An 8.3 file name: 1 to 8 letters, digits, '_' or '-', then optionally '.' and 1 to 3 more.
bool IsShortFileName(std::string_view name) {
  const auto allowed = [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_' || c == '-';
  };
  const std::size_t dot = name.find('.');
  const std::string_view base = name.substr(0, dot);
  const std::string_view extension =
      dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
  const bool extensionFits =
      dot == std::string_view::npos || (!extension.empty() && extension.size() <= kMaxExtension);
  return !base.empty() && base.size() <= kMaxBaseName && extensionFits &&
         std::all_of(base.begin(), base.end(), allowed) &&
         std::all_of(extension.begin(), extension.end(), allowed);
}

std::string ReadStageFileName(const Json& object, const std::string& where, Reading& reading) {
  const Json* value = Member(object, kFileField, where, reading);
  if (value == nullptr) return {};
  if (!value->is_string() || !IsShortFileName(value->get_ref<const std::string&>())) {
    Refuse(where, kFileField, reading);
    return {};
  }
  return value->get<std::string>();
}

ManifestStage ReadStage(const Json& value, const std::string& where, Reading& reading) {
  ManifestStage stage;
  if (!CheckObject(value, where, "a stage", kStageKeys, reading)) return stage;
  stage.file = ReadStageFileName(value, where, reading);
  stage.name = ReadName(value, where, reading);
  stage.script = ReadFileName(value, kScriptField, where, reading);
  const Json* flats = ReadArray(value, kFlatsField, where, reading);
  if (flats == nullptr) return stage;
  if (flats->empty()) Refuse(where, kFlatsField, reading);
  std::vector<std::string> names;
  for (std::size_t i = 0; i < flats->size(); ++i) {
    const std::string path = where + ".flats[" + std::to_string(i) + "]";
    stage.flats.push_back(ReadFlat((*flats)[i], path, reading));
    CheckUnique(stage.flats.back().name, names, path, "flat", reading);
  }
  return stage;
}

// Reports an output name that an earlier output already has. Output names are compared as the
// title's files are found: without regard to case.
void CheckOutput(const std::string& name, const std::string& where, std::vector<std::string>& files,
                 Reading& reading) {
  const std::string file = Folded(name);
  if (file.empty()) return;
  if (std::find(files.begin(), files.end(), file) != files.end())
    reading.fail(where + ".file", "expected a file name that no other output of the title has");
  files.push_back(file);
}

void ReadStages(const Json& root, TitleManifest& title, std::vector<std::string>& files,
                Reading& reading) {
  const Json* stages = ReadArray(root, kStagesField, "$", reading);
  if (stages == nullptr) return;
  for (std::size_t i = 0; i < stages->size(); ++i) {
    const std::string path = "$.stages[" + std::to_string(i) + "]";
    title.stages.push_back(ReadStage((*stages)[i], path, reading));
    CheckOutput(title.stages.back().file, path, files, reading);
  }
}

// A whole number member within low..high; nothing when missing or out of range (reported).
std::optional<int> ReadInteger(const Json& object, const Field& field, int low, int high,
                               const std::string& where, Reading& reading) {
  const Json* value = Member(object, field, where, reading);
  if (value == nullptr) return std::nullopt;
  bool fits = false;
  if (value->is_number_unsigned()) {  // beyond what a signed number holds: compare unsigned
    const std::uint64_t number = value->get<std::uint64_t>();
    fits = number >= static_cast<std::uint64_t>(std::max(low, 0)) &&
           number <= static_cast<std::uint64_t>(high);
  } else if (value->is_number_integer()) {
    fits = value->get<std::int64_t>() >= low && value->get<std::int64_t>() <= high;
  }
  if (!fits) {
    Refuse(where, field, reading);
    return std::nullopt;
  }
  return value->get<int>();
}

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

std::optional<ManifestStar> ReadStar(const Json& value, const std::string& where,
                                     Reading& reading) {
  if (!CheckObject(value, where, "a star", kStarKeys, reading)) return std::nullopt;
  ManifestStar star{ReadName(value, where, reading), {}};
  const Json* at = Member(value, kAtField, where, reading);
  if (at == nullptr) return star;
  bool fits = at->is_array() && at->size() == star.at.size();
  for (std::size_t i = 0; fits && i < star.at.size(); ++i) {
    const Json& axis = (*at)[i];
    fits = axis.is_number_integer() &&
           !(axis.is_number_unsigned() && axis.get<std::uint64_t>() > INT16_MAX) &&
           axis.get<std::int64_t>() >= INT16_MIN && axis.get<std::int64_t>() <= INT16_MAX;
    if (fits) star.at[i] = static_cast<std::int16_t>(axis.get<std::int64_t>());
  }
  if (!fits) Refuse(where, kAtField, reading);
  return star;
}

ManifestSet ReadSet(const Json& value, const std::string& where, Reading& reading) {
  ManifestSet set;
  if (!CheckObject(value, where, "a set", kSetKeys, reading)) return set;
  const std::size_t errorsBefore = reading.errors.size();
  set.file = ReadStageFileName(value, where, reading);
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

// The parser's message without its exception tag: "parse error at line 3, column 5: ...".
std::string ParseProblem(const nlohmann::json::exception& error) {
  const std::string_view what = error.what();
  const std::size_t tag = what.find("] ");
  return std::string(tag == std::string_view::npos ? what : what.substr(tag + 2));
}

}  // namespace

std::string FormatManifestError(std::string_view manifest, const ManifestError& error) {
  return std::string(manifest) + ": " + error.where + ": " + error.problem;
}

ManifestReading ReadTitleManifest(std::string_view text, const std::filesystem::path& folder) {
  Json root;
  try {
    root = Json::parse(text);
  } catch (const nlohmann::json::exception& error) {  // a syntax error or a number out of range
    return {{}, {{"$", "expected JSON: " + ParseProblem(error)}}};
  }
  Reading reading{folder, {}};
  TitleManifest title;
  if (CheckObject(root, "$", "a title", kTitleKeys, reading)) {
    title.system = ReadFileName(root, kSystemField, "$", reading);
    title.palette = ReadFileName(root, kPaletteField, "$", reading);
    std::vector<std::string> files = {std::string(kBootFileName)};
    ReadStages(root, title, files, reading);
    ReadSets(root, title, files, reading);
  }
  // Only a manifest without errors is printed back: its values are known to be shallow.
  if (reading.errors.empty()) {
    for (std::size_t i = 0; i < title.stages.size(); ++i)
      title.stages[i].entry = root["stages"][i].dump();
    for (std::size_t i = 0; i < title.sets.size(); ++i)
      title.sets[i].entry = root["sets"][i].dump();
  }
  return {std::move(title), std::move(reading.errors)};
}

}  // namespace lw::authoring
