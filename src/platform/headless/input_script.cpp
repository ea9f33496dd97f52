#include "platform/headless/input_script.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "common/geometry.h"
#include "common/mac_roman.h"

namespace lw::platform {
namespace {

using Error = std::optional<std::string>;  // a message, or nothing when all is well

constexpr std::string_view kBlanks = " \t";
constexpr char kCommentMark = '#';
constexpr char kCarriageReturn = '\r';
constexpr std::uint8_t kFirstPrintable = 0x20;
constexpr std::uint8_t kDeleteCode = 0x7F;

// Keys with names, and the characters they give.
struct NamedKey {
  std::string_view name;
  Key key;
  std::uint8_t character;
};
constexpr std::array<NamedKey, 22> kNamedKeys = {{
    {"up", Key::kUp, 0},
    {"down", Key::kDown, 0},
    {"left", Key::kLeft, 0},
    {"right", Key::kRight, 0},
    {"esc", Key::kEscape, '\x1B'},
    {"return", Key::kReturn, '\r'},
    {"backspace", Key::kBackspace, '\b'},
    {"tab", Key::kTab, '\t'},
    {"space", Key::kCharacter, ' '},
    {"delete", Key::kDelete, 0},
    {"f1", Key::kF1, 0},
    {"f2", Key::kF2, 0},
    {"f3", Key::kF3, 0},
    {"f4", Key::kF4, 0},
    {"f5", Key::kF5, 0},
    {"f6", Key::kF6, 0},
    {"f7", Key::kF7, 0},
    {"f8", Key::kF8, 0},
    {"f9", Key::kF9, 0},
    {"f10", Key::kF10, 0},
    {"f11", Key::kF11, 0},
    {"f12", Key::kF12, 0},
}};

struct Prefix {
  std::string_view text;
  bool Modifiers::*flag;
};
constexpr std::array<Prefix, 3> kPrefixes = {{
    {"ctrl+", &Modifiers::ctrl},
    {"alt+", &Modifiers::alt},
    {"shift+", &Modifiers::shift},
}};

constexpr std::array<std::pair<std::string_view, BoxAnswer>, 7> kAnswers = {{
    {"ok", BoxAnswer::kOk},
    {"cancel", BoxAnswer::kCancel},
    {"yes", BoxAnswer::kYes},
    {"no", BoxAnswer::kNo},
    {"abort", BoxAnswer::kAbort},
    {"retry", BoxAnswer::kRetry},
    {"ignore", BoxAnswer::kIgnore},
}};

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Compares a word of the script with a lower-case name, without regard to case.
bool IsWord(std::string_view word, std::string_view lowerName) {
  return word.size() == lowerName.size() &&
         std::equal(word.begin(), word.end(), lowerName.begin(),
                    [](char a, char b) { return LowerAscii(a) == b; });
}

std::string_view Trim(std::string_view text) {
  const std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

// The line without its comment: from a '#' that starts the line or follows a blank.
std::string_view WithoutComment(std::string_view line) {
  for (std::size_t at = line.find(kCommentMark); at != std::string_view::npos;
       at = line.find(kCommentMark, at + 1)) {
    if (at == 0 || kBlanks.find(line[at - 1]) != std::string_view::npos) return line.substr(0, at);
  }
  return line;
}

std::vector<std::string_view> SplitWords(std::string_view text) {
  std::vector<std::string_view> words;
  for (std::size_t at = text.find_first_not_of(kBlanks); at != std::string_view::npos;) {
    const std::size_t end = std::min(text.find_first_of(kBlanks, at), text.size());
    words.push_back(text.substr(at, end - at));
    at = text.find_first_not_of(kBlanks, end);
  }
  return words;
}

// Takes the modifier prefixes off the front of `word`; a word that is nothing but a prefix
// ("alt+") stays whole, and so does a lone "+".
std::string_view TakePrefixes(std::string_view word, Modifiers& modifiers) {
  for (bool found = true; found;) {
    found = false;
    for (const Prefix& prefix : kPrefixes) {
      if (word.size() > prefix.text.size() &&
          IsWord(word.substr(0, prefix.text.size()), prefix.text)) {
        modifiers.*(prefix.flag) = true;
        word.remove_prefix(prefix.text.size());
        found = true;
      }
    }
  }
  return word;
}

// A key that gives a character: capitals are typed with Shift held, and Shift gives a letter's
// capital.
ScriptKey CharacterKey(std::uint8_t character, Modifiers modifiers) {
  if (character >= 'A' && character <= 'Z') {
    modifiers.shift = true;
  } else if (modifiers.shift && character >= 'a' && character <= 'z') {
    character = static_cast<std::uint8_t>(character - 'a' + 'A');
  }
  return {Key::kCharacter, character, modifiers};
}

// The character keys of a UTF-8 text.
Expected<std::vector<ScriptKey>, std::string> TextKeys(std::string_view text) {
  std::vector<ScriptKey> keys;
  while (!text.empty()) {
    auto taken = TakeMacRomanCharacter(text);
    if (!taken) return Unexpected(taken.error());
    if (taken->byte < kFirstPrintable || taken->byte == kDeleteCode)
      return Unexpected(std::string("a control character cannot be typed (name the key)"));
    keys.push_back(CharacterKey(taken->byte, {}));
    text.remove_prefix(taken->length);
  }
  return keys;
}

Expected<ScriptKey, std::string> ParseKey(std::string_view word) {
  Modifiers modifiers;
  const std::string_view name = TakePrefixes(word, modifiers);
  for (const NamedKey& named : kNamedKeys)
    if (IsWord(name, named.name)) return ScriptKey{named.key, named.character, modifiers};
  auto keys = TextKeys(name);
  if (!keys) return Unexpected(keys.error());
  if (keys->size() != 1) return Unexpected("unknown key '" + std::string(word) + "'");
  return CharacterKey(keys->front().character, modifiers);
}

Expected<std::uint32_t, std::string> ParseTicks(std::string_view word) {
  std::uint32_t ticks = 0;
  const auto [end, status] = std::from_chars(word.data(), word.data() + word.size(), ticks);
  if (status != std::errc() || end != word.data() + word.size() || ticks > kMaxScriptTicks) {
    return Unexpected("'" + std::string(word) + "' is not a number of ticks from 0 to " +
                      std::to_string(kMaxScriptTicks));
  }
  return ticks;
}

// A coordinate within [0, limit).
std::optional<std::int16_t> ParseCoordinate(std::string_view word, int limit) {
  int value = 0;
  const auto [end, status] = std::from_chars(word.data(), word.data() + word.size(), value);
  if (status != std::errc() || end != word.data() + word.size() || value < 0 || value >= limit)
    return std::nullopt;
  return Coord16(value);
}

// What follows an action's name: its words, and the whole rest of the line for texts.
struct Arguments {
  std::vector<std::string_view> words;
  std::string_view rest;
};

Error ParseWait(const Arguments& args, InputAction& action) {
  if (args.words.size() != 1) return "wait takes a number of ticks";
  auto ticks = ParseTicks(args.words[0]);
  if (!ticks) return ticks.error();
  action.ticks = *ticks;
  return std::nullopt;
}

Error ParseKeyAction(const Arguments& args, InputAction& action) {
  if (args.words.size() != 1) return "key takes one key";
  auto key = ParseKey(args.words[0]);
  if (!key) return key.error();
  action.keys = {*key};
  return std::nullopt;
}

Error ParseHold(const Arguments& args, InputAction& action) {
  if (args.words.size() != 2) return "hold takes a key and a number of ticks";
  auto key = ParseKey(args.words[0]);
  if (!key) return key.error();
  auto ticks = ParseTicks(args.words[1]);
  if (!ticks) return ticks.error();
  action.keys = {*key};
  action.ticks = *ticks;
  return std::nullopt;
}

// click, press, release and move: a canvas point, horizontal first.
Error ParsePoint(const Arguments& args, InputAction& action) {
  if (args.words.size() != 2) return "the mouse actions take a point: H V";
  const auto h = ParseCoordinate(args.words[0], kCanvasWidth);
  const auto v = ParseCoordinate(args.words[1], kCanvasHeight);
  if (!h || !v) {
    return "the point " + std::string(args.words[0]) + " " + std::string(args.words[1]) +
           " is not within the " + std::to_string(kCanvasWidth) + " x " +
           std::to_string(kCanvasHeight) + " canvas";
  }
  action.where = Point{*v, *h};
  return std::nullopt;
}

Error ParseFocus(const Arguments& args, InputAction& action) {
  if (args.words.size() == 1 && IsWord(args.words[0], "out")) {
    action.kind = ActionKind::kFocusOut;
  } else if (args.words.size() == 1 && IsWord(args.words[0], "in")) {
    action.kind = ActionKind::kFocusIn;
  } else {
    return "focus takes in or out";
  }
  return std::nullopt;
}

Error ParseAnswer(const Arguments& args, InputAction& action) {
  if (args.words.size() == 1) {
    for (const auto& [name, answer] : kAnswers) {
      if (IsWord(args.words[0], name)) {
        action.answer = answer;
        return std::nullopt;
      }
    }
  }
  return "answer takes one of ok, cancel, yes, no, abort, retry, ignore";
}

Error ParseChoose(const Arguments& args, InputAction& action) {
  if (args.rest.empty()) return "choose takes a path or cancel";
  if (!IsWord(args.rest, "cancel")) action.text = std::string(args.rest);
  return std::nullopt;
}

Error ParseType(const Arguments& args, InputAction& action) {
  if (args.rest.empty()) return "type takes a text";
  auto keys = TextKeys(args.rest);
  if (!keys) return keys.error();
  action.keys = std::move(*keys);
  return std::nullopt;
}

Error ParseScreenshot(const Arguments& args, InputAction& action) {
  if (args.rest.empty()) return "screenshot takes a file name";
  action.text = std::string(args.rest);
  return std::nullopt;
}

// The line is kept in Mac Roman, the form in which the message box holds what is typed into it.
Error ParseConsole(const Arguments& args, InputAction& action) {
  if (args.rest.empty()) return "console takes a line to run";
  for (std::string_view text = args.rest; !text.empty();) {
    auto taken = TakeMacRomanCharacter(text);
    if (!taken) return taken.error();
    action.text.push_back(static_cast<char>(taken->byte));
    text.remove_prefix(taken->length);
  }
  if (action.text.size() > kMaxConsoleLine) {
    return "the console line has " + std::to_string(action.text.size()) +
           " characters; the message box holds " + std::to_string(kMaxConsoleLine);
  }
  return std::nullopt;
}

Error ParseQuit(const Arguments& args, InputAction& /*action*/) {
  if (!args.words.empty()) return "quit takes nothing";
  return std::nullopt;
}

struct ActionSyntax {
  std::string_view name;
  ActionKind kind;
  bool takesPrefixes;
  Error (*parse)(const Arguments&, InputAction&);
};
constexpr std::array<ActionSyntax, 14> kActions = {{
    {"wait", ActionKind::kWait, false, ParseWait},
    {"key", ActionKind::kKey, false, ParseKeyAction},
    {"hold", ActionKind::kHold, false, ParseHold},
    {"click", ActionKind::kClick, true, ParsePoint},
    {"press", ActionKind::kPress, true, ParsePoint},
    {"release", ActionKind::kRelease, false, ParsePoint},
    {"move", ActionKind::kMove, false, ParsePoint},
    {"focus", ActionKind::kFocusOut, false, ParseFocus},
    {"answer", ActionKind::kAnswer, false, ParseAnswer},
    {"choose", ActionKind::kChoose, false, ParseChoose},
    {"type", ActionKind::kType, false, ParseType},
    {"screenshot", ActionKind::kScreenshot, false, ParseScreenshot},
    {"console", ActionKind::kConsole, false, ParseConsole},
    {"quit", ActionKind::kQuit, false, ParseQuit},
}};

// Parses one line that holds an action (comment and blanks already gone).
Error ParseAction(std::string_view line, InputAction& action) {
  const std::size_t nameEnd = std::min(line.find_first_of(kBlanks), line.size());
  const std::string_view word = line.substr(0, nameEnd);
  const std::string_view name = TakePrefixes(word, action.modifiers);
  const bool prefixed = name.size() != word.size();
  for (const ActionSyntax& syntax : kActions) {
    if (!IsWord(name, syntax.name)) continue;
    if (prefixed && !syntax.takesPrefixes)
      return "ctrl+, alt+ and shift+ go only before click, press and keys";
    action.kind = syntax.kind;
    const std::string_view rest = Trim(line.substr(nameEnd));
    return syntax.parse(Arguments{SplitWords(rest), rest}, action);
  }
  return "unknown action '" + std::string(word) + "'";
}

}  // namespace

Expected<InputScript, std::string> ParseInputScript(std::string_view text, std::string_view name) {
  InputScript script{std::string(name), {}};
  std::size_t lineNumber = 0;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    ++lineNumber;
    if (!line.empty() && line.back() == kCarriageReturn) line.remove_suffix(1);
    line = Trim(WithoutComment(line));
    if (line.empty()) continue;
    InputAction action;
    action.line = lineNumber;
    if (Error error = ParseAction(line, action))
      return Unexpected(script.name + ":" + std::to_string(lineNumber) + ": " + *error);
    script.actions.push_back(std::move(action));
  }
  return script;
}

Expected<InputScript, std::string> ReadInputScript(const std::string& path) {
  std::error_code ignored;
  if (std::filesystem::is_directory(path, ignored))
    return Unexpected(path + ": is a folder, not an input script");
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    return Unexpected(path + ": cannot open the input script (" + std::strerror(errno) + ")");
  }
  std::ostringstream text;
  text << file.rdbuf();
  if (file.bad()) return Unexpected(path + ": cannot read the input script");
  return ParseInputScript(text.str(), path);
}

}  // namespace lw::platform
