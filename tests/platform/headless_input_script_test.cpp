// Input scripts: every action and its arguments, key names and prefixes, comments, and errors
// that name the file and line.
#include "platform/headless/input_script.h"

#include <gtest/gtest.h>

#include "message_text.h"

namespace lw::platform {
namespace {

// The actions of a script, one line each: "LINE KIND", then the keys, ticks, point with its
// modifiers, answer or text that the action has.
std::string ActionsText(std::string_view script) {
  static constexpr std::array<const char*, 15> kKinds = {
      "wait",     "key",    "hold",   "click", "press",      "release", "move", "focus out",
      "focus in", "answer", "choose", "type",  "screenshot", "console", "quit"};
  auto parsed = ParseInputScript(script, "test.txt");
  EXPECT_TRUE(parsed.ok()) << (parsed.ok() ? "" : parsed.error());
  std::string all;
  for (const InputAction& a : parsed.ok() ? parsed->actions : std::vector<InputAction>{}) {
    all += std::to_string(a.line) + " " + kKinds[static_cast<std::size_t>(a.kind)];
    for (const ScriptKey& k : a.keys) {
      all += " " + KeyText(k.key, k.character, k.modifiers);
    }
    if (a.ticks != 0) all += " " + std::to_string(a.ticks);
    if (a.kind >= ActionKind::kClick && a.kind <= ActionKind::kMove) {
      all += " " + std::to_string(a.where.h) + "," + std::to_string(a.where.v) +
             (a.modifiers.ctrl ? " ctrl" : "") + (a.modifiers.alt ? " alt" : "");
    }
    if (a.kind == ActionKind::kAnswer) all += " " + std::string(AnswerLabel(a.answer));
    if (a.kind == ActionKind::kChoose || a.kind == ActionKind::kScreenshot ||
        a.kind == ActionKind::kConsole) {
      all += " '" + a.text + "'";
    }
    all += "\n";
  }
  return all;
}

TEST(InputScriptTest, KeyNamesCharactersAndPrefixes) {
  // A capital is typed with Shift; e acute and the bullet in Mac Roman.
  const std::pair<std::string_view, std::string_view> cases[] = {
      // clang-format off
      {"a", "a"}, {"A", "shift+A"}, {"shift+a", "shift+A"}, {"CTRL+Shift+F2", "ctrl+shift+f2"},
      {"alt+x", "alt+x"}, {"esc", "esc(27)"}, {"Return", "return(13)"}, {"delete", "delete"},
      {"shift+tab", "shift+tab(9)"}, {"space", "#32"}, {"+", "+"}, {"ctrl++", "ctrl++"},
      {"\xC3\xA9", "#142"}, {"\xE2\x80\xA2", "#165"},
      // clang-format on
  };
  for (const auto& [word, key] : cases) {
    EXPECT_EQ(ActionsText("key " + std::string(word)), "1 key " + std::string(key) + "\n");
  }
}

// A '#' inside a word is a character; one after a blank starts a comment.
TEST(InputScriptTest, EveryActionWithItsArgumentsAndComments) {
  EXPECT_EQ(ActionsText("wait 12\nhold up 40\nclick 10 20\nalt+click 1 2\nctrl+alt+press 3 4\n"
                        "release 5 6\nmove 639 479\nfocus out\nFocus In\nanswer Retry\n"
                        "choose /tmp/My Game.rtd\nchoose cancel\ntype Hi there\n"
                        "screenshot shots/first frame.png\n# a whole-line comment\n\n   \t\n"
                        "wait 3   # why we wait\r\n  type C# # a comment\nkey ctrl+#\n#quit\nquit\n"
                        "console numtostring(6  * 7)  # the answer\nCONSOLE \"caf\xC3\xA9\"\n"),
            "1 wait 12\n2 hold up 40\n3 click 10,20\n4 click 1,2 alt\n5 press 3,4 ctrl alt\n"
            "6 release 5,6\n7 move 639,479\n8 focus out\n9 focus in\n10 answer Retry\n"
            "11 choose '/tmp/My Game.rtd'\n12 choose ''\n"
            "13 type shift+H i #32 t h e r e\n14 screenshot 'shots/first frame.png'\n"
            "18 wait 3\n19 type shift+C #\n20 key ctrl+#\n22 quit\n"
            "23 console 'numtostring(6  * 7)'\n24 console '\"caf\x8E\"'\n");
}

TEST(InputScriptTest, ErrorsNameTheFileAndLine) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      // clang-format off
      {"jump 3", "unknown action 'jump'"},  {"wait", "wait takes a number of ticks"},
      {"wait -1", "'-1' is not a number of ticks"},
      {"wait 5184001", "'5184001' is not a number of ticks"},
      {"wait 3x", "'3x' is not a number"},  {"key ab", "unknown key 'ab'"},
      {"key ctrl+", "unknown key 'ctrl+'"},
      {"key \xE4\xB8\xAD", "character U+4E2D has no Mac Roman form"},
      {"type \xC3", "invalid UTF-8 byte 0xC3"},  // cut short
      {"type tab\there", "a control character cannot be typed"},
      {"hold x", "hold takes a key and a number of ticks"},
      {"click 640 0", "the point 640 0 is not within the 640 x 480 canvas"},
      {"move 0 -1", "the point 0 -1 is not within"},
      {"press 10", "the mouse actions take a point"},
      {"focus sideways", "focus takes in or out"}, {"answer maybe", "answer takes one of ok, cancel"},
      {"choose", "choose takes a path or cancel"}, {"type", "type takes a text"},
      {"screenshot   # no name", "screenshot takes a file name"}, {"quit now", "quit takes nothing"},
      {"console  # nothing to run", "console takes a line to run"},
      {"console \"\xE4\xB8\xAD\"", "character U+4E2D has no Mac Roman form"},
      {"ctrl+wait 3", "ctrl+, alt+ and shift+ go only before"},
      // clang-format on
  };
  for (const auto& [line, message] : cases) {
    auto script = ParseInputScript("# first line\n" + std::string(line) + "\nquit\n", "test.txt");
    ASSERT_FALSE(script.ok()) << line;
    EXPECT_EQ(script.error().rfind("test.txt:2: " + std::string(message), 0), 0u)
        << line << " -> " << script.error();
  }
}

// A console line is at most what the message box's input line holds, counted in Mac Roman
// characters: 255 e acutes are 510 bytes of UTF-8 but fit.
TEST(InputScriptTest, ConsoleLinesHoldWhatTheMessageBoxHolds) {
  std::string acutes;
  for (int i = 0; i < 255; ++i) acutes += "\xC3\xA9";
  auto fits = ParseInputScript("console " + acutes, "test.txt");
  ASSERT_TRUE(fits.ok()) << fits.error();
  EXPECT_EQ(fits->actions.at(0).text, std::string(255, '\x8E'));
  auto over = ParseInputScript("console x" + acutes, "test.txt");
  ASSERT_FALSE(over.ok());
  EXPECT_EQ(over.error(),
            "test.txt:1: the console line has 256 characters; the message box holds 255");
}

}  // namespace
}  // namespace lw::platform
