#include "platform/posix/system_info.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <limits>
#include <string_view>
#include <system_error>

namespace lw::platform {
namespace fs = std::filesystem;
namespace {

constexpr int kOctalEscapeDigits = 3;  // mount table: "\040" is a space
constexpr int kHexEscapeDigits = 2;    // label links: "\x20" is a space
constexpr int kOctalBase = 8;
constexpr int kHexBase = 16;
constexpr int kDecimalBase = 10;
constexpr std::uint64_t kKibibyte = 1024;

// /proc/meminfo: one "Key:   value kB" line per figure.
constexpr std::string_view kAvailableKey = "MemAvailable:";
constexpr std::string_view kFreeKey = "MemFree:";
constexpr std::string_view kBuffersKey = "Buffers:";
constexpr std::string_view kCachedKey = "Cached:";

// The value of a digit in `base`, or -1.
int DigitValue(char c, int base) {
  int value = -1;
  if (c >= '0' && c <= '9')
    value = c - '0';
  else if (c >= 'a' && c <= 'f')
    value = c - 'a' + kDecimalBase;
  else if (c >= 'A' && c <= 'F')
    value = c - 'A' + kDecimalBase;
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

// A path with symbolic links resolved, or the path as given when it cannot be resolved.
std::string Resolved(const fs::path& path) {
  std::error_code error;
  const fs::path resolved = fs::canonical(path, error);
  return (error ? path.lexically_normal() : resolved).string();
}

// The kibibytes after `key` on a meminfo line that starts with it, in bytes; nothing when the
// line is another figure's or its number cannot be read.
std::optional<std::uint64_t> FigureOf(std::string_view line, std::string_view key) {
  if (!line.starts_with(key)) return std::nullopt;
  std::string_view rest = line.substr(key.size());
  rest.remove_prefix(std::min(rest.find_first_not_of(' '), rest.size()));
  std::uint64_t kib = 0;
  const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), kib);
  if (error != std::errc{} || end == rest.data()) return std::nullopt;
  if (kib > std::numeric_limits<std::uint64_t>::max() / kKibibyte) return std::nullopt;
  return kib * kKibibyte;
}

}  // namespace

MemoryFigures PosixSystemInfo::memory() const {
  MemoryFigures figures;
  const std::pair<std::string_view, std::optional<std::uint64_t>*> keys[] = {
      {kAvailableKey, &figures.available},
      {kFreeKey, &figures.free},
      {kBuffersKey, &figures.buffers},
      {kCachedKey, &figures.cached},
  };
  std::ifstream in(files_.meminfo);
  std::string line;
  while (in && std::getline(in, line)) {
    for (const auto& [key, figure] : keys) {
      if (auto value = FigureOf(line, key)) *figure = value;
    }
  }
  return figures;
}

// "device mountpoint type options dump pass" per line; lines without a device and a mount point
// are skipped.
std::vector<MountedFilesystem> PosixSystemInfo::mounts() const {
  std::vector<MountedFilesystem> entries;
  std::ifstream in(files_.mountTable);
  std::string line;
  while (in && std::getline(in, line)) {
    const std::string_view text = line;
    const std::size_t deviceEnd = text.find(' ');
    if (deviceEnd == std::string_view::npos || deviceEnd == 0) continue;
    const std::string_view rest = text.substr(deviceEnd + 1);
    const std::string_view point = rest.substr(0, rest.find(' '));
    if (point.empty()) continue;
    std::string device =
        DecodeEscapes(text.substr(0, deviceEnd), "\\", kOctalEscapeDigits, kOctalBase);
    if (fs::path(device).is_absolute()) device = Resolved(device);
    entries.push_back(
        {std::move(device), DecodeEscapes(point, "\\", kOctalEscapeDigits, kOctalBase)});
  }
  return entries;
}

std::vector<FilesystemLabel> PosixSystemInfo::labels() const {
  std::vector<FilesystemLabel> labels;
  std::error_code error;
  fs::directory_iterator it(files_.labelDirectory, error);
  for (; !error && it != fs::directory_iterator(); it.increment(error)) {
    const std::string name = it->path().filename().string();
    labels.push_back(
        {DecodeEscapes(name, "\\x", kHexEscapeDigits, kHexBase), Resolved(it->path())});
  }
  std::sort(labels.begin(), labels.end(),
            [](const FilesystemLabel& a, const FilesystemLabel& b) { return a.label < b.label; });
  return labels;
}

const SystemInfo& HostSystem() {
  static const PosixSystemInfo host;
  return host;
}

}  // namespace lw::platform
