#include "script/text_functions.h"

#include <array>
#include <charconv>
#include <cstddef>

#include "script/decimal_run.h"
#include "script/fold.h"

namespace lw {

namespace {

constexpr std::size_t kNumberTextSize = 12;  // "-2147483648" and a spare byte

// Whether `part` occurs at `pos` of `text` under the fold table; the caller keeps it in bounds.
bool MatchesAt(std::string_view text, std::size_t pos, std::string_view part) {
  return FoldEqual(text.substr(pos, part.size()), part);
}

// The first occurrence of `sep` in `text` at or after `from`, or npos. Positions are tried in
// increasing order up to the last one where `sep` still fits.
std::size_t FindFrom(std::string_view text, std::string_view sep, std::size_t from) {
  if (sep.size() > text.size()) return std::string_view::npos;
  for (std::size_t pos = from; pos + sep.size() <= text.size(); ++pos) {
    if (MatchesAt(text, pos, sep)) return pos;
  }
  return std::string_view::npos;
}

// The extent of word n (1-based) of `text` cut at the non-empty `sep`: the word starts at
// `start` and ends where the n-th separator starts. False when fewer than n separators exist.
bool LocateWordBeforeSeparator(std::string_view text, std::string_view sep, std::int32_t n,
                               std::size_t& start, std::size_t& end) {
  start = 0;
  for (std::int32_t word = 1;; ++word) {
    const std::size_t found = FindFrom(text, sep, start);
    if (found == std::string_view::npos) return false;
    if (word == n) {
      end = found;
      return true;
    }
    start = found + sep.size();
  }
}

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

PString NumberToText(std::int32_t n) {
  std::array<char, kNumberTextSize> digits{};
  const auto result = std::to_chars(digits.data(), digits.data() + digits.size(), n);
  return PString::truncated(
      std::string_view(digits.data(), static_cast<std::size_t>(result.ptr - digits.data())));
}

std::int32_t TextToNumber(std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size() && IsSpace(text[pos])) ++pos;
  bool negative = false;
  if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) {
    negative = text[pos] == '-';
    ++pos;
  }
  std::size_t end = pos;
  while (end < text.size() && IsDigit(text[end])) ++end;
  const auto magnitude = static_cast<std::uint32_t>(DecimalRunValue(text.substr(pos, end - pos)));
  return static_cast<std::int32_t>(negative ? 0U - magnitude : magnitude);
}

std::int32_t FindSubstring(std::string_view text, std::string_view part) {
  if (part.empty()) return -1;
  const std::size_t found = FindFrom(text, part, 0);
  return found == std::string_view::npos ? -1 : static_cast<std::int32_t>(found + 1);
}

PString FindWord(std::string_view text, std::string_view sep, std::int32_t n) {
  if (sep.empty()) {
    if (n < 1 || static_cast<std::size_t>(n) > text.size()) return {};
    return PString::truncated(text.substr(static_cast<std::size_t>(n - 1), 1));
  }
  if (sep.size() > text.size()) return {};
  if (n < 1) n = 1;
  std::size_t start = 0;
  for (std::int32_t word = 1;; ++word) {
    const std::size_t found = FindFrom(text, sep, start);
    if (found == std::string_view::npos) {
      // No more separators: what follows the last one is the last word.
      return word == n ? PString::truncated(text.substr(start)) : PString{};
    }
    if (word == n) return PString::truncated(text.substr(start, found - start));
    start = found + sep.size();
  }
}

// The separator is appended first so that the last word ends in a separator too; every word
// is then the text before some separator occurrence.
bool PutWord(std::string_view text, std::string_view sep, std::int32_t n, std::string_view word,
             PString& out) {
  out.clear();
  if (sep.empty()) {
    if (n < 1 || static_cast<std::size_t>(n) > text.size() + 1) return true;
    const auto at = static_cast<std::size_t>(n - 1);
    PString rebuilt;
    const bool fits = rebuilt.assign(text.substr(0, at)) && rebuilt.append(word) &&
                      rebuilt.append(text.substr(at));
    if (!fits) return false;
    out = rebuilt;
    return true;
  }
  PString closed;
  if (!closed.assign(text) || !closed.append(sep)) return false;
  if (n < 1) n = 1;
  std::size_t start = 0;
  std::size_t end = 0;
  if (!LocateWordBeforeSeparator(closed.view(), sep, n, start, end)) return true;
  PString rebuilt;
  const bool fits = rebuilt.assign(closed.view().substr(0, start)) && rebuilt.append(word) &&
                    rebuilt.append(closed.view().substr(end));
  if (!fits) return false;
  out.assign(rebuilt.view().substr(0, rebuilt.size() - sep.size()));
  return true;
}

}  // namespace lw
