#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "dialog_fixture.h"
#include "shell/dialogs/box_layout.h"
#include "shell/dialogs/boxes.h"
#include "shell/dialogs/window_boxes.h"

namespace lw::test {
namespace {

using platform::MessageKind;

BoxRequest Request(BoxButtons buttons, std::string text = "Something happened.") {
  return BoxRequest{"Caption", std::move(text), buttons, BoxIcon::kExclamation};
}

class WindowBoxTest : public DialogTest {
 protected:
  // The frame of a box, then each button's label and rectangle.
  static std::string Places(const BoxLayout& layout) {
    std::string places = Print(layout.frame);
    for (const BoxButtonPlace& b : layout.buttons)
      places += " " + std::string(b.label) + " " + Print(b.rect);
    return places;
  }
  // The distinct pixel values of `area` in a presented canvas copy.
  std::set<std::uint8_t> ValuesIn(const std::vector<std::uint8_t>& shown, const Rect& area) {
    std::set<std::uint8_t> values;
    for (int v = area.top; v < area.bottom; ++v)
      for (int h = area.left; h < area.right; ++h) values.insert(ShownAt(shown, h, v));
    return values;
  }
};

TEST_F(WindowBoxTest, KeysMoveTheFocusAndChooseButtons) {
  using B = BoxButtons;
  using enum BoxAnswer;
  const struct {
    BoxButtons buttons;
    const char* keys;
    BoxAnswer expected;
  } cases[] = {
      {B::kOkCancel, "tab ret", kCancel},
      {B::kYesNoCancel, "tab*3 ret", kYes},  // the focus goes round
      {B::kYesNoCancel, "shift+tab ret", kCancel},
      {B::kYesNoCancel, "right ret", kNo},
      {B::kYesNoCancel, "down up left space", kCancel},
      {B::kYesNoCancel, "n", kNo},  // a button's first letter, in either case
      {B::kAbortRetryIgnore, "R", kRetry},
      {B::kOkCancel, "x ret", kOk},       // no button's letter
      {B::kOkCancel, "ctrl+c ret", kOk},  // letters with Ctrl press nothing
      // Escape gives Cancel, else No, else the default.
      {B::kOkCancel, "esc", kCancel},
      {B::kAbortRetryIgnore, "esc", kAbort},
      {B::kYesNo, "esc", kNo},
      {B::kYesNo, "c N", kNo},
  };
  for (const auto& c : cases) {
    platform.messages.clear();
    platform.keys(c.keys);
    EXPECT_EQ(boxes.showBox(Request(c.buttons)), c.expected) << c.keys;
    EXPECT_TRUE(OnlyReleasesLeft()) << c.keys;
  }
  EXPECT_EQ(closes, 0);
}

TEST_F(WindowBoxTest, AClickPressesTheButtonItWentDownAndUpOn) {
  const BoxRequest request = Request(BoxButtons::kYesNoCancel);
  const BoxLayout layout = boxes.layoutFor(request);
  ASSERT_EQ(layout.buttons.size(), 3u);
  for (const BoxButtonPlace& button : layout.buttons) {
    platform.click(Centre(button.rect));
    EXPECT_EQ(boxes.showBox(request), button.answer);
  }
  // Down on No and up beside it, or down beside it and up on it, presses nothing; Return then
  // takes the default.
  platform.mouseMessage(MessageKind::kButtonDown, Centre(layout.buttons[1].rect));
  platform.mouseMessage(MessageKind::kButtonUp, Centre(layout.icon));
  platform.mouseMessage(MessageKind::kButtonDown, Centre(layout.icon));
  platform.mouseMessage(MessageKind::kButtonUp, Centre(layout.buttons[1].rect));
  platform.keys("ret");
  EXPECT_EQ(boxes.showBox(request), BoxAnswer::kYes);
}

TEST_F(WindowBoxTest, AYesNoBoxShowsYesAndNoCentredWithTheFocusMarkedAndClosingAnswersNo) {
  const BoxRequest request = Request(BoxButtons::kYesNo);
  const BoxLayout layout = boxes.layoutFor(request);
  ASSERT_EQ(layout.buttons.size(), 2u);
  const Rect& yes = layout.buttons[0].rect;
  const Rect& no = layout.buttons[1].rect;
  // At least 200 wide inside margins of 12, centred, the pair of buttons centred in it.
  EXPECT_EQ(Places(layout), "184,208,296,432 Yes 260,235,284,315 No 260,325,284,405");

  // Nothing queued: the player closes the window while the box is up.
  EXPECT_EQ(boxes.showBox(request), BoxAnswer::kNo);
  const std::vector<std::uint8_t> focusOnYes = shownWhileUp;
  platform.keys("tab");
  EXPECT_EQ(boxes.showBox(request), BoxAnswer::kNo);
  const std::vector<std::uint8_t> focusOnNo = shownWhileUp;
  EXPECT_EQ(closes, 2);
  // Each label is drawn centred in its button: the test face draws one solid block 6 pixels wide
  // per character; the middle row inside the frame and the focus mark is 70 pixels wide.
  for (const std::vector<std::uint8_t>* shown : {&focusOnYes, &focusOnNo}) {
    EXPECT_EQ(ShownRow(*shown, 272, yes.left + 5, yes.right - 5),
              std::string(26, '.') + std::string(18, '#') + std::string(26, '.'));
    EXPECT_EQ(ShownRow(*shown, 272, no.left + 5, no.right - 5),
              std::string(29, '.') + std::string(12, '#') + std::string(29, '.'));
  }
  // The heavy frame and the focus mark move from one button to the other (the rows above the
  // labels).
  const auto edge = [&](const std::vector<std::uint8_t>& shown, const Rect& r) {
    return ShownPicture(shown, {r.top, r.left, static_cast<std::int16_t>(r.top + 5), r.right});
  };
  EXPECT_NE(edge(focusOnYes, yes), edge(focusOnYes, no));
  EXPECT_EQ(edge(focusOnYes, yes), edge(focusOnNo, no));
  EXPECT_EQ(edge(focusOnYes, no), edge(focusOnNo, yes));
}

TEST_F(WindowBoxTest, TheBoxIsDrawnInTheDarkestAndLightestEntriesAndTheCanvasRestored) {
  constexpr std::uint8_t kDarkest = 37;
  constexpr std::uint8_t kLightest = 200;
  Palette palette;
  palette.fill(Rgb{128, 100, 90});
  palette[kDarkest] = Rgb{10, 0, 20};
  palette[kDarkest + 50] = palette[kDarkest];  // as dark: the lower index wins
  palette[kLightest] = Rgb{230, 240, 220};
  screen.setPalette(palette);
  screen.present();
  const std::vector<std::uint8_t> before = CanvasPixels();
  const int presentsBefore = platform.presents;
  const BoxRequest request = Request(BoxButtons::kOkCancel);
  const BoxLayout layout = boxes.layoutFor(request);

  EXPECT_EQ(boxes.showBox(request), BoxAnswer::kCancel);  // closed while up
  ASSERT_FALSE(shownWhileUp.empty());
  EXPECT_EQ(ValuesIn(shownWhileUp, layout.frame), (std::set<std::uint8_t>{kDarkest, kLightest}));
  // Everything outside the box stayed as it was.
  std::vector<std::uint8_t> outside = shownWhileUp;
  for (int v = layout.frame.top, h = layout.frame.left, w = platform::kCanvasWidth;
       v < layout.frame.bottom; ++v)
    std::copy_n(&before[v * w + h], layout.frame.right - h, &outside[v * w + h]);
  EXPECT_TRUE(outside == before);
  // The first line of text: a solid glyph box of the test fonts right after the icon.
  EXPECT_EQ(ShownAt(shownWhileUp, layout.textLeft + 1, layout.textTop + kDialogLineBaseline - 1),
            kDarkest);
  EXPECT_EQ(CanvasPixels(), before);
  EXPECT_EQ(platform.shown, before);
  EXPECT_GT(platform.presents, presentsBefore + 1);
}

TEST_F(WindowBoxTest, AnAnswerFromThePlatformSkipsDrawing) {
  const std::vector<std::uint8_t> shownBefore = platform.shown;
  const int presentsBefore = platform.presents;
  std::string answers;
  // An answer that is not one of the box's buttons counts as the default.
  for (const auto& [answer, buttons] : {std::pair{BoxAnswer::kNo, BoxButtons::kYesNoCancel},
                                        {BoxAnswer::kRetry, BoxButtons::kOkCancel},
                                        {BoxAnswer::kCancel, BoxButtons::kYesNo}}) {
    platform.boxAnswer = answer;
    answers += std::string(AnswerLabel(boxes.showBox(Request(buttons)))) + " ";
  }
  EXPECT_EQ(answers, "No OK Yes ");
  EXPECT_EQ(platform.presents, presentsBefore);
  EXPECT_EQ(platform.shown, shownBefore);
}

TEST_F(WindowBoxTest, TheBoxFitsItsTextAndNeverLeavesTheCanvas) {
  // Three buttons and a gap of 10 between them make the box 260 wide inside margins of 12; it
  // is 20 + 12 (caption, margin) + 32 (icon) + 12 + 24 (buttons) + 12 high, centred.
  const BoxLayout small = boxes.layoutFor(Request(BoxButtons::kAbortRetryIgnore, "One\r\nTwo"));
  EXPECT_EQ(small.lines, (std::vector<std::string>{"One", "Two"}));
  EXPECT_EQ(Places(small),
            "184,178,296,462 Abort 260,190,284,270 Retry 260,280,284,360 Ignore 260,370,284,450");

  // A text far too large for any box: the lines that fit, cut to the canvas.
  std::string huge;
  for (int i = 0; i < 1000; ++i) huge += std::string(300, 'W') + "\r\n";
  const BoxRequest request = Request(BoxButtons::kOkCancel, huge);
  const BoxLayout big = boxes.layoutFor(request);
  EXPECT_EQ(Print(big.frame), "0,0,480,640");
  EXPECT_LT(big.lines.size(), 30u);
  EXPECT_LE(big.textTop + static_cast<int>(big.lines.size()) * kDialogLineHeight,
            big.buttons[0].rect.top);
}

// Info and question boxes wrap their text and ask with their own captions and buttons; other
// presenters give the default for an answer that is not one of the box's buttons.
TEST(TerminalBoxesTest, PrintTheButtonsAndOnlyPressOneOfThem) {
  char* printed = nullptr;
  std::size_t size = 0;
  std::FILE* out = open_memstream(&printed, &size);
  ASSERT_NE(out, nullptr);
  TerminalBoxes boxes(out);
  BoxAnswer policyAnswer = BoxAnswer::kCancel;
  boxes.setPolicy([&](const BoxRequest&) { return policyAnswer; });
  EXPECT_EQ(QuestionBox(boxes, "Go on?"), 1);  // Cancel is no button of it: the default, Yes
  policyAnswer = BoxAnswer::kNo;
  EXPECT_EQ(QuestionBox(boxes, "Really?"), 0);
  InfoBox(boxes, "This sentence is long enough that a box has to wrap it over two lines.");
  std::fclose(out);
  EXPECT_EQ(std::string(printed, size),
            "[Question] (question)\nGo on?\n  Yes / No  -> Yes\n"
            "[Question] (question)\nReally?\n  Yes / No  -> No\n"
            "[Information] (information)\nThis sentence is long enough that a box\n"
            "has to wrap it over two lines.\n  OK  -> OK\n");
  std::free(printed);
}

}  // namespace
}  // namespace lw::test
