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

namespace lw {
namespace {

using platform::Key;
using platform::MessageKind;

BoxRequest Request(BoxButtons buttons, std::string text = "Something happened.") {
  BoxRequest request;
  request.caption = "Caption";
  request.text = std::move(text);
  request.buttons = buttons;
  request.icon = BoxIcon::kExclamation;
  return request;
}

class WindowBoxTest : public test::DialogTest {
 protected:
  // The distinct pixel values of `area` in a presented canvas copy.
  std::set<std::uint8_t> ValuesIn(const std::vector<std::uint8_t>& shown, const Rect& area) {
    std::set<std::uint8_t> values;
    for (int v = area.top; v < area.bottom; ++v)
      for (int h = area.left; h < area.right; ++h) values.insert(ShownAt(shown, h, v));
    return values;
  }
  // The pixels of `area` in a presented canvas copy, row by row.
  std::vector<std::uint8_t> PixelsIn(const std::vector<std::uint8_t>& shown, const Rect& area) {
    std::vector<std::uint8_t> pixels;
    for (int v = area.top; v < area.bottom; ++v)
      for (int h = area.left; h < area.right; ++h) pixels.push_back(ShownAt(shown, h, v));
    return pixels;
  }
};

TEST_F(WindowBoxTest, KeysMoveTheFocusAndChooseButtons) {
  struct Input {
    Key key;
    std::uint8_t character = 0;
    platform::Modifiers modifiers{};
  };
  const Input kTab{Key::kTab, 9};
  const Input kBackTab{Key::kTab, 9, {false, false, true}};
  const Input kReturn{Key::kReturn, 13};
  const struct {
    BoxButtons buttons;
    std::vector<Input> keys;
    BoxAnswer expected;
  } cases[] = {
      {BoxButtons::kOkCancel, {kReturn}, BoxAnswer::kOk},
      {BoxButtons::kOkCancel, {kTab, kReturn}, BoxAnswer::kCancel},
      {BoxButtons::kYesNoCancel, {kTab, kTab, kTab, kReturn}, BoxAnswer::kYes},
      {BoxButtons::kYesNoCancel, {kBackTab, kReturn}, BoxAnswer::kCancel},
      {BoxButtons::kYesNoCancel, {{Key::kRight}, kReturn}, BoxAnswer::kNo},
      {BoxButtons::kYesNoCancel,
       {{Key::kDown}, {Key::kUp}, {Key::kLeft}, {Key::kCharacter, ' '}},
       BoxAnswer::kCancel},
      {BoxButtons::kYesNoCancel, {{Key::kCharacter, 'n'}}, BoxAnswer::kNo},
      {BoxButtons::kAbortRetryIgnore, {{Key::kCharacter, 'R'}}, BoxAnswer::kRetry},
      {BoxButtons::kAbortRetryIgnore, {{Key::kCharacter, 'i'}}, BoxAnswer::kIgnore},
      {BoxButtons::kOkCancel, {{Key::kCharacter, 'x'}, kReturn}, BoxAnswer::kOk},
      {BoxButtons::kOkCancel,
       {{Key::kCharacter, 'c', {true, false, false}}, kReturn},
       BoxAnswer::kOk},
      {BoxButtons::kOk, {{Key::kEscape, 27}}, BoxAnswer::kOk},
      {BoxButtons::kOkCancel, {{Key::kEscape, 27}}, BoxAnswer::kCancel},
      {BoxButtons::kYesNoCancel, {{Key::kEscape, 27}}, BoxAnswer::kCancel},
      {BoxButtons::kAbortRetryIgnore, {{Key::kEscape, 27}}, BoxAnswer::kAbort},
      {BoxButtons::kYesNo, {{Key::kEscape, 27}}, BoxAnswer::kNo},
      {BoxButtons::kYesNo, {kReturn}, BoxAnswer::kYes},
      {BoxButtons::kYesNo, {kTab, kReturn}, BoxAnswer::kNo},
      {BoxButtons::kYesNo, {kTab, kTab, kReturn}, BoxAnswer::kYes},
      {BoxButtons::kYesNo, {{Key::kCharacter, 'N'}}, BoxAnswer::kNo},
      {BoxButtons::kYesNo, {{Key::kCharacter, 'c'}, {Key::kCharacter, 'n'}}, BoxAnswer::kNo},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i);
    platform_.messages.clear();
    for (const Input& input : cases[i].keys) Press(input.key, input.character, input.modifiers);
    EXPECT_EQ(boxes_.showBox(Request(cases[i].buttons)), cases[i].expected);
    EXPECT_TRUE(OnlyReleasesLeft());
  }
  EXPECT_EQ(closes_, 0);
}

TEST_F(WindowBoxTest, AClickPressesTheButtonItWentDownAndUpOn) {
  const BoxRequest request = Request(BoxButtons::kYesNoCancel);
  const BoxLayout layout = boxes_.layoutFor(request);
  ASSERT_EQ(layout.buttons.size(), 3u);
  for (const BoxButtonPlace& button : layout.buttons) {
    platform_.click(Centre(button.rect));
    EXPECT_EQ(boxes_.showBox(request), button.answer);
  }
  // Down on No and up beside it presses nothing; Return then takes the default.
  Mouse(MessageKind::kButtonDown, Centre(layout.buttons[1].rect));
  Mouse(MessageKind::kButtonUp, Centre(layout.icon));
  Press(Key::kReturn, 13);
  EXPECT_EQ(boxes_.showBox(request), BoxAnswer::kYes);
}

TEST_F(WindowBoxTest, AYesNoBoxShowsYesAndNoOnlyAndClosingAnswersNo) {
  const BoxRequest request = Request(BoxButtons::kYesNo);
  const BoxLayout layout = boxes_.layoutFor(request);
  ASSERT_EQ(layout.buttons.size(), 2u);
  EXPECT_EQ(layout.buttons[0].answer, BoxAnswer::kYes);
  EXPECT_EQ(layout.buttons[0].label, "Yes");
  EXPECT_EQ(layout.buttons[1].answer, BoxAnswer::kNo);
  EXPECT_EQ(layout.buttons[1].label, "No");
  // The pair is centred under the text.
  EXPECT_LE(std::abs((layout.buttons[0].rect.left - layout.frame.left) -
                     (layout.frame.right - layout.buttons[1].rect.right)),
            1);

  // Nothing queued: the player closes the window while the box is up.
  EXPECT_EQ(boxes_.showBox(request), BoxAnswer::kNo);
  EXPECT_EQ(closes_, 1);
  // Each label is drawn centred in its button: the test face draws one solid block per
  // character, so across the middle row (inside the frame and focus marks) "Yes" has half as
  // much ink again as "No".
  constexpr int kInsideMarks = 5;
  std::vector<int> ink;
  for (const BoxButtonPlace& button : layout.buttons) {
    const auto middle = static_cast<std::int16_t>((button.rect.top + button.rect.bottom) / 2);
    const Rect row{middle, static_cast<std::int16_t>(button.rect.left + kInsideMarks),
                   static_cast<std::int16_t>(middle + 1),
                   static_cast<std::int16_t>(button.rect.right - kInsideMarks)};
    const std::vector<std::uint8_t> pixels = PixelsIn(shownWhileUp_, row);
    ink.push_back(static_cast<int>(std::count(pixels.begin(), pixels.end(), std::uint8_t{0})));
  }
  EXPECT_GT(ink[1], 0);
  EXPECT_EQ(ink[0] * 2, ink[1] * 3);
}

TEST_F(WindowBoxTest, TheCanvasUnderTheBoxIsRestoredExactly) {
  const std::vector<std::uint8_t> before = CanvasPixels();
  const int presentsBefore = platform_.presents;
  Press(Key::kTab, 9);
  Press(Key::kReturn, 13);
  EXPECT_EQ(boxes_.showBox(Request(BoxButtons::kOkCancel)), BoxAnswer::kCancel);
  EXPECT_EQ(CanvasPixels(), before);
  EXPECT_EQ(platform_.shown, before);
  EXPECT_GT(platform_.presents, presentsBefore + 1);
}

TEST_F(WindowBoxTest, TheBoxIsDrawnInTheDarkestAndLightestEntriesOfThePalette) {
  constexpr std::uint8_t kDarkest = 37;
  constexpr std::uint8_t kLightest = 200;
  Palette palette;
  palette.fill(Rgb{128, 100, 90});
  palette[kDarkest] = Rgb{10, 0, 20};
  palette[kLightest] = Rgb{230, 240, 220};
  screen_.setPalette(palette);
  screen_.present();
  const std::vector<std::uint8_t> before = CanvasPixels();
  const BoxRequest request = Request(BoxButtons::kOkCancel);
  const BoxLayout layout = boxes_.layoutFor(request);

  // Nothing queued: the player closes the window while the box is up.
  EXPECT_EQ(boxes_.showBox(request), BoxAnswer::kCancel);
  EXPECT_EQ(closes_, 1);
  ASSERT_FALSE(shownWhileUp_.empty());
  EXPECT_EQ(ValuesIn(shownWhileUp_, layout.frame), (std::set<std::uint8_t>{kDarkest, kLightest}));
  // Everything outside the box stayed as it was.
  for (int v = 0; v < platform::kCanvasHeight; ++v) {
    for (int h = 0; h < platform::kCanvasWidth; ++h) {
      if (layout.frame.contains(Point{static_cast<std::int16_t>(v), static_cast<std::int16_t>(h)}))
        continue;
      ASSERT_EQ(ShownAt(shownWhileUp_, h, v), ShownAt(before, h, v)) << h << "," << v;
    }
  }
  // The first line of text: a solid glyph box of the test fonts right after the icon.
  EXPECT_EQ(ShownAt(shownWhileUp_, layout.textLeft + 1, layout.textTop + kDialogLineBaseline - 1),
            kDarkest);
  EXPECT_EQ(platform_.shown, before);
}

TEST_F(WindowBoxTest, APaletteWithoutContrastGetsBlackAndWhiteWhileTheBoxIsUp) {
  Palette dark;
  dark.fill(Rgb{3, 3, 3});
  screen_.setPalette(dark);
  screen_.present();
  Palette paletteWhileUp{};
  boxes_.setCloseHandler([&] {
    paletteWhileUp = platform_.palette;
    shownWhileUp_ = platform_.shown;
  });
  const BoxRequest request = Request(BoxButtons::kOk);
  const BoxLayout layout = boxes_.layoutFor(request);

  EXPECT_EQ(boxes_.showBox(request), BoxAnswer::kOk);
  EXPECT_EQ(paletteWhileUp[0], (Rgb{0, 0, 0}));
  EXPECT_EQ(paletteWhileUp[255], (Rgb{255, 255, 255}));
  EXPECT_EQ(ValuesIn(shownWhileUp_, layout.frame), (std::set<std::uint8_t>{0, 255}));
  EXPECT_EQ(platform_.palette, dark);
  EXPECT_EQ(screen_.palette(), dark);
}

TEST_F(WindowBoxTest, TheFocusedButtonIsDrawnMarked) {
  const BoxRequest request = Request(BoxButtons::kOkCancel);
  const BoxLayout layout = boxes_.layoutFor(request);
  static_cast<void>(boxes_.showBox(request));
  const std::vector<std::uint8_t> focusOnOk = shownWhileUp_;
  Press(Key::kTab, 9);
  static_cast<void>(boxes_.showBox(request));
  const std::vector<std::uint8_t> focusOnCancel = shownWhileUp_;

  for (const BoxButtonPlace& button : layout.buttons)
    EXPECT_NE(PixelsIn(focusOnOk, button.rect), PixelsIn(focusOnCancel, button.rect));
  // The same frame and focus mark moved from one button to the other (the rows above the
  // labels).
  const Rect okEdge{layout.buttons[0].rect.top, layout.buttons[0].rect.left,
                    static_cast<std::int16_t>(layout.buttons[0].rect.top + 5),
                    layout.buttons[0].rect.right};
  const Rect cancelEdge{layout.buttons[1].rect.top, layout.buttons[1].rect.left,
                        static_cast<std::int16_t>(layout.buttons[1].rect.top + 5),
                        layout.buttons[1].rect.right};
  EXPECT_EQ(PixelsIn(focusOnOk, okEdge), PixelsIn(focusOnCancel, cancelEdge));
}

TEST_F(WindowBoxTest, AnAnswerFromThePlatformSkipsDrawing) {
  const std::vector<std::uint8_t> shownBefore = platform_.shown;
  const int presentsBefore = platform_.presents;
  platform_.boxAnswer = BoxAnswer::kNo;
  EXPECT_EQ(boxes_.showBox(Request(BoxButtons::kYesNoCancel)), BoxAnswer::kNo);
  // An answer that is not one of the box's buttons counts as the default.
  platform_.boxAnswer = BoxAnswer::kRetry;
  EXPECT_EQ(boxes_.showBox(Request(BoxButtons::kOkCancel)), BoxAnswer::kOk);
  platform_.boxAnswer = BoxAnswer::kCancel;
  EXPECT_EQ(boxes_.showBox(Request(BoxButtons::kYesNo)), BoxAnswer::kYes);
  EXPECT_EQ(platform_.boxes.size(), 3u);
  EXPECT_EQ(platform_.presents, presentsBefore);
  EXPECT_EQ(platform_.shown, shownBefore);
}

TEST_F(WindowBoxTest, TheBoxFitsItsTextAndNeverLeavesTheCanvas) {
  const Rect canvas = screen_.rect();
  const BoxLayout small = boxes_.layoutFor(Request(BoxButtons::kAbortRetryIgnore, "One\nTwo"));
  EXPECT_EQ(small.lines, (std::vector<std::string>{"One", "Two"}));
  EXPECT_LE(std::abs((small.frame.left + small.frame.right) - canvas.right), 1);
  EXPECT_LE(std::abs((small.frame.top + small.frame.bottom) - canvas.bottom), 1);
  for (std::size_t i = 0; i < small.buttons.size(); ++i) {
    const Rect& r = small.buttons[i].rect;
    EXPECT_TRUE(r.top >= small.frame.top && r.bottom <= small.frame.bottom &&
                r.left >= small.frame.left && r.right <= small.frame.right);
    if (i > 0) {
      EXPECT_GT(r.left, small.buttons[i - 1].rect.right);
    }
  }

  // A text far too large for any box: the lines that fit, cut to the canvas.
  std::string huge;
  for (int i = 0; i < 1000; ++i) huge += std::string(300, 'W') + "\r\n";
  const BoxRequest request = Request(BoxButtons::kOkCancel, huge);
  const BoxLayout big = boxes_.layoutFor(request);
  EXPECT_GE(big.frame.top, canvas.top);
  EXPECT_GE(big.frame.left, canvas.left);
  EXPECT_LE(big.frame.bottom, canvas.bottom);
  EXPECT_LE(big.frame.right, canvas.right);
  EXPECT_LT(big.lines.size(), 30u);
  EXPECT_LE(big.textTop + static_cast<int>(big.lines.size()) * kDialogLineHeight,
            big.buttons[0].rect.top);
  const std::vector<std::uint8_t> before = CanvasPixels();
  Press(Key::kReturn, 13);
  EXPECT_EQ(boxes_.showBox(request), BoxAnswer::kOk);
  EXPECT_EQ(CanvasPixels(), before);
}

// Answers every box with a fixed answer and keeps the requests.
struct FixedBoxes final : BoxPresenter {
  explicit FixedBoxes(BoxAnswer a) : answer(a) {}
  BoxAnswer showBox(const BoxRequest& request) override {
    shown.push_back(request);
    return answer;
  }
  BoxAnswer answer;
  std::vector<BoxRequest> shown;
};

TEST(InfoAndQuestionBoxTest, WrapTheTextAndAskWithTheirOwnCaptionsAndButtons) {
  const std::string text =
      "This sentence is long enough that a box has to wrap it over more than one line.";
  FixedBoxes ok(BoxAnswer::kOk);
  InfoBox(ok, text);
  ASSERT_EQ(ok.shown.size(), 1u);
  EXPECT_EQ(ok.shown[0].caption, "Information");
  EXPECT_EQ(ok.shown[0].text, WrapForBox(text));
  EXPECT_NE(ok.shown[0].text.find('\n'), std::string::npos);
  EXPECT_EQ(ok.shown[0].buttons, BoxButtons::kOk);
  EXPECT_EQ(ok.shown[0].icon, BoxIcon::kInformation);

  const struct {
    BoxAnswer answer;
    int expected;
  } cases[] = {{BoxAnswer::kYes, 1}, {BoxAnswer::kNo, 0}};
  for (const auto& c : cases) {
    FixedBoxes boxes(c.answer);
    EXPECT_EQ(QuestionBox(boxes, text), c.expected);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].caption, "Question");
    EXPECT_EQ(boxes.shown[0].text, WrapForBox(text));
    EXPECT_EQ(boxes.shown[0].icon, BoxIcon::kQuestion);
    EXPECT_EQ(boxes.shown[0].buttons, BoxButtons::kYesNo);
  }
}

TEST(TerminalBoxesTest, PrintTheButtonsAndOnlyPressOneOfThem) {
  std::FILE* out = std::tmpfile();
  ASSERT_NE(out, nullptr);
  TerminalBoxes boxes(out);
  BoxAnswer policyAnswer = BoxAnswer::kCancel;
  boxes.setPolicy([&](const BoxRequest&) { return policyAnswer; });
  // Cancel is not a button of a Yes/No box: the default, Yes.
  EXPECT_EQ(boxes.showBox(Request(BoxButtons::kYesNo, "Go on?")), BoxAnswer::kYes);
  policyAnswer = BoxAnswer::kNo;
  EXPECT_EQ(boxes.showBox(Request(BoxButtons::kYesNo, "Really?")), BoxAnswer::kNo);

  std::rewind(out);
  std::string printed;
  for (int c = std::fgetc(out); c != EOF; c = std::fgetc(out))
    printed.push_back(static_cast<char>(c));
  std::fclose(out);
  EXPECT_EQ(printed,
            "[Caption] (exclamation)\nGo on?\n  Yes / No  -> Yes\n"
            "[Caption] (exclamation)\nReally?\n  Yes / No  -> No\n");
}

}  // namespace
}  // namespace lw
