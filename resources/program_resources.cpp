#include "resources/program_resources.h"

#include <algorithm>
#include <vector>

#include "embedded_resources.h"

namespace lw {
namespace {

// Names are upper case; only 'a'..'z' change, as in the rest of the system's name handling.
std::string UpperCase(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

// The cursors as CursorImage values, made on first use and kept for the program's lifetime so
// that the pointers handed out stay valid.
const std::vector<platform::CursorImage>& CursorImages() {
  static const std::vector<platform::CursorImage> images = [] {
    std::vector<platform::CursorImage> out;
    for (const embedded::CursorSource& source : embedded::Cursors()) {
      out.push_back({source.width,
                     source.height,
                     source.hotSpot,
                     {source.pixels.begin(), source.pixels.end()}});
    }
    return out;
  }();
  return images;
}

}  // namespace

std::string NamedResourceName(std::string_view type, std::string_view name) {
  return UpperCase(type) + "." + UpperCase(name);
}

std::string NumberedResourceName(std::string_view type, int number) {
  return UpperCase(type) + std::to_string(number);
}

std::optional<std::span<const std::uint8_t>> FindRawResource(std::string_view name) {
  for (const embedded::RawResource& resource : embedded::RawResources()) {
    if (resource.name == name) return resource.bytes;
  }
  return std::nullopt;
}

const platform::CursorImage* FindCursorResource(std::string_view name) {
  const std::span<const embedded::CursorSource> sources = embedded::Cursors();
  for (std::size_t i = 0; i < sources.size(); ++i) {
    if (sources[i].name == name) return &CursorImages()[i];
  }
  return nullptr;
}

std::span<const std::uint8_t> ProgramIconRgba() { return embedded::IconRgba(); }

std::optional<std::string_view> StringTableText(int id) {
  const std::span<const embedded::StringEntry> strings = embedded::Strings();
  const auto found = std::lower_bound(
      strings.begin(), strings.end(), id,
      [](const embedded::StringEntry& entry, int wanted) { return entry.id < wanted; });
  if (found == strings.end() || found->id != id) return std::nullopt;
  return found->text;
}

}  // namespace lw
