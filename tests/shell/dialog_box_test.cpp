// Message boxes drawn in a window, the terminal's boxes, the one-line text dialog and the file
// dialogs with their listings.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "shell/dialogs/box_layout.h"
#include "shell/dialogs/boxes.h"
#include "shell/dialogs/file_dialog.h"
#include "shell/dialogs/file_dialog_list.h"
#include "shell/dialogs/text_dialog.h"
#include "shell/dialogs/window_boxes.h"
#include "support/shell_printers.h"
#include "support/shell_rig.h"
#include "support/temp_folder.h"

namespace lw::test {
namespace {

// Shared set-up of the dialog tests: the rig's screen, whose boxes are drawn (the platform
// answers none), a grey-ramp palette (entry i is grey level i, so ink is 0 and paper 255), and a
// canvas filled with a known pattern.
class DialogTest : public ::testing::Test, protected ShellRig {
 protected:
  DialogTest() {
    platform.boxAnswer = std::nullopt;
    Palette grey{};
    for (std::size_t i = 0; i < grey.size(); ++i) {
      const auto level = static_cast<std::uint8_t>(i);
      grey[i] = Rgb{level, level, level};
    }
    screen.setPalette(grey);
    // Every canvas pixel a function of its place, in the middle of the palette, so that dialog
    // pixels (ink and paper) stand out and a restore can be checked exactly.
    Surface& canvas = screen.canvas();
    for (int y = 0; y < canvas.height(); ++y)
      for (int x = 0; x < canvas.width(); ++x)
        canvas.row(y)[x] = static_cast<std::uint8_t>(60 + (x * 7 + y) % 120);
    screen.present();
    boxes.setCloseHandler([this] {
      ++closes;
      shownWhileUp = platform.shown;
    });
  }

  [[nodiscard]] std::vector<std::uint8_t> CanvasPixels() {
    const Surface& canvas = screen.canvas();
    return {canvas.data(),
            canvas.data() + static_cast<std::size_t>(canvas.rowBytes()) * canvas.height()};
  }

  // The pixel at (h, v) of a presented canvas copy.
  [[nodiscard]] std::uint8_t ShownAt(const std::vector<std::uint8_t>& shown, int h, int v) {
    return shown.at(static_cast<std::size_t>(v) * screen.canvas().rowBytes() + h);
  }
  // A picture of `area` of a presented canvas copy: '#' ink, '.' paper, '?' the pattern.
  [[nodiscard]] std::string ShownPicture(const std::vector<std::uint8_t>& shown, const Rect& area) {
    return Picture(shown, screen.canvas().rowBytes(), area);
  }
  // The same of row `v` from `left` up to `right`.
  [[nodiscard]] std::string ShownRow(const std::vector<std::uint8_t>& shown, int v, int left,
                                     int right) {
    const auto at = [](int value) { return static_cast<std::int16_t>(value); };
    return ShownPicture(shown, Rect{at(v), at(left), at(v + 1), at(right)});
  }

  // True when the dialog used every press queued for it: only releases are left.
  [[nodiscard]] bool OnlyReleasesLeft() const {
    return std::all_of(platform.messages.begin(), platform.messages.end(),
                       [](const platform::Message& m) {
                         return m.kind == platform::MessageKind::kKeyUp ||
                                m.kind == platform::MessageKind::kButtonUp;
                       });
  }
  static Point Centre(const Rect& r) {
    return Point{static_cast<std::int16_t>((r.top + r.bottom) / 2),
                 static_cast<std::int16_t>((r.left + r.right) / 2)};
  }

  WindowBoxes boxes{platform, screen, errors};
  int closes = 0;
  std::vector<std::uint8_t> shownWhileUp;  // the presented canvas when the window was closed
};

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
  EXPECT_EQ(ShownRow(focusOnNo, 272, yes.left + 5, yes.right - 5),
            std::string(26, '.') + std::string(18, '#') + std::string(26, '.'));
  EXPECT_EQ(ShownRow(focusOnNo, 272, no.left + 5, no.right - 5),
            std::string(29, '.') + std::string(12, '#') + std::string(29, '.'));
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
  const BoxRequest request = Request(BoxButtons::kOkCancel);
  const BoxLayout layout = boxes.layoutFor(request);

  EXPECT_EQ(boxes.showBox(request), BoxAnswer::kCancel);  // closed while up
  ASSERT_FALSE(shownWhileUp.empty());
  // The box has only the two colours, and everything outside it stayed as it was.
  std::set<std::uint8_t> inside;
  std::vector<std::uint8_t> outside = shownWhileUp;
  for (int v = layout.frame.top, h = layout.frame.left, w = platform::kCanvasWidth;
       v < layout.frame.bottom; ++v) {
    inside.insert(&shownWhileUp[v * w + h], &shownWhileUp[v * w + layout.frame.right]);
    std::copy_n(&before[v * w + h], layout.frame.right - h, &outside[v * w + h]);
  }
  EXPECT_EQ(inside, (std::set<std::uint8_t>{kDarkest, kLightest}));
  EXPECT_TRUE(outside == before);
  // The first line of text: a solid glyph box of the test fonts right after the icon.
  EXPECT_EQ(ShownAt(shownWhileUp, layout.textLeft + 1, layout.textTop + kDialogLineBaseline - 1),
            kDarkest);
  // Restored, and presented again.
  EXPECT_EQ(CanvasPixels(), before);
  EXPECT_EQ(platform.shown, before);
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
  const BoxLayout big = boxes.layoutFor(Request(BoxButtons::kOkCancel, huge));
  EXPECT_EQ(Print(big.frame), "0,0,480,640");
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
  EXPECT_EQ(calls, "()()()()()()");  // the hooks run once around each dialog

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
  // The prompt is drawn above the field.
  const int promptRow = layout.textTop + kDialogLineBaseline - 1;
  EXPECT_EQ(ShownAt(shownWhileUp, layout.textLeft + 1, promptRow), 0);
}

namespace fs = std::filesystem;

// The pairs of a filter text as "name=pattern", separated by spaces.
std::string Pairs(std::string_view text) {
  std::string pairs;
  for (const FilterPair& pair : ParseFilterText(text))
    pairs += (pairs.empty() ? "" : " ") + pair.name + "=" + pair.pattern;
  return pairs;
}

// A listing as its names, folders ending in '/'.
std::string Listing(const fs::path& folder, std::string_view pattern) {
  std::string names;
  for (const FolderEntry& entry : ListFolder(folder, pattern))
    names += (names.empty() ? "" : " ") + entry.name + (entry.folder ? "/" : "");
  return names;
}

TEST(FileDialogListTest, FiltersParseAndPatternsMatchWithoutRegardToCase) {
  EXPECT_EQ(Pairs("Saved games (.RTD)!*.rtd!!"), "Saved games (.RTD)=*.rtd");
  EXPECT_EQ(Pairs("Pictures!*.png;*.bmp!Any!*!!"), "Pictures=*.png;*.bmp Any=*");
  EXPECT_EQ(Pairs("No pattern!!") + Pairs("") + Pairs("!*.x!!"), "");

  const struct {
    const char* name;
    const char* patterns;
    bool matches;
  } cases[] = {
      {"GAME.RTD", "*.rtd", true},     {"game.rtdx", "*.rtd", false},
      {"rtd", "*.rtd", false},         {"a.txt", "?.TXT", true},
      {"ab.txt", "?.txt", false},      {"x.bmp", "*.png;*.bmp", true},
      {"x.gif", "*.png;*.bmp", false}, {"aXbYbZc", "a*b*c", true},
      {"aXbYbZd", "a*b*c", false},     {"", "*", true},
      {"anything", "*", true},         {"a.rtd", "", false},
      {"abc", "abc**", true},          {"aab", "*ab", true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(MatchesPattern(c.name, c.patterns), c.matches) << c.name << " " << c.patterns;

  const auto filter = [](std::uint32_t type) {
    const FileTypeFilter f = FilterForType(type);
    return f.name + "|" + f.pattern + "|" + f.defaultExtension + "|" + f.initialName;
  };
  EXPECT_EQ(filter(file_type::kSavedGame), "Saved games (.RTD)|*.rtd|RTD|*.rtd");
  EXPECT_EQ(filter(file_type::kMovie), "Movies (.MOV)|*.mov||");
  EXPECT_EQ(filter(0x3F3F3F3F), "All files|*||");  // a type the runtime does not know
}

TEST(FileDialogListTest, AListingShowsParentFoldersAndMatchingFiles) {
  TempFolder temp;
  for (const char* name : {"b.rtd", "A.RTD", "notes.txt", ".hidden.rtd"}) temp.writeFile(name, "");
  for (const char* name : {"Zeta", "alpha", ".git"}) temp.makeFolder(name);
  EXPECT_EQ(Listing(temp.path(), "*.rtd"), "../ alpha/ Zeta/ A.RTD b.rtd");
  EXPECT_EQ(Listing(temp.path() / "missing", "*"), "../");
  EXPECT_EQ(Listing("/", "*").find("../"), std::string::npos);
  // Finding names without regard to case is decided by the names typed into the dialogs.
}

// A title folder holding saved games in two cases of name, a text, a hidden file and two
// subfolders: the saved-game listing is "..", "sub", "sub2", "a.rtd", "B.RTD".
class FileDialogTest : public DialogTest {
 protected:
  FileDialogTest() {
    temp.writeFile("a.rtd", "saved");
    temp.writeFile("B.RTD", "saved");
    temp.writeFile("c.txt", "text");
    temp.writeFile(".hidden.rtd", "");
    temp.writeFile("sub/inner.rtd", "saved");
    temp.makeFolder("sub2");
  }

  // Queues `keys`, runs a dialog and gives what it chose: the path relative to `base` (the name
  // must be its last part), or "-" when it was cancelled and left the path alone.
  std::string Run(FileDialogs& run, const fs::path& base, std::string_view keys, bool save,
                  std::uint32_t type = file_type::kSavedGame) {
    path = name = "-";
    platform.keys(keys);
    if ((save ? run.SaveFileDialog(path, name, type) : run.OpenFileDialog(path, name, type)) == 0)
      return path + name == "--" ? "-" : "- but " + path;
    EXPECT_EQ(fs::path(path).filename().string(), name);
    return fs::path(path).lexically_relative(base).string();
  }
  std::string Open(std::string_view keys, std::uint32_t type = file_type::kSavedGame) {
    return Run(dialogs, temp.path(), keys, false, type);
  }
  std::string Save(std::string_view keys) { return Run(dialogs, temp.path(), keys, true); }

  TempFolder temp;
  FileDialogs dialogs{boxes, errors, temp.path()};
  std::string path;
  std::string name;
};

TEST_F(FileDialogTest, KeysChooseNavigateAndCancel) {
  EXPECT_EQ(Open("down*4 ret"), "a.rtd");
  EXPECT_EQ(Open("down*5 esc"), "-");
  EXPECT_TRUE(OnlyReleasesLeft());
  // Into "sub"; the first Backspace clears the name field's "*.rtd", the second goes up with
  // "sub" highlighted; then "sub2", "a.rtd", "B.RTD".
  EXPECT_EQ(Open("down*2 ret bs bs down*3 ret"), "B.RTD");
  EXPECT_EQ(Open("down*2 ret down*2 ret"), "sub/inner.rtd");  // "..", "inner.rtd" in "sub"
  // The next dialog starts in the folder of the last file chosen; ".." goes back up with "sub"
  // highlighted.
  EXPECT_EQ(Open("down*2 ret"), "sub/inner.rtd");
  EXPECT_EQ(Open("down ret down*2 ret"), "a.rtd");
  EXPECT_EQ(closes, 0);
}

TEST_F(FileDialogTest, ClicksHighlightOpenAndPressTheButtons) {
  const FileDialogLayout layout = dialogs.layout();
  // A double click on "sub" opens it; a click on "inner.rtd" and one on Open choose it.
  for (int i = 0; i < 3; ++i) platform.click(Centre(layout.rowRect(1)));
  platform.click(Centre(layout.buttons[FileDialogLayout::kOkButton]));
  EXPECT_EQ(Open(""), "sub/inner.rtd");
  platform.click(Centre(layout.rowRect(1)));
  platform.click(Centre(layout.buttons[FileDialogLayout::kCancelButton]));
  EXPECT_EQ(Open(""), "-");
}

TEST_F(FileDialogTest, OpenTakesTypedNamesOnlyWhenTheFileExists) {
  // The second Return closes the box saying the file is not there.
  EXPECT_EQ(Open("'missing ret ret esc"), "-");
  EXPECT_EQ(Print(platform.boxes),
            "Open|missing.RTD/File not found. Check the name and try/again.|OK|exclamation");
  // The default extension is added and the case of names need not match, of folders either.
  EXPECT_EQ(Open("b ret"), "B.RTD");
  EXPECT_EQ(Open("'SUB ret 'inner ret"), "sub/inner.rtd");
  // A typed pattern filters the list.
  EXPECT_EQ(Open("'.. ret '*.RTD ret down*4 ret", file_type::kText), "a.rtd");
}

TEST_F(FileDialogTest, SaveAsksBeforeReplacingAFile) {
  // No, and Escape, go back to the dialog; Yes replaces.
  EXPECT_EQ(Save("A ret n ret esc ret y"), "a.rtd");
  const std::string question = "Save|a.rtd already exists./Do you want to replace it?|Yes/No|";
  EXPECT_EQ(Print(platform.boxes, " ; "),
            question + "exclamation ; " + question + "exclamation ; " + question + "exclamation");
  EXPECT_TRUE(OnlyReleasesLeft());
  EXPECT_EQ(Save("'fresh ret"), "fresh.RTD");  // a new name asks nothing
  // Closing the window while the question is up cancels the dialog.
  EXPECT_EQ(Save("b ret"), "-");
  EXPECT_EQ(platform.boxes.size(), 4u);
  EXPECT_EQ(closes, 1);
}

TEST_F(FileDialogTest, APlatformAnswerSkipsTheDialog) {
  const std::vector<std::uint8_t> before = CanvasPixels();
  platform.fileAnswer = "/somewhere/games/slot.rtd";
  EXPECT_EQ(dialogs.OpenFileDialog(path, name, file_type::kSavedGame), 1);
  EXPECT_EQ(path + " " + name, "/somewhere/games/slot.rtd slot.rtd");
  EXPECT_EQ(dialogs.folder(), fs::path("/somewhere/games"));
  platform.fileAnswer = "";
  EXPECT_EQ(Save(""), "-");
  // A path without a folder is a program error (the only one reported).
  platform.fileAnswer = "slot.rtd";
  EXPECT_EQ(Open(""), "-");  // nor the path of the last answer
  ASSERT_EQ(reported.shown.size(), 1u);
  EXPECT_NE(reported.shown[0].text.find("415"), std::string::npos);
  EXPECT_EQ(CanvasPixels(), before);
}

TEST_F(FileDialogTest, LongListsScrollWithTheHighlightAndTheScrollBar) {
  TempFolder many;
  for (int i = 0; i < 30; ++i) many.writeFile("f" + std::to_string(10 + i) + ".txt", "");
  FileDialogs dialogs(boxes, errors, many.path());
  EXPECT_EQ(Run(dialogs, many.path(), "down*21 ret", false, file_type::kText), "f29.txt");
  // A click on the lower half of the scroll bar pages down one screenful.
  const FileDialogLayout layout = dialogs.layout();
  platform.click(Point{static_cast<std::int16_t>(layout.scrollBar.bottom - 2),
                       static_cast<std::int16_t>(layout.scrollBar.left + 2)});
  platform.click(Centre(layout.rowRect(0)));
  EXPECT_EQ(Run(dialogs, many.path(), "ret", false, file_type::kText),
            "f" + std::to_string(10 + FileDialogLayout::kVisibleRows - 1) + ".txt");
}

}  // namespace
}  // namespace lw::test
