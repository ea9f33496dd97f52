#include "apps/titlekit/script_text.h"

#include <algorithm>

#include "common/mac_roman.h"

namespace lw::titlekit {
namespace {

constexpr char kCarriageReturn = '\r';
constexpr char kLineFeed = '\n';
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

}  // namespace

Expected<std::string, ConversionFailure> Utf8ToScriptText(std::string_view utf8) {
  if (utf8.starts_with(kByteOrderMark)) utf8.remove_prefix(kByteOrderMark.size());
  std::string out;
  out.reserve(utf8.size());
  TextPosition here;
  while (!utf8.empty()) {
    const char c = utf8.front();
    if (c == kCarriageReturn || c == kLineFeed) {
      const bool crlf = c == kCarriageReturn && utf8.size() > 1 && utf8[1] == kLineFeed;
      utf8.remove_prefix(crlf ? 2 : 1);
      out.push_back(kCarriageReturn);
      here = {here.line + 1, 1};
      continue;
    }
    const auto taken = TakeMacRomanCharacter(utf8);
    if (!taken) return Unexpected{ConversionFailure{here, taken.error()}};
    out.push_back(static_cast<char>(taken->byte));
    utf8.remove_prefix(taken->length);
    ++here.column;
  }
  return out;
}

std::string ScriptTextToUtf8(std::string_view scriptText) {
  // A carriage return is never part of a longer UTF-8 sequence, so the line ends can be
  // replaced after the conversion.
  std::string out = MacRomanToUtf8(scriptText);
  std::replace(out.begin(), out.end(), kCarriageReturn, kLineFeed);
  return out;
}

TextPosition PositionInScriptText(std::string_view scriptText, std::size_t offset) {
  const std::string_view before = scriptText.substr(0, std::min(offset, scriptText.size()));
  const std::size_t lastBreak = before.rfind(kCarriageReturn);
  const std::size_t lineStart = lastBreak == std::string_view::npos ? 0 : lastBreak + 1;
  return {static_cast<int>(std::count(before.begin(), before.end(), kCarriageReturn)) + 1,
          static_cast<int>(before.size() - lineStart) + 1};
}

std::vector<std::uint32_t> LinesAtOffsets(std::string_view scriptText,
                                          std::span<const std::uint32_t> offsets) {
  std::vector<std::uint32_t> lines;
  lines.reserve(offsets.size());
  std::size_t counted = 0;  // the breaks before `counted` are in `line`
  std::uint32_t line = 1;
  for (const std::uint32_t offset : offsets) {
    const std::size_t end = std::min<std::size_t>(offset, scriptText.size());
    if (end < counted) {
      counted = 0;
      line = 1;
    }
    line += static_cast<std::uint32_t>(
        std::count(scriptText.begin() + static_cast<std::ptrdiff_t>(counted),
                   scriptText.begin() + static_cast<std::ptrdiff_t>(end), kCarriageReturn));
    counted = end;
    lines.push_back(line);
  }
  return lines;
}

}  // namespace lw::titlekit
