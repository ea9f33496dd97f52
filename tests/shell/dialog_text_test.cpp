#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "dialog_fixture.h"
#include "shell/dialogs/text_dialog.h"

namespace lw::test {
namespace {

using L = TextDialogLayout;

class TextDialogTest : public DialogTest {
 protected:
  std::optional<std::string> Show(std::string initial) {
    return ShowTextDialog(boxes.canvas(),
                          TextDialogRequest{"Question", std::string(kPrompt), initial});
  }
  [[nodiscard]] L Layout() const { return LayoutTextDialog(kPrompt, screen.rect()); }

  static constexpr std::string_view kPrompt = "Your name?";
};

TEST_F(TextDialogTest, KeysEditTheFieldAndReturnAnswersAndTheCanvasIsRestored) {
  std::string calls;
  boxes.setHooks(DialogCanvas::Hooks{[&] { calls += "("; }, [&] { calls += ")"; }});
  const std::vector<std::uint8_t> pixels = CanvasPixels();
  const struct {
    const char* initial;
    const char* keys;
    const char* expected;
  } cases[] = {
      // The first text is selected: the first character typed replaces it.
      {"abc", "h i", "hi"},
      {"abc", "", "abc"},
      {"abc", "bs bs", ""},
      {"abc", "right d", "abcd"},
      {"abc", "right bs", "ab"},
      {"", "space \x8E", " \x8E"},
      // Control characters, Ctrl+letters and keys without characters leave the field alone.
      {"abc", "\x01 \x7F ctrl+x tab del", "abc"},
  };
  for (const auto& c : cases) {
    platform.keys(c.keys);
    platform.keys("ret");
    EXPECT_EQ(Show(c.initial), c.expected) << c.keys;
    EXPECT_TRUE(OnlyReleasesLeft());
    EXPECT_EQ(CanvasPixels(), pixels);
    EXPECT_EQ(platform.shown, pixels);
  }
  EXPECT_EQ(closes, 0);
  EXPECT_EQ(calls, "()()()()()()()");  // the hooks run once around each dialog

  TextField field("");
  for (int i = 0; i < 300; ++i) field.type('a');
  EXPECT_EQ(field.text(), std::string(TextField::kCapacity, 'a'));
}

TEST_F(TextDialogTest, ButtonsEscapeAndClosingAnswer) {
  const L layout = Layout();
  platform.click(Centre(layout.buttons[L::kOkButton]));
  EXPECT_EQ(Show("abc"), "abc");
  // A click in the field keeps the first text: typing goes after it.
  platform.click(Centre(layout.field));
  platform.type("de");
  platform.click(Centre(layout.buttons[L::kOkButton]));
  EXPECT_EQ(Show("abc"), "abcde");
  platform.click(Centre(layout.buttons[L::kCancelButton]));
  EXPECT_EQ(Show("abc"), std::nullopt);
  platform.type("typed");
  platform.keys("esc");
  EXPECT_EQ(Show("abc"), std::nullopt);
  EXPECT_EQ(closes, 0);
  // Nothing queued: the player closes the window while the dialog is up.
  platform.messages.clear();
  EXPECT_EQ(Show("abc"), std::nullopt);
  EXPECT_EQ(closes, 1);
}

TEST_F(TextDialogTest, TheFieldShowsTheTextAndItsSelection) {
  const L layout = Layout();
  const Rect& field = layout.field;
  // The field's middle row, inside its frame, in a presented canvas copy.
  const auto middleRow = [&](const std::vector<std::uint8_t>& shown) {
    return ShownRow(shown, (field.top + field.bottom) / 2, field.left + 1, field.left + 40);
  };
  // Closed while up (nothing more queued): the close handler keeps what was shown.
  static_cast<void>(Show("abc"));
  const std::vector<std::uint8_t> selected = shownWhileUp;
  platform.type("hi");
  static_cast<void>(Show("abc"));
  const std::vector<std::uint8_t> shortText = shownWhileUp;
  platform.type("hello");
  static_cast<void>(Show("abc"));
  ASSERT_EQ(closes, 3);

  // The text starts 4 pixels in, each character a block 6 pixels wide; the caret follows it;
  // the selection inverts the text over its whole height.
  EXPECT_EQ(middleRow(shortText), "...#############.......................");
  EXPECT_EQ(middleRow(shownWhileUp), "...###############################.....");
  EXPECT_EQ(ShownAt(selected, field.left + 5, field.top + 2), 0);
  EXPECT_NE(ShownAt(shortText, field.left + 5, field.top + 2), 0);
  // The prompt is drawn above the field; nothing of the dialog leaves its frame.
  const int promptRow = layout.textTop + kDialogLineBaseline - 1;
  EXPECT_EQ(ShownAt(shownWhileUp, layout.textLeft + 1, promptRow), 0);
  EXPECT_EQ(ShownRow(shownWhileUp, layout.frame.bottom, 0, platform::kCanvasWidth),
            ShownRow(platform.shown, layout.frame.bottom, 0, platform::kCanvasWidth));
}

}  // namespace
}  // namespace lw::test
