#include "runtime/saved_game_summary.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <optional>
#include <system_error>
#include <utility>

#include "common/mac_roman.h"
#include "media/star_file.h"
#include "runtime/saved_game_thumbnail.h"
#include "shell/dialogs/file_dialog_list.h"

namespace lw {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kSavedGameType = "RTDO";
constexpr std::int32_t kIdentityRecord = 0;
// A thumbnail record is never longer than its header and a picture of the largest size.
constexpr std::uint32_t kLongestThumbnail = 8 + kThumbnailMaxWidth * kThumbnailMaxHeight * 3;
constexpr std::size_t kDateTextSize = sizeof "2026-12-08 11:30";

// "2026-12-08 11:30" for a file time, in local time.
std::string DateText(std::time_t when) {
  std::tm local{};
  if (::localtime_r(&when, &local) == nullptr) return {};
  char text[kDateTextSize] = {};
  if (std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local) == 0) return {};
  return text;
}

// The identity text of record 0, or nothing when the record is missing or shorter than the field.
std::optional<std::string> ReadIdentity(StarFile& file) {
  if (file.header().nextId <= static_cast<std::uint32_t>(kIdentityRecord)) return std::nullopt;
  RecordBlock record;
  if (file.ReadRecord(kIdentityRecord, record) != ProgramCode::kOk ||
      record.size() < kIdentityFieldSize)
    return std::nullopt;
  const std::size_t length = record[0];
  return std::string(record.begin() + 1, record.begin() + 1 + static_cast<std::ptrdiff_t>(length));
}

// The thumbnail in the last record, if that record is one.
ThumbnailPicture ReadThumbnail(StarFile& file) {
  const std::uint32_t nextId = file.header().nextId;
  if (nextId <= 1) return {};  // record 0 is the identity, not a picture
  const auto last = static_cast<std::int32_t>(nextId - 1);
  std::uint32_t length = 0;
  if (file.RecordLength(last, length) != ProgramCode::kOk || length > kLongestThumbnail) return {};
  RecordBlock record;
  if (file.ReadRecord(last, record) != ProgramCode::kOk) return {};
  return DecodeThumbnail(record).value_or(ThumbnailPicture{});
}

struct DatedEntry {
  std::time_t written = 0;
  SavedGameEntry entry;
};

std::optional<DatedEntry> Summarise(FileAccess& files, const fs::path& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  std::unique_ptr<StarFile> file;
  if (StarFile::Open(files, path.string(), 0, file) != ProgramCode::kOk) return std::nullopt;
  if (file->header().fileType != FourCharCode(kSavedGameType)) return std::nullopt;
  std::optional<std::string> identity = ReadIdentity(*file);
  if (!identity) return std::nullopt;
  SavedGameEntry entry{path, std::move(*identity), DateText(info.st_mtime), ReadThumbnail(*file)};
  return DatedEntry{info.st_mtime, std::move(entry)};
}

// The title name as one folder name, or nothing when it cannot be one.
std::optional<std::string> FolderName(std::string_view titleName) {
  std::string name = MacRomanToUtf8(titleName);
  std::replace(name.begin(), name.end(), '/', '_');
  std::replace(name.begin(), name.end(), ':', '_');
  if (name.empty() || name == "." || name == ".." || name.find('\0') != std::string::npos)
    return std::nullopt;
  return name;
}

std::optional<fs::path> DataHome() {
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && xdg[0] == '/')
    return fs::path(xdg);
  if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/')
    return fs::path(home) / ".local" / "share";
  return std::nullopt;
}

}  // namespace

Expected<fs::path, std::string> SavedGamesFolder(std::string_view titleName) {
  const std::optional<std::string> name = FolderName(titleName);
  if (!name) return Unexpected(std::string("the title name cannot name a folder"));
  const std::optional<fs::path> home = DataHome();
  if (!home) return Unexpected(std::string("neither XDG_DATA_HOME nor HOME names a folder"));
  const fs::path folder = *home / "loomwork" / "saves" / *name;
  std::error_code error;
  fs::create_directories(folder, error);
  if (error || !fs::is_directory(folder, error))
    return Unexpected(folder.string() + ": " + (error ? error.message() : "not a folder"));
  return folder;
}

std::vector<SavedGameEntry> ListSavedGames(FileAccess& files, const fs::path& folder) {
  std::vector<DatedEntry> found;
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    const fs::path& path = it->path();
    // The file layer reads colon paths, so a name holding a colon would name another file.
    if (path.string().find(':') != std::string::npos) continue;
    if (!MatchesPattern(path.filename().string(), kSavedGamePattern)) continue;
    if (std::optional<DatedEntry> entry = Summarise(files, path))
      found.push_back(std::move(*entry));
  }
  std::sort(found.begin(), found.end(), [](const DatedEntry& a, const DatedEntry& b) {
    return a.written != b.written ? a.written > b.written : a.entry.path < b.entry.path;
  });
  std::vector<SavedGameEntry> entries;
  entries.reserve(found.size());
  for (DatedEntry& dated : found) entries.push_back(std::move(dated.entry));
  return entries;
}

}  // namespace lw
