#include "shell/dialogs/file_dialog_list.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>
#include <system_error>

#include "resources/program_resources.h"

namespace lw {
namespace {

constexpr char kFieldSeparator = '!';
constexpr char kPatternSeparator = ';';

// A file type, the string-table text of its filter (and the text itself, used while the table
// lacks it), and what its dialog's name field offers.
struct TypeFilterText {
  std::uint32_t type;
  int textId;
  std::string_view filterText;
  std::string_view defaultExtension;
  std::string_view initialName;
};

constexpr std::array<TypeFilterText, 4> kTypeFilters{{
    {file_type::kSavedGame, 148, "Saved games (.RTD)!*.rtd!!", "RTD", "*.rtd"},
    {file_type::kText, 149, "Text files (.TXT)!*.txt!!", "", ""},
    {file_type::kMovie, 150, "Movies (.MOV)!*.mov!!", "", ""},
    {file_type::kStarFile, 151, "Star files (.STR)!*.str!!", "", ""},
}};

constexpr std::string_view kAllFilesName = "All files";
constexpr std::string_view kAllFilesPattern = "*";

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return Lower(x) == Lower(y); });
}

bool LessIgnoringCase(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [](char x, char y) { return Lower(x) < Lower(y); });
}

// One pattern against a whole name: '*' runs, '?' one character, others equal ignoring case.
// After a mismatch the last '*' takes one more character (linear backtracking).
bool MatchOne(std::string_view name, std::string_view pattern) {
  std::size_t n = 0;
  std::size_t p = 0;
  std::optional<std::size_t> star;
  std::size_t starName = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      starName = n;
    } else if (p < pattern.size() && (pattern[p] == '?' || Lower(pattern[p]) == Lower(name[n]))) {
      ++p;
      ++n;
    } else if (star) {
      p = *star + 1;
      n = ++starName;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

bool Hidden(std::string_view name) { return !name.empty() && name.front() == '.'; }

}  // namespace

std::vector<FilterPair> ParseFilterText(std::string_view text) {
  std::vector<std::string_view> fields;
  while (true) {
    const std::size_t end = text.find(kFieldSeparator);
    fields.push_back(text.substr(0, end));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  std::vector<FilterPair> pairs;
  for (std::size_t i = 0; i + 1 < fields.size(); i += 2) {
    if (fields[i].empty() || fields[i + 1].empty()) break;
    pairs.push_back(FilterPair{std::string(fields[i]), std::string(fields[i + 1])});
  }
  return pairs;
}

FileTypeFilter FilterForType(std::uint32_t type) {
  const auto known = std::find_if(kTypeFilters.begin(), kTypeFilters.end(),
                                  [&](const TypeFilterText& entry) { return entry.type == type; });
  if (known == kTypeFilters.end())
    return FileTypeFilter{std::string(kAllFilesName), std::string(kAllFilesPattern), "", ""};
  const std::string_view text = StringTableText(known->textId).value_or(known->filterText);
  std::vector<FilterPair> pairs = ParseFilterText(text);
  if (pairs.empty()) pairs = ParseFilterText(known->filterText);
  return FileTypeFilter{pairs.front().name, pairs.front().pattern,
                        std::string(known->defaultExtension), std::string(known->initialName)};
}

bool MatchesPattern(std::string_view name, std::string_view patterns) {
  while (true) {
    const std::size_t end = patterns.find(kPatternSeparator);
    if (MatchOne(name, patterns.substr(0, end))) return true;
    if (end == std::string_view::npos) return false;
    patterns.remove_prefix(end + 1);
  }
}

bool IsPattern(std::string_view name) { return name.find_first_of("*?") != std::string_view::npos; }

std::vector<FolderEntry> ListFolder(const std::filesystem::path& folder, std::string_view pattern) {
  std::vector<FolderEntry> folders;
  std::vector<FolderEntry> files;
  std::error_code error;
  std::filesystem::directory_iterator it(folder, error);
  for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
    std::string name = it->path().filename().string();
    if (Hidden(name)) continue;
    std::error_code kindError;
    if (it->is_directory(kindError))
      folders.push_back(FolderEntry{std::move(name), true});
    else if (MatchesPattern(name, pattern))
      files.push_back(FolderEntry{std::move(name), false});
  }
  const auto byName = [](const FolderEntry& a, const FolderEntry& b) {
    return LessIgnoringCase(a.name, b.name);
  };
  std::sort(folders.begin(), folders.end(), byName);
  std::sort(files.begin(), files.end(), byName);

  std::vector<FolderEntry> entries;
  if (folder.has_relative_path()) entries.push_back(FolderEntry{"..", true});
  entries.insert(entries.end(), folders.begin(), folders.end());
  entries.insert(entries.end(), files.begin(), files.end());
  return entries;
}

std::string FindNameIgnoringCase(const std::filesystem::path& folder, std::string_view name) {
  std::error_code error;
  if (std::filesystem::exists(folder / name, error)) return std::string(name);
  // Of several names that differ only in case, the first in byte order, whatever order the
  // folder lists them in.
  std::string found;
  std::filesystem::directory_iterator it(folder, error);
  for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
    std::string candidate = it->path().filename().string();
    if (EqualIgnoringCase(candidate, name) && (found.empty() || candidate < found))
      found = std::move(candidate);
  }
  return found;
}

}  // namespace lw
