#include "shell/message_texts.h"

#include <array>
#include <charconv>
#include <optional>

#include "resources/program_resources.h"

namespace lw {
namespace {

// Where a text of the string table names the title.
constexpr std::string_view kTitleMarker = "{title}";

// The decimal text of a number.
std::string DecimalText(std::int32_t value) {
  std::array<char, 16> digits{};
  const auto [end, error] = std::to_chars(digits.data(), digits.data() + digits.size(), value);
  return error == std::errc{} ? std::string(digits.data(), end) : std::string();
}

}  // namespace

std::string MessageTexts::text(int id) const {
  const std::optional<std::string_view> pattern = StringTableText(id);
  return pattern ? withTitle(*pattern) : std::string();
}

std::string MessageTexts::format(int id, std::int32_t first, std::int32_t second) const {
  const std::optional<std::string_view> pattern = StringTableText(id);
  return pattern ? withTitle(FormatMessageText(*pattern, first, second)) : std::string();
}

std::string MessageTexts::formatNamed(int id, std::string_view name, std::int32_t first,
                                      std::int32_t second) const {
  constexpr std::string_view kTextField = "%s";
  const std::optional<std::string_view> pattern = StringTableText(id);
  if (!pattern) return {};
  // The numbers go in first, so that a name holding "%d" stays as it is.
  std::string filled = FormatMessageText(*pattern, first, second);
  if (const std::size_t field = filled.find(kTextField); field != std::string::npos)
    filled.replace(field, kTextField.size(), name);
  return withTitle(filled);
}

std::string MessageTexts::withTitle(std::string_view pattern) const {
  std::string out;
  for (std::size_t pos = 0; pos < pattern.size();) {
    if (pattern.substr(pos, kTitleMarker.size()) == kTitleMarker) {
      out += titleName_;
      pos += kTitleMarker.size();
    } else {
      out.push_back(pattern[pos++]);
    }
  }
  return out;
}

std::string FormatMessageText(std::string_view pattern, std::int32_t first, std::int32_t second) {
  constexpr std::string_view kIntField = "%d";
  constexpr std::string_view kLongField = "%ld";
  const std::array<std::int32_t, 2> values = {first, second};
  std::size_t filled = 0;
  std::string out;
  for (std::size_t pos = 0; pos < pattern.size();) {
    const std::string_view rest = pattern.substr(pos);
    std::size_t fieldLength = 0;
    if (rest.starts_with(kIntField))
      fieldLength = kIntField.size();
    else if (rest.starts_with(kLongField))
      fieldLength = kLongField.size();
    if (fieldLength != 0 && filled < values.size()) {
      out += DecimalText(values[filled++]);
      pos += fieldLength;
    } else {
      out.push_back(pattern[pos++]);
    }
  }
  return out;
}

}  // namespace lw
