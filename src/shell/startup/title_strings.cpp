#include "shell/startup/title_strings.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <nlohmann/json.hpp>
#include <vector>

#include "common/mac_roman.h"

namespace lw {
namespace {

using Json = nlohmann::json;

// The captions of the start-up boxes: restarting, display (108, 118, 120), disc (124, 126),
// sound, file handles, memory and drawing.
constexpr std::array<int, 10> kStartupCaptions = {100, 108, 118, 120, 124, 126, 129, 137, 139, 143};

std::string Complaint(std::string_view key, std::string_view problem) {
  return std::string(kTitleStringsFile) + ": " + std::string(key) + ": " + std::string(problem);
}

// A text member in Mac Roman, of 1 to `longest` characters.
Expected<std::string, std::string> MacRomanText(const Json& value, std::string_view key,
                                                std::size_t longest) {
  if (!value.is_string()) return Unexpected(Complaint(key, "expected a text"));
  std::string_view utf8 = value.get_ref<const std::string&>();
  std::string text;
  while (!utf8.empty()) {
    const auto character = TakeMacRomanCharacter(utf8);
    if (!character) return Unexpected(Complaint(key, character.error()));
    text.push_back(static_cast<char>(character->byte));
    utf8.remove_prefix(character->length);
  }
  if (text.empty() || text.size() > longest) {
    return Unexpected(Complaint(key, "expected 1 to " + std::to_string(longest) + " characters"));
  }
  return text;
}

// The caption id of a captions key: decimal digits naming a start-up caption.
std::optional<int> CaptionId(std::string_view key) {
  int id = 0;
  const auto [end, error] = std::from_chars(key.data(), key.data() + key.size(), id);
  if (error != std::errc{} || end != key.data() + key.size() || !IsStartupCaption(id))
    return std::nullopt;
  return id;
}

Expected<std::map<int, std::string>, std::string> Captions(const Json& value) {
  if (!value.is_object()) return Unexpected(Complaint("captions", "expected an object"));
  std::map<int, std::string> captions;
  constexpr std::size_t kLongestCaption = 255;
  for (const auto& [key, caption] : value.items()) {
    const std::optional<int> id = CaptionId(key);
    if (!id) {
      return Unexpected(Complaint("captions." + key,
                                  "expected the id of a start-up caption (100, 108, 118, 120, "
                                  "124, 126, 129, 137, 139 or 143)"));
    }
    auto text = MacRomanText(caption, "captions." + key, kLongestCaption);
    if (!text) return Unexpected(text.error());
    captions[*id] = std::move(*text);
  }
  return captions;
}

}  // namespace

std::optional<std::string> TitleStrings::probePath() const {
  if (!volume || !probe) return std::nullopt;
  return *volume + ":" + *probe;
}

std::string TitleStrings::caption(int id, std::string fallback) const {
  const auto found = captions.find(id);
  return found == captions.end() ? std::move(fallback) : found->second;
}

bool IsStartupCaption(int id) {
  return std::find(kStartupCaptions.begin(), kStartupCaptions.end(), id) != kStartupCaptions.end();
}

Expected<TitleStrings, std::string> ParseTitleStrings(std::string_view text,
                                                      std::string folderName) {
  const Json root = Json::parse(text, nullptr, /*allow_exceptions=*/false);
  if (root.is_discarded()) return Unexpected(std::string(kTitleStringsFile) + ": not JSON");
  if (!root.is_object()) {
    return Unexpected(std::string(kTitleStringsFile) + ": expected an object of title strings");
  }
  TitleStrings strings;
  strings.name = std::move(folderName);
  constexpr std::size_t kLongestProbe = 255;
  if (const auto name = root.find("name"); name != root.end()) {
    auto read = MacRomanText(*name, "name", kMaxTitleName);
    if (!read) return Unexpected(read.error());
    strings.name = std::move(*read);
  }
  if (const auto volume = root.find("volume"); volume != root.end()) {
    auto read = MacRomanText(*volume, "volume", kMaxVolumeName);
    if (!read) return Unexpected(read.error());
    if (read->find(':') != std::string::npos)
      return Unexpected(Complaint("volume", "expected a volume name without ':'"));
    strings.volume = std::move(*read);
  }
  if (const auto probe = root.find("probe"); probe != root.end()) {
    auto read = MacRomanText(*probe, "probe", kLongestProbe);
    if (!read) return Unexpected(read.error());
    strings.probe = std::move(*read);
  }
  if (strings.volume.has_value() != strings.probe.has_value()) {
    return Unexpected(
        Complaint(strings.volume ? "probe" : "volume", "missing; volume and probe go together"));
  }
  if (const auto captions = root.find("captions"); captions != root.end()) {
    auto read = Captions(*captions);
    if (!read) return Unexpected(read.error());
    strings.captions = std::move(*read);
  }
  return strings;
}

std::string TitleStringsJson(const TitleStrings& strings) {
  // nlohmann keeps object keys sorted; the order of the table is written by hand.
  std::vector<std::string> members;
  const auto member = [&members](std::string_view key, const std::string& value) {
    members.push_back("  \"" + std::string(key) + "\": " + Json(MacRomanToUtf8(value)).dump());
  };
  if (!strings.name.empty()) member("name", strings.name);
  if (strings.volume) member("volume", *strings.volume);
  if (strings.probe) member("probe", *strings.probe);
  if (!strings.captions.empty()) {
    std::string text = "  \"captions\": {";
    const char* separator = "\n";
    for (const auto& [id, caption] : strings.captions) {
      text += separator;
      text += "    \"" + std::to_string(id) + "\": " + Json(MacRomanToUtf8(caption)).dump();
      separator = ",\n";
    }
    members.push_back(text + "\n  }");
  }
  std::string text = "{";
  const char* separator = "\n";
  for (const std::string& line : members) {
    text += separator + line;
    separator = ",\n";
  }
  return text + "\n}\n";
}

}  // namespace lw
