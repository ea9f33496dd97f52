#include "apps/titleplayer/player_config.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace lw::titleplayer {
namespace {

constexpr int kMaxVolumeLevel = 9;
constexpr std::string_view kSection = "player";

std::string Lower(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower;
}

std::string_view Trim(std::string_view text) {
  const auto isSpace = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
  while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
  return text;
}

// `value` when it is one of the two words (already lower case); which one.
std::optional<bool> OneOf(std::string_view value, std::string_view whenTrue,
                          std::string_view whenFalse) {
  if (value == whenTrue) return true;
  if (value == whenFalse) return false;
  return std::nullopt;
}

std::optional<bool> YesOrNo(std::string_view value) {
  if (value == "yes" || value == "true" || value == "on" || value == "1") return true;
  if (value == "no" || value == "false" || value == "off" || value == "0") return false;
  return std::nullopt;
}

std::optional<int> Level(std::string_view value) {
  if (value.size() != 1 || value[0] < '0' || value[0] > '0' + kMaxVolumeLevel) return std::nullopt;
  return value[0] - '0';
}

// One option of the file: what its values are, for the complaint, and how a value (lower case)
// sets it; false when the value is not one of them.
struct OptionRule {
  std::string_view name;
  std::string_view values;
  std::string_view fallback;
  bool (*set)(std::string_view value, PlayerSettings& settings);
};

// clang-format off
constexpr std::array<OptionRule, 5> kRules{{
    {"display", "fullscreen or windowed", "fullscreen",
     [](std::string_view v, PlayerSettings& s) {
       return (s.fullscreen = OneOf(v, "fullscreen", "windowed")).has_value(); }},
    {"scaling", "fit or integer", "fit",
     [](std::string_view v, PlayerSettings& s) {
       return (s.integerScale = OneOf(v, "integer", "fit")).has_value(); }},
    {"mute", "yes or no", "no",
     [](std::string_view v, PlayerSettings& s) { return (s.mute = YesOrNo(v)).has_value(); }},
    {"volume-level", "a level from 0 to 9", "9",
     [](std::string_view v, PlayerSettings& s) { return (s.volumeLevel = Level(v)).has_value(); }},
    {"pause-in-background", "yes or no", "yes",
     [](std::string_view v, PlayerSettings& s) {
       return (s.pauseInBackground = YesOrNo(v)).has_value(); }},
}};
// clang-format on

const OptionRule* RuleOf(std::string_view name) {
  const auto found = std::find_if(kRules.begin(), kRules.end(),
                                  [&](const OptionRule& rule) { return rule.name == name; });
  return found != kRules.end() ? &*found : nullptr;
}

// Reads the file line by line, collecting settings and complaints.
class ConfigReader {
 public:
  explicit ConfigReader(std::string_view fileName) : fileName_(fileName) {}

  void readLine(std::string_view line) {
    ++number_;
    line = Trim(line);
    if (line.empty() || line.front() == '#' || line.front() == ';') return;
    if (line.front() == '[') return readSection(line);
    if (!inPlayerSection_) return;
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
      return complain("'" + std::string(line) + "' is not 'option = value'; ignored");
    }
    const std::string name = Lower(Trim(line.substr(0, equals)));
    // No value holds a '#', so one ends the value and starts a comment.
    std::string_view value = line.substr(equals + 1);
    value = Trim(value.substr(0, value.find('#')));
    const OptionRule* rule = RuleOf(name);
    if (rule == nullptr) return complain("unknown option '" + name + "'; ignored");
    if (!rule->set(Lower(value), config_.settings)) {
      complain("option '" + name + "': '" + std::string(value) + "' is not " +
               std::string(rule->values) + "; using the default (" + std::string(rule->fallback) +
               ")");
    }
  }

  PlayerConfig take() { return std::move(config_); }

 private:
  void readSection(std::string_view line) {
    if (line.back() != ']') {
      return complain("'" + std::string(line) + "' is not a section such as [player]; ignored");
    }
    const std::string name = Lower(Trim(line.substr(1, line.size() - 2)));
    inPlayerSection_ = name == kSection;
    if (!inPlayerSection_) complain("unknown section [" + name + "]; its options are ignored");
  }

  void complain(const std::string& what) {
    config_.complaints.push_back(std::string(fileName_) + ":" + std::to_string(number_) + ": " +
                                 what);
  }

  std::string_view fileName_;
  int number_ = 0;
  bool inPlayerSection_ = true;
  PlayerConfig config_;
};

}  // namespace

PlayerConfig ParsePlayerConfig(std::string_view text, std::string_view fileName) {
  ConfigReader reader(fileName);
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    reader.readLine(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
  }
  return reader.take();
}

void ApplyPlayerSettings(const PlayerSettings& settings, PlayerOptions& options) {
  options.fullscreen = settings.fullscreen.value_or(options.fullscreen);
  options.integerScale = settings.integerScale.value_or(options.integerScale);
  options.mute = settings.mute.value_or(options.mute);
  options.volumeLevel = settings.volumeLevel.value_or(options.volumeLevel);
  options.pauseInBackground = settings.pauseInBackground.value_or(options.pauseInBackground);
}

}  // namespace lw::titleplayer
