#include "authoring/title_manifest.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <optional>
#include <span>

#include "authoring/cast_manifest.h"
#include "authoring/manifest_reading.h"
#include "authoring/movie_manifest.h"
#include "authoring/puppet_manifest.h"
#include "authoring/track_manifest.h"
#include "common/mac_roman.h"
#include "objects/stage_file.h"

namespace lw::authoring::manifest {

constexpr std::size_t kMaxBaseName = 8;
constexpr std::size_t kMaxExtension = 3;
constexpr std::size_t kRectSides = 4;

constexpr std::array<std::string_view, 13> kTitleKeys = {
    "name", "volume", "probe", "captions", "system", "palette", "stages",
    "sets", "casts",  "shops", "tracks",   "movies", "puppets"};
constexpr std::array<std::string_view, 4> kTitleStringKeys = {"name", "volume", "probe",
                                                              "captions"};
constexpr std::array<std::string_view, 4> kStageKeys = {"file", "name", "script", "flats"};
constexpr std::array<std::string_view, 4> kFlatKeys = {"name", "script", "picture", "buttons"};
constexpr std::array<std::string_view, 3> kButtonKeys = {"name", "rect", "script"};

// clang-format off
constexpr Field kSystemField  = {"system",  "a script file name (text)", true};
constexpr Field kStagesField  = {"stages",  "an array of stages"};
constexpr Field kFlatsField   = {"flats",   "an array of at least one flat", true};
constexpr Field kPictureField = {"picture", "a PNG file name (text)", true};
constexpr Field kButtonsField = {"buttons", "an array of buttons"};
constexpr Field kRectField    = {"rect",    "[top, left, bottom, right]: four whole numbers with "
                                            "0 <= top < bottom <= 384 and 0 <= left < right <= 512",
                                 true};
// clang-format on

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
                     const Field& field) {
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

std::optional<int> WholeNumber(const Json& value, int low, int high) {
  if (value.is_number_unsigned()) {  // beyond what a signed number holds: compare unsigned
    const std::uint64_t number = value.get<std::uint64_t>();
    if (high < 0 || number > static_cast<std::uint64_t>(high)) return std::nullopt;
    if (low > 0 && number < static_cast<std::uint64_t>(low)) return std::nullopt;
    return static_cast<int>(number);
  }
  if (!value.is_number_integer()) return std::nullopt;
  const std::int64_t number = value.get<std::int64_t>();
  if (number < low || number > high) return std::nullopt;
  return static_cast<int>(number);
}

std::optional<int> ReadInteger(const Json& object, const Field& field, int low, int high,
                               const std::string& where, Reading& reading) {
  const Json* value = Member(object, field, where, reading);
  if (value == nullptr) return std::nullopt;
  const auto number = WholeNumber(*value, low, high);
  if (!number) Refuse(where, field, reading);
  return number;
}

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

std::string ReadOutputFileName(const Json& object, const std::string& where, Reading& reading) {
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
  stage.file = ReadOutputFileName(value, where, reading);
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

}  // namespace lw::authoring::manifest

namespace lw::authoring {
namespace {

// The parser's message without its exception tag: "parse error at line 3, column 5: ...".
std::string ParseProblem(const nlohmann::json::exception& error) {
  const std::string_view what = error.what();
  const std::size_t tag = what.find("] ");
  return std::string(tag == std::string_view::npos ? what : what.substr(tag + 2));
}

// The title's strings, read as the player reads title.json; nothing when the manifest has none.
// A manifest without a name leaves it empty: the player names the title after its folder.
std::optional<TitleStrings> ReadTitleStrings(const manifest::Json& root,
                                             manifest::Reading& reading) {
  manifest::Json strings = manifest::Json::object();
  for (const std::string_view key : manifest::kTitleStringKeys) {
    if (const auto found = root.find(key); found != root.end()) strings[std::string(key)] = *found;
  }
  if (strings.empty()) return std::nullopt;
  auto read = ParseTitleStrings(strings.dump(), "");
  if (read) return std::move(*read);
  // "title.json: KEY: problem" becomes a problem at $.KEY.
  std::string_view problem = read.error();
  problem.remove_prefix(std::min(problem.size(), kTitleStringsFile.size() + 2));
  const std::size_t colon = problem.find(": ");
  if (colon == std::string_view::npos) {
    reading.fail("$", std::string(problem));
  } else {
    reading.fail("$." + std::string(problem.substr(0, colon)),
                 std::string(problem.substr(colon + 2)));
  }
  return std::nullopt;
}

}  // namespace

std::string FormatManifestError(std::string_view manifest, const ManifestError& error) {
  return std::string(manifest) + ": " + error.where + ": " + error.problem;
}

ManifestReading ReadTitleManifest(std::string_view text, const std::filesystem::path& folder) {
  using namespace manifest;
  Json root;
  try {
    root = Json::parse(text);
  } catch (const nlohmann::json::exception& error) {  // a syntax error or a number out of range
    return {{}, {{"$", "expected JSON: " + ParseProblem(error)}}};
  }
  Reading reading{folder, {}};
  TitleManifest title;
  if (CheckObject(root, "$", "a title", kTitleKeys, reading)) {
    title.strings = ReadTitleStrings(root, reading);
    title.system = ReadFileName(root, kSystemField, "$", reading);
    title.palette = ReadFileName(root, kPaletteField, "$", reading);
    std::vector<std::string> files = {std::string(kBootFileName)};
    ReadStages(root, title, files, reading);
    ReadSets(root, title, files, reading);
    ReadGroups(root, GroupKind::kCast, title.casts, files, reading);
    ReadGroups(root, GroupKind::kShop, title.shops, files, reading);
    ReadTracks(root, title.tracks, files, reading);
    ReadMovies(root, title.movies, files, reading);
    ReadPuppetFiles(root, title.puppets, files, reading);
  }
  // Only a manifest without errors is printed back: its values are known to be shallow.
  if (reading.errors.empty()) {
    for (std::size_t i = 0; i < title.stages.size(); ++i)
      title.stages[i].entry = root["stages"][i].dump();
    for (std::size_t i = 0; i < title.sets.size(); ++i)
      title.sets[i].entry = root["sets"][i].dump();
    for (std::size_t i = 0; i < title.casts.size(); ++i)
      title.casts[i].entry = root["casts"][i].dump();
    for (std::size_t i = 0; i < title.shops.size(); ++i)
      title.shops[i].entry = root["shops"][i].dump();
    for (std::size_t i = 0; i < title.tracks.size(); ++i)
      title.tracks[i].entry = root["tracks"][i].dump();
    for (std::size_t i = 0; i < title.movies.size(); ++i)
      title.movies[i].entry = root["movies"][i].dump();
    for (std::size_t i = 0; i < title.puppets.size(); ++i)
      title.puppets[i].entry = root["puppets"][i].dump();
  }
  return {std::move(title), std::move(reading.errors)};
}

void ForEachSourceFile(const ManifestStage& stage, const SourceVisit& visit) {
  visit(stage.script, SourceKind::kScript);
  for (const ManifestFlat& flat : stage.flats) {
    visit(flat.script, SourceKind::kScript);
    visit(flat.picture, SourceKind::kPicture);
    for (const ManifestButton& button : flat.buttons) visit(button.script, SourceKind::kScript);
  }
}

void ForEachSourceFile(const ManifestSet& set, const SourceVisit& visit) {
  visit(set.script, SourceKind::kScript);
  for (const auto& [floor, script] : set.floors) visit(script, SourceKind::kScript);
  for (const auto& [symbol, script] : set.cellScripts) visit(script, SourceKind::kScript);
  for (const auto& [name, texture] : set.textures) visit(texture, SourceKind::kTexture);
  for (const auto& [cell, view] : set.cellViews) visit(view, SourceKind::kTexture);
}

void ForEachSourceFile(const ManifestGroup& group, const SourceVisit& visit) {
  visit(group.script, SourceKind::kScript);
  for (const ManifestFigure& figure : group.figures) {
    visit(figure.script, SourceKind::kScript);
    for (const ManifestPose& pose : figure.poses) {
      for (const ManifestImage& image : pose.images) visit(image.png, SourceKind::kSprite);
    }
  }
}

void ForEachSourceFile(const ManifestTrack& track, const SourceVisit& visit) {
  for (const ManifestSound& sound : track.sounds) visit(sound.audio, SourceKind::kSound);
  for (const ManifestSound& part : track.themeParts) visit(part.audio, SourceKind::kSound);
}

void ForEachSourceFile(const ManifestMovie& movie, const SourceVisit& visit) {
  visit(movie.palette, SourceKind::kPicture);
  for (const ManifestSegment& segment : movie.segments) {
    for (const ManifestSound& sound : segment.sounds) visit(sound.audio, SourceKind::kSound);
    for (const ManifestSound& part : segment.themeParts) visit(part.audio, SourceKind::kSound);
    for (const ManifestMovieFrame& frame : segment.frames) visit(frame.png, SourceKind::kPicture);
  }
}

void ForEachSourceFile(const ManifestPuppetFile& puppets, const SourceVisit& visit) {
  for (const ManifestPuppet& puppet : puppets.puppets) visit(puppet.script, SourceKind::kScript);
  visit(puppets.palette, SourceKind::kPicture);
  for (const auto& layer : puppets.layers) {
    for (const ManifestLayerImage& image : layer) visit(image.png, SourceKind::kSprite);
  }
  visit(puppets.band, SourceKind::kSprite);
  for (const auto* lines : {&puppets.lines, &puppets.playerLines}) {
    for (const ManifestPuppetLine& line : *lines) visit(line.sound.audio, SourceKind::kSound);
  }
}

}  // namespace lw::authoring
