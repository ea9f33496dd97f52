#include "shell/files/volume_map.h"

#include <algorithm>
#include <fstream>
#include <system_error>

namespace lw {
namespace fs = std::filesystem;
namespace {

constexpr char kColon = ':';
constexpr std::string_view kTitleVolume = "appl";
constexpr std::size_t kDriveLetterLength = 1;
constexpr int kOctalEscapeDigits = 3;  // mount table: "\040" is a space
constexpr int kHexEscapeDigits = 2;    // label links: "\x20" is a space
constexpr int kOctalBase = 8;
constexpr int kHexBase = 16;

// ASCII letters folded to lower case; other bytes unchanged.
char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return FoldAscii(x) == FoldAscii(y);
         });
}

// The value of a digit in `base`, or -1.
int DigitValue(char c, int base) {
  int value = -1;
  if (c >= '0' && c <= '9')
    value = c - '0';
  else if (c >= 'a' && c <= 'f')
    value = c - 'a' + 10;
  else if (c >= 'A' && c <= 'F')
    value = c - 'A' + 10;
  return value < base ? value : -1;
}

// Decodes the escapes `prefix` + `digits` digits in `base` (such as "\040" or "\x20"); anything
// that is not a complete escape is kept as written.
std::string DecodeEscapes(std::string_view text, std::string_view prefix, int digits, int base) {
  std::string out;
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t end = pos + prefix.size() + static_cast<std::size_t>(digits);
    if (text.substr(pos).starts_with(prefix) && end <= text.size()) {
      int value = 0;
      bool complete = true;
      for (std::size_t i = pos + prefix.size(); i < end && complete; ++i) {
        const int digit = DigitValue(text[i], base);
        complete = digit >= 0;
        value = value * base + digit;
      }
      if (complete && value <= 0xFF) {
        out.push_back(static_cast<char>(value));
        pos = end;
        continue;
      }
    }
    out.push_back(text[pos++]);
  }
  return out;
}

// A mount table field with its "\ooo" escapes decoded.
std::string DecodeOctal(std::string_view field) {
  return DecodeEscapes(field, "\\", kOctalEscapeDigits, kOctalBase);
}

struct MountEntry {
  std::string device;
  fs::path mountPoint;
};

// The mount table: "device mountpoint type options dump pass" per line, fields separated by
// spaces, with spaces and other awkward bytes of the first two fields written as "\ooo".
// A missing or unreadable table reads as empty.
std::vector<MountEntry> ReadMountTable(const fs::path& table) {
  std::vector<MountEntry> entries;
  std::ifstream in(table);
  std::string line;
  while (in && std::getline(in, line)) {
    const std::string_view text = line;
    const std::size_t deviceEnd = text.find(' ');
    if (deviceEnd == std::string_view::npos || deviceEnd == 0) continue;
    const std::string_view rest = text.substr(deviceEnd + 1);
    const std::string_view point = rest.substr(0, rest.find(' '));
    if (point.empty()) continue;
    entries.push_back({DecodeOctal(text.substr(0, deviceEnd)), fs::path(DecodeOctal(point))});
  }
  return entries;
}

// True when `path` lies below `root` (not `root` itself).
bool IsBelow(const fs::path& path, const fs::path& root) {
  const fs::path relative = path.lexically_normal().lexically_relative(root.lexically_normal());
  if (relative.empty() || relative == ".") return false;
  return *relative.begin() != "..";
}

// The last directory name of a path, ignoring a trailing separator.
std::string LastName(const fs::path& path) {
  fs::path normal = path.lexically_normal();
  if (!normal.has_filename() && normal.has_parent_path() && normal != normal.root_path())
    normal = normal.parent_path();
  return normal.filename().string();
}

// A path with symbolic links resolved, or the path as given when it cannot be resolved.
fs::path Resolved(const fs::path& path) {
  std::error_code error;
  fs::path resolved = fs::canonical(path, error);
  return error ? path.lexically_normal() : resolved;
}

// The entry names of a folder in sorted order (empty when it cannot be listed).
std::vector<std::string> SortedEntryNames(const fs::path& folder) {
  std::vector<std::string> names;
  std::error_code error;
  fs::directory_iterator it(folder.empty() ? fs::path(".") : folder, error);
  for (; !error && it != fs::directory_iterator(); it.increment(error))
    names.push_back(it->path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

VolumeMap::VolumeMap(fs::path titleFolder, MountSources mounts)
    : titleFolder_(std::move(titleFolder)), mounts_(std::move(mounts)) {}

void VolumeMap::addVolume(std::string name, fs::path root) {
  volumes_.emplace_back(std::move(name), std::move(root));
}

std::string VolumeMap::MapPath(std::string_view colonPath) const {
  const std::size_t colon = colonPath.find(kColon);
  if (colon == std::string_view::npos || colon == kDriveLetterLength) return std::string(colonPath);
  const std::string_view volume = colonPath.substr(0, colon);

  fs::path result;
  if (EqualIgnoringCase(volume, kTitleVolume)) {
    result = titleFolder_;
  } else if (std::optional<fs::path> root = FindVolume(volume)) {
    result = *root;
  }
  // Each further element is matched to the entry on disc; "a::b" and a trailing ":" add nothing.
  std::string_view rest = colonPath.substr(colon + 1);
  while (!rest.empty()) {
    const std::size_t next = rest.find(kColon);
    const std::string_view element = rest.substr(0, next);
    if (!element.empty()) result = JoinMatchingCase(result, element);
    rest = next == std::string_view::npos ? std::string_view() : rest.substr(next + 1);
  }
  return result.string();
}

std::optional<fs::path> VolumeMap::FindVolume(std::string_view name) const {
  if (name.empty()) return std::nullopt;
  // Roots given by the user; the latest addition of a name wins.
  for (auto it = volumes_.rbegin(); it != volumes_.rend(); ++it)
    if (EqualIgnoringCase(it->first, name)) return it->second;

  // A filesystem mounted under one of the mount roots in a folder of the volume's name.
  const std::vector<MountEntry> mounts = ReadMountTable(mounts_.mountTable);
  for (const MountEntry& mount : mounts) {
    const bool underRoot =
        std::any_of(mounts_.mountRoots.begin(), mounts_.mountRoots.end(),
                    [&](const fs::path& root) { return IsBelow(mount.mountPoint, root); });
    if (underRoot && EqualIgnoringCase(LastName(mount.mountPoint), name)) return mount.mountPoint;
  }

  // A filesystem whose label is the volume's name, wherever it is mounted. The label folder
  // holds links named by label, pointing at the device.
  for (const std::string& entry : SortedEntryNames(mounts_.labelDirectory)) {
    if (!EqualIgnoringCase(DecodeEscapes(entry, "\\x", kHexEscapeDigits, kHexBase), name)) continue;
    const fs::path device = Resolved(mounts_.labelDirectory / entry);
    for (const MountEntry& mount : mounts)
      if (fs::path(mount.device).is_absolute() && Resolved(mount.device) == device)
        return mount.mountPoint;
  }

  // A folder of the volume's name beside the title folder.
  std::error_code error;
  fs::path title = fs::absolute(titleFolder_, error);
  if (error) return std::nullopt;
  title = title.lexically_normal();
  if (!title.has_filename()) title = title.parent_path();
  const fs::path beside = JoinMatchingCase(title.parent_path(), name);
  if (fs::is_directory(beside, error)) return beside;
  return std::nullopt;
}

fs::path JoinMatchingCase(const fs::path& base, std::string_view element) {
  // An element is a name inside `base`: a leading "/" must not turn it into an absolute path.
  const fs::path exact = base / fs::path(element).relative_path();
  std::error_code error;
  if (fs::exists(fs::symlink_status(exact, error))) return exact;
  // Without an exact entry, the first case-insensitive match in sorted order, so that a folder
  // holding both "Intro.mov" and "INTRO.MOV" always gives the same one.
  for (const std::string& name : SortedEntryNames(base))
    if (EqualIgnoringCase(name, element)) return base / name;
  return exact;
}

}  // namespace lw
