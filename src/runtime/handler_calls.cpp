#include "runtime/handler_calls.h"

#include <algorithm>
#include <array>

#include "script/fold.h"

namespace lw {
namespace {

constexpr std::uint8_t kDoubleQuote = '"';
constexpr std::uint8_t kReturn = '\r';

struct NamedKey {
  std::uint8_t character;
  std::string_view name;
};

constexpr std::array<NamedKey, 6> kNamedKeys = {{
    {key_character::kUpArrow, "uparrow"},
    {key_character::kDownArrow, "downarrow"},
    {key_character::kLeftArrow, "leftarrow"},
    {key_character::kRightArrow, "rightarrow"},
    {kDoubleQuote, "quote"},
    {kReturn, "return"},
}};

// One entry of the command-key table: an upper-case key and its command number.
struct CommandKey {
  std::uint8_t key;
  int command;
};

namespace command {
constexpr int kQuit = 204;
constexpr int kMessage = 407;
constexpr int kVolume0 = 501;
constexpr int kVolume9 = 510;
}  // namespace command

constexpr std::array<CommandKey, 12> kCommandKeys = {{
    {'0', command::kVolume0},
    {'1', command::kVolume0 + 1},
    {'2', command::kVolume0 + 2},
    {'3', command::kVolume0 + 3},
    {'4', command::kVolume0 + 4},
    {'5', command::kVolume0 + 5},
    {'6', command::kVolume0 + 6},
    {'7', command::kVolume0 + 7},
    {'8', command::kVolume0 + 8},
    {'9', command::kVolume9},
    {'M', command::kMessage},
    {'Q', command::kQuit},
}};
static_assert(command::kVolume0 + 9 == command::kVolume9);

constexpr std::array<std::string_view, command::kVolume9 - command::kVolume0 + 1> kVolumeItems = {
    "volume 0", "volume 1", "volume 2", "volume 3", "volume 4",
    "volume 5", "volume 6", "volume 7", "volume 8", "volume 9",
};

// name("argument") with the argument between double quotes.
std::string QuotedCall(std::string_view name, std::string_view argument) {
  std::string text(name);
  text += "(\"";
  text += argument;
  text += "\")";
  return text;
}

constexpr std::uint8_t UpperCase(std::uint8_t c) {
  return (c >= 'a' && c <= 'z') ? static_cast<std::uint8_t>(c - 'a' + 'A') : c;
}

}  // namespace

std::string KeyName(std::uint8_t character) {
  const auto named =
      std::find_if(kNamedKeys.begin(), kNamedKeys.end(),
                   [character](const NamedKey& k) { return k.character == character; });
  if (named != kNamedKeys.end()) return std::string(named->name);
  return std::string(1, static_cast<char>(character));
}

std::string KeyDownCall(std::uint8_t character) {
  return QuotedCall("keydown", KeyName(character));
}

std::string KeyRepeatCall(std::uint8_t character) {
  return QuotedCall("keyrepeat", KeyName(character));
}

std::string MenuSelectCall(std::string_view item) { return QuotedCall("menuselect", item); }

std::string MouseDownCall(std::int32_t point) { return "mousedown(" + std::to_string(point) + ")"; }

std::optional<int> CommandForKey(std::uint8_t character) {
  const std::uint8_t key = UpperCase(character);
  const auto entry = std::find_if(kCommandKeys.begin(), kCommandKeys.end(),
                                  [key](const CommandKey& k) { return k.key == key; });
  if (entry == kCommandKeys.end()) return std::nullopt;
  return entry->command;
}

std::optional<std::string_view> MenuItemForCommand(int command) {
  if (command == command::kQuit) return kQuitItem;
  if (command == command::kMessage) return "message";
  if (command >= command::kVolume0 && command <= command::kVolume9) {
    return kVolumeItems[static_cast<std::size_t>(command - command::kVolume0)];
  }
  return std::nullopt;
}

// A handler begins with `code` and its name.
bool HasHandler(const CompiledScript& script, std::string_view name) {
  const std::span<const Token> tokens = script.tokens();
  for (std::size_t i = 0; i + 1 < tokens.size(); ++i) {
    if (tokens[i].code == tok::kCode && tokens[i + 1].code == tok::kName &&
        FoldEqual(script.textOf(i + 1), name)) {
      return true;
    }
  }
  return false;
}

}  // namespace lw
