#include "platform/headless/input_script.h"

#include <gtest/gtest.h>

#include "support/temp_folder.h"

namespace lw::platform {
namespace {

InputScript Parse(std::string_view text) {
  auto script = ParseInputScript(text, "test.txt");
  EXPECT_TRUE(script.ok()) << (script.ok() ? "" : script.error());
  return script.ok() ? std::move(script.value()) : InputScript{};
}

// The one key of a `key` line.
ScriptKey KeyOf(std::string_view word) {
  const InputScript script = Parse("key " + std::string(word));
  if (script.actions.size() != 1 || script.actions[0].keys.size() != 1) {
    ADD_FAILURE() << "no key parsed from " << word;
    return {};
  }
  return script.actions[0].keys[0];
}

TEST(InputScriptTest, EveryActionWithItsArguments) {
  const InputScript script = Parse(
      "wait 12\nhold up 40\nclick 10 20\nalt+click 1 2\nctrl+alt+press 3 4\nrelease 5 6\n"
      "move 639 479\nfocus out\nFocus In\nanswer Retry\nchoose /tmp/My Game.rtd\nchoose cancel\n"
      "type Hi there\nscreenshot shots/first frame.png\nquit\n");
  const std::vector<ActionKind> kinds = {
      ActionKind::kWait,    ActionKind::kHold,       ActionKind::kClick,  ActionKind::kClick,
      ActionKind::kPress,   ActionKind::kRelease,    ActionKind::kMove,   ActionKind::kFocusOut,
      ActionKind::kFocusIn, ActionKind::kAnswer,     ActionKind::kChoose, ActionKind::kChoose,
      ActionKind::kType,    ActionKind::kScreenshot, ActionKind::kQuit};
  ASSERT_EQ(script.actions.size(), kinds.size());
  for (std::size_t i = 0; i < kinds.size(); ++i) {
    EXPECT_EQ(script.actions[i].kind, kinds[i]) << "line " << i + 1;
    EXPECT_EQ(script.actions[i].line, i + 1);
  }
  const auto& a = script.actions;
  EXPECT_EQ(a[0].ticks, 12u);
  EXPECT_EQ(a[1].keys[0].key, Key::kUp);
  EXPECT_EQ(a[1].ticks, 40u);
  // Points are written horizontal first.
  EXPECT_EQ(a[2].where.h, 10);
  EXPECT_EQ(a[2].where.v, 20);
  EXPECT_FALSE(a[2].modifiers.alt);
  EXPECT_TRUE(a[3].modifiers.alt);
  EXPECT_TRUE(a[4].modifiers.ctrl && a[4].modifiers.alt && !a[4].modifiers.shift);
  EXPECT_EQ(a[6].where.h, 639);
  EXPECT_EQ(a[6].where.v, 479);
  EXPECT_EQ(a[9].answer, BoxAnswer::kRetry);
  EXPECT_EQ(a[10].text, "/tmp/My Game.rtd");
  EXPECT_EQ(a[11].text, "");
  ASSERT_EQ(a[12].keys.size(), 8u);
  EXPECT_EQ(a[12].keys[0].character, 'H');
  EXPECT_TRUE(a[12].keys[0].modifiers.shift);
  EXPECT_EQ(a[12].keys[2].character, ' ');
  EXPECT_FALSE(a[12].keys[7].modifiers.shift);
  EXPECT_EQ(a[13].text, "shots/first frame.png");
}

TEST(InputScriptTest, KeyNamesCharactersAndPrefixes) {
  struct Case {
    std::string_view word;
    Key key;
    std::uint8_t character;
    bool ctrl, alt, shift;
  };
  const Case cases[] = {
      {"a", Key::kCharacter, 'a', false, false, false},
      {"A", Key::kCharacter, 'A', false, false, true},  // a capital is typed with Shift
      {"shift+a", Key::kCharacter, 'A', false, false, true},
      {"ctrl+q", Key::kCharacter, 'q', true, false, false},
      {"CTRL+Shift+F2", Key::kF2, 0, true, false, true},
      {"alt+x", Key::kCharacter, 'x', false, true, false},
      {"esc", Key::kEscape, 27, false, false, false},
      {"Return", Key::kReturn, 13, false, false, false},
      {"backspace", Key::kBackspace, 8, false, false, false},
      {"shift+tab", Key::kTab, 9, false, false, true},
      {"space", Key::kCharacter, ' ', false, false, false},
      {"delete", Key::kDelete, 0, false, false, false},
      {"left", Key::kLeft, 0, false, false, false},
      {"f12", Key::kF12, 0, false, false, false},
      {"+", Key::kCharacter, '+', false, false, false},
      {"ctrl++", Key::kCharacter, '+', true, false, false},
      {"\xC3\xA9", Key::kCharacter, 0x8E, false, false, false},      // e acute in Mac Roman
      {"\xE2\x80\xA2", Key::kCharacter, 0xA5, false, false, false},  // bullet
  };
  for (const Case& c : cases) {
    const ScriptKey key = KeyOf(c.word);
    EXPECT_EQ(key.key, c.key) << c.word;
    EXPECT_EQ(key.character, c.character) << c.word;
    EXPECT_EQ(key.modifiers.ctrl, c.ctrl) << c.word;
    EXPECT_EQ(key.modifiers.alt, c.alt) << c.word;
    EXPECT_EQ(key.modifiers.shift, c.shift) << c.word;
  }
}

TEST(InputScriptTest, CommentsBlankLinesAndLineEnds) {
  const InputScript script = Parse(
      "# a whole-line comment\n\n   \t\nwait 3   # why we wait\r\n  type C# # a comment\n"
      "key ctrl+#\n#quit\n");
  ASSERT_EQ(script.actions.size(), 3u);
  EXPECT_EQ(script.actions[0].line, 4u);
  EXPECT_EQ(script.actions[0].ticks, 3u);
  // A '#' inside a word is a character; one after a blank starts a comment.
  ASSERT_EQ(script.actions[1].keys.size(), 2u);
  EXPECT_EQ(script.actions[1].keys[1].character, '#');
  EXPECT_EQ(script.actions[2].keys[0].character, '#');
  EXPECT_TRUE(script.actions[2].keys[0].modifiers.ctrl);
  EXPECT_TRUE(Parse("").actions.empty());
}

TEST(InputScriptTest, ErrorsNameTheFileAndLine) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"jump 3", "test.txt:2: unknown action 'jump'"},
      {"wait", "test.txt:2: wait takes a number of ticks"},
      {"wait -1", "test.txt:2: '-1' is not a number of ticks"},
      {"wait 5184001", "test.txt:2: '5184001' is not a number of ticks"},
      {"wait 3x", "test.txt:2: '3x' is not a number"},
      {"key ab", "test.txt:2: unknown key 'ab'"},
      {"key ctrl+", "test.txt:2: unknown key 'ctrl+'"},
      {"key \xE4\xB8\xAD", "test.txt:2: character U+4E2D has no Mac Roman form"},
      {"type a\xFF", "test.txt:2: invalid UTF-8 byte 0xFF"},
      {"type \xC3", "test.txt:2: invalid UTF-8 byte 0xC3"},  // cut short
      {"type tab\there", "test.txt:2: a control character cannot be typed"},
      {"hold x", "test.txt:2: hold takes a key and a number of ticks"},
      {"click 640 0", "test.txt:2: the point 640 0 is not within the 640 x 480 canvas"},
      {"move 0 -1", "test.txt:2: the point 0 -1 is not within"},
      {"press 10", "test.txt:2: the mouse actions take a point"},
      {"focus sideways", "test.txt:2: focus takes in or out"},
      {"answer maybe", "test.txt:2: answer takes one of ok, cancel"},
      {"choose", "test.txt:2: choose takes a path or cancel"},
      {"type", "test.txt:2: type takes a text"},
      {"screenshot   # no name", "test.txt:2: screenshot takes a file name"},
      {"quit now", "test.txt:2: quit takes nothing"},
      {"ctrl+wait 3", "test.txt:2: ctrl+, alt+ and shift+ go only before"},
  };
  for (const auto& [line, message] : cases) {
    auto script = ParseInputScript("# first line\n" + std::string(line) + "\nquit\n", "test.txt");
    ASSERT_FALSE(script.ok()) << line;
    EXPECT_EQ(script.error().rfind(message, 0), 0u) << line << " -> " << script.error();
  }
}

TEST(InputScriptTest, ReadsFilesAndNamesThemInErrors) {
  test::TempFolder temp;
  const std::string good = temp.writeFile("good.txt", "key a\nwait 2\n").string();
  const std::string bad = temp.writeFile("bad.txt", "key a\nwiat 2\n").string();
  auto script = ReadInputScript(good);
  ASSERT_TRUE(script.ok()) << script.error();
  EXPECT_EQ(script->actions.size(), 2u);
  EXPECT_EQ(script->name, good);
  auto failed = ReadInputScript(bad);
  ASSERT_FALSE(failed.ok());
  EXPECT_EQ(failed.error(), bad + ":2: unknown action 'wiat'");
  const std::string missing = (temp.path() / "missing.txt").string();
  auto absent = ReadInputScript(missing);
  ASSERT_FALSE(absent.ok());
  EXPECT_EQ(absent.error().rfind(missing + ": cannot open the input script", 0), 0u);
  EXPECT_FALSE(ReadInputScript(temp.path().string()).ok());
}

}  // namespace
}  // namespace lw::platform
