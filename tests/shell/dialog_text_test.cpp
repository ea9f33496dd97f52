#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "dialog_fixture.h"
#include "shell/dialogs/text_dialog.h"

namespace lw {
namespace {

using platform::Key;
using platform::MessageKind;
using L = TextDialogLayout;

constexpr std::uint8_t kInk = 0;  // the grey ramp's darkest entry

class TextDialogTest : public test::DialogTest {
 protected:
  std::optional<std::string> Show(std::string initial) {
    return ShowTextDialog(boxes_.canvas(),
                          TextDialogRequest{"Question", std::string(kPrompt), initial});
  }
  [[nodiscard]] L Layout() const { return LayoutTextDialog(kPrompt, screen_.rect()); }
  void Return() { Press(Key::kReturn, 13); }

  static constexpr std::string_view kPrompt = "Your name?";
};

TEST_F(TextDialogTest, KeysEditTheFieldAndReturnAnswers) {
  struct Input {
    Key key;
    std::uint8_t character = 0;
    platform::Modifiers modifiers{};
  };
  const struct {
    std::string initial;
    std::vector<Input> keys;
    std::string expected;
  } cases[] = {
      // The first text is selected: the first character typed replaces it.
      {"abc", {{Key::kCharacter, 'h'}, {Key::kCharacter, 'i'}}, "hi"},
      {"abc", {}, "abc"},
      {"abc", {{Key::kBackspace, 8}, {Key::kBackspace, 8}}, ""},
      {"abc", {{Key::kRight}, {Key::kCharacter, 'd'}}, "abcd"},
      {"abc", {{Key::kRight}, {Key::kBackspace, 8}}, "ab"},
      {"", {{Key::kCharacter, ' '}, {Key::kCharacter, 0x8E}}, " \x8E"},
      // Control characters, Ctrl+letters and keys without characters leave the field alone.
      {"abc",
       {{Key::kCharacter, 1},
        {Key::kCharacter, 127},
        {Key::kCharacter, 'x', {true, false, false}},
        {Key::kTab, 9},
        {Key::kDelete}},
       "abc"},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i);
    for (const Input& key : cases[i].keys) Press(key.key, key.character, key.modifiers);
    Return();
    EXPECT_EQ(Show(cases[i].initial), cases[i].expected);
    EXPECT_TRUE(OnlyReleasesLeft());
  }
  EXPECT_EQ(closes_, 0);

  TextField field("");
  for (int i = 0; i < 300; ++i) field.type('a');
  EXPECT_EQ(field.text(), std::string(TextField::kCapacity, 'a'));
}

TEST_F(TextDialogTest, ButtonsEscapeAndClosingAnswer) {
  const L layout = Layout();
  platform_.click(Centre(layout.buttons[L::kOkButton]));
  EXPECT_EQ(Show("abc"), "abc");
  // A click in the field keeps the first text: typing goes after it.
  platform_.click(Centre(layout.field));
  Type("de");
  platform_.click(Centre(layout.buttons[L::kOkButton]));
  EXPECT_EQ(Show("abc"), "abcde");
  platform_.click(Centre(layout.buttons[L::kCancelButton]));
  EXPECT_EQ(Show("abc"), std::nullopt);
  // Down on OK and up beside it presses nothing.
  Mouse(MessageKind::kButtonDown, Centre(layout.buttons[L::kOkButton]));
  Mouse(MessageKind::kButtonUp, Centre(layout.field));
  Type("typed");
  Press(Key::kEscape, 27);
  EXPECT_EQ(Show("abc"), std::nullopt);
  EXPECT_EQ(closes_, 0);
  // Nothing queued: the player closes the window while the dialog is up.
  platform_.messages.clear();
  EXPECT_EQ(Show("abc"), std::nullopt);
  EXPECT_EQ(closes_, 1);
}

TEST_F(TextDialogTest, TheCanvasIsRestoredAndTheHooksRunOnce) {
  int before = 0;
  int after = 0;
  boxes_.setHooks(DialogCanvas::Hooks{[&] { ++before; }, [&] { ++after; }});
  const std::vector<std::uint8_t> pixels = CanvasPixels();
  Type("x");
  Return();
  EXPECT_EQ(Show("abc"), "x");
  EXPECT_EQ(CanvasPixels(), pixels);
  EXPECT_EQ(platform_.shown, pixels);
  EXPECT_EQ(before, 1);
  EXPECT_EQ(after, 1);
}

TEST_F(TextDialogTest, TheFieldShowsTheTextAndItsSelection) {
  const L layout = Layout();
  const Rect& field = layout.field;
  // Ink across the field's middle row, inside its frame, in a presented canvas copy.
  const auto inkAcross = [&](const std::vector<std::uint8_t>& shown) {
    int ink = 0;
    for (int h = field.left + 1; h < field.right - 1; ++h)
      ink += ShownAt(shown, h, (field.top + field.bottom) / 2) == kInk ? 1 : 0;
    return ink;
  };
  // Closed while up (nothing more queued): the close handler keeps what was shown.
  static_cast<void>(Show("abc"));
  const std::vector<std::uint8_t> selected = shownWhileUp_;
  Type("hi");
  static_cast<void>(Show("abc"));
  const std::vector<std::uint8_t> shortText = shownWhileUp_;
  Type("hello");
  static_cast<void>(Show("abc"));
  ASSERT_EQ(closes_, 3);

  // The selection's highlight shows in the rows above the glyphs.
  EXPECT_EQ(ShownAt(selected, field.left + 5, field.top + 2), kInk);
  EXPECT_NE(ShownAt(shortText, field.left + 5, field.top + 2), kInk);
  // Three more characters of the test face, each half its 12-pixel size wide.
  EXPECT_EQ(inkAcross(shownWhileUp_) - inkAcross(shortText), 3 * kDialogTextSize / 2);
  // The prompt is drawn above the field; nothing of the dialog leaves its frame.
  const int promptRow = layout.textTop + kDialogLineBaseline - 1;
  EXPECT_EQ(ShownAt(shownWhileUp_, layout.textLeft + 1, promptRow), kInk);
  for (int h = 0; h < platform::kCanvasWidth; h += 7)
    EXPECT_EQ(ShownAt(shownWhileUp_, h, layout.frame.bottom),
              ShownAt(platform_.shown, h, layout.frame.bottom));
}

}  // namespace
}  // namespace lw
