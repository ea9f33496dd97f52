// What the file dialogs show: the filter of each file type the runtime asks for, name patterns
// matched without regard to case (copies of discs often change the case of names), and the
// listing of a folder.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace lw {

// The file types a dialog is asked for, as four-character codes (first character most
// significant).
namespace file_type {
inline constexpr std::uint32_t kSavedGame = 0x5254444F;  // 'RTDO'
inline constexpr std::uint32_t kMovie = 0x4D4F4F56;      // 'MOOV'
inline constexpr std::uint32_t kStarFile = 0x53544152;   // 'STAR'
inline constexpr std::uint32_t kText = 0x54455854;       // 'TEXT'
}  // namespace file_type

// One entry of a filter text: its name and its patterns ("*.rtd", several separated by ';').
struct FilterPair {
  std::string name;
  std::string pattern;
};

// The pairs of a filter text "name!pattern!name!pattern!!": '!' separates the fields and a
// doubled '!' (or the end) ends the list; a name without a pattern is dropped.
[[nodiscard]] std::vector<FilterPair> ParseFilterText(std::string_view text);

// What a dialog for one file type offers: the first pair of the type's filter text from the
// string table, the extension a typed name without one gets, and the name the field starts with.
// A type the runtime does not know lists every file.
struct FileTypeFilter {
  std::string name;
  std::string pattern;
  std::string defaultExtension;
  std::string initialName;
};
[[nodiscard]] FileTypeFilter FilterForType(std::uint32_t type);

// True when `name` matches one of `patterns` (separated by ';'), where '*' stands for any run
// of characters and '?' for one, without regard to case.
[[nodiscard]] bool MatchesPattern(std::string_view name, std::string_view patterns);
// True when a typed name is a pattern rather than a file name.
[[nodiscard]] bool IsPattern(std::string_view name);

struct FolderEntry {
  std::string name;
  bool folder = false;
};

// A folder's contents as a dialog lists them: ".." first (except at the root), then the
// subfolders, then the files that match `pattern`, each group sorted without regard to case.
// Hidden names (starting with '.') are left out; a folder that cannot be read lists only "..".
[[nodiscard]] std::vector<FolderEntry> ListFolder(const std::filesystem::path& folder,
                                                  std::string_view pattern);

// The entry of `folder` whose name equals `name` without regard to case (an exact match
// first), or an empty string when there is none.
[[nodiscard]] std::string FindNameIgnoringCase(const std::filesystem::path& folder,
                                               std::string_view name);

}  // namespace lw
