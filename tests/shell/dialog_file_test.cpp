#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "dialog_fixture.h"
#include "shell/dialogs/file_dialog.h"
#include "shell/dialogs/file_dialog_list.h"
#include "support/temp_folder.h"

namespace lw {
namespace {

using platform::Key;
namespace fs = std::filesystem;

TEST(FileDialogListTest, FiltersParseAndPatternsMatchWithoutRegardToCase) {
  const std::vector<FilterPair> one = ParseFilterText("Saved games (.RTD)!*.rtd!!");
  ASSERT_EQ(one.size(), 1u);
  EXPECT_EQ(one[0].name, "Saved games (.RTD)");
  EXPECT_EQ(one[0].pattern, "*.rtd");
  const std::vector<FilterPair> two = ParseFilterText("Pictures!*.png;*.bmp!Any!*!!");
  ASSERT_EQ(two.size(), 2u);
  EXPECT_EQ(two[1].name, "Any");
  EXPECT_EQ(two[1].pattern, "*");
  EXPECT_TRUE(ParseFilterText("No pattern!!").empty());
  EXPECT_TRUE(ParseFilterText("").empty());

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
  };
  for (const auto& c : cases)
    EXPECT_EQ(MatchesPattern(c.name, c.patterns), c.matches) << c.name << " " << c.patterns;

  const FileTypeFilter saved = FilterForType(file_type::kSavedGame);
  EXPECT_EQ(saved.name, "Saved games (.RTD)");
  EXPECT_EQ(saved.pattern, "*.rtd");
  EXPECT_EQ(saved.defaultExtension, "RTD");
  EXPECT_EQ(saved.initialName, "*.rtd");
  EXPECT_EQ(FilterForType(file_type::kText).pattern, "*.txt");
  EXPECT_EQ(FilterForType(file_type::kMovie).pattern, "*.mov");
  EXPECT_EQ(FilterForType(file_type::kStarFile).name, "Star files (.STR)");
  EXPECT_EQ(FilterForType(0x3F3F3F3F).pattern, "*");
}

TEST(FileDialogListTest, AListingShowsParentFoldersAndMatchingFiles) {
  test::TempFolder temp;
  temp.writeFile("b.rtd", "");
  temp.writeFile("A.RTD", "");
  temp.writeFile("notes.txt", "");
  temp.writeFile(".hidden.rtd", "");
  temp.makeFolder("Zeta");
  temp.makeFolder("alpha");
  temp.makeFolder(".git");

  std::vector<std::string> names;
  std::vector<bool> folders;
  for (const FolderEntry& entry : ListFolder(temp.path(), "*.rtd")) {
    names.push_back(entry.name);
    folders.push_back(entry.folder);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"..", "alpha", "Zeta", "A.RTD", "b.rtd"}));
  EXPECT_EQ(folders, (std::vector<bool>{true, true, true, false, false}));

  const std::vector<FolderEntry> missing = ListFolder(temp.path() / "missing", "*");
  ASSERT_EQ(missing.size(), 1u);
  EXPECT_EQ(missing[0].name, "..");
  for (const FolderEntry& entry : ListFolder("/", "*")) EXPECT_NE(entry.name, "..");

  EXPECT_EQ(FindNameIgnoringCase(temp.path(), "a.rtd"), "A.RTD");
  EXPECT_EQ(FindNameIgnoringCase(temp.path(), "b.rtd"), "b.rtd");
  EXPECT_EQ(FindNameIgnoringCase(temp.path(), "c.rtd"), "");
}

// A title folder holding saved games in two cases of name, a text, a hidden file and two
// subfolders: the saved-game listing is "..", "sub", "sub2", "a.rtd", "B.RTD".
class FileDialogTest : public test::DialogTest {
 protected:
  FileDialogTest() {
    temp_.writeFile("a.rtd", "saved");
    temp_.writeFile("B.RTD", "saved");
    temp_.writeFile("c.txt", "text");
    temp_.writeFile(".hidden.rtd", "");
    temp_.writeFile("sub/inner.rtd", "saved");
    temp_.makeFolder("sub2");
  }

  void Down(int times) {
    for (int i = 0; i < times; ++i) Press(Key::kDown);
  }
  void Return() { Press(Key::kReturn, 13); }
  void Escape() { Press(Key::kEscape, 27); }
  void Backspace() { Press(Key::kBackspace, 8); }

  int Open(std::uint32_t type = file_type::kSavedGame) {
    return dialogs_.OpenFileDialog(path_, name_, type);
  }
  int Save() { return dialogs_.SaveFileDialog(path_, name_, file_type::kSavedGame); }

  test::TempFolder temp_;
  FileDialogs dialogs_{boxes_, errors_, temp_.path()};
  std::string path_ = "unchanged";
  std::string name_ = "unchanged";
};

TEST_F(FileDialogTest, ReturnChoosesTheHighlightedFileAndEscapeCancels) {
  Down(4);
  Return();
  EXPECT_EQ(Open(), 1);
  EXPECT_EQ(path_, (temp_.path() / "a.rtd").string());
  EXPECT_EQ(name_, "a.rtd");

  path_ = name_ = "unchanged";
  Down(5);
  Escape();
  EXPECT_EQ(Open(), 0);
  EXPECT_EQ(path_, "unchanged");
  EXPECT_EQ(name_, "unchanged");
  EXPECT_TRUE(OnlyReleasesLeft());
  EXPECT_EQ(closes_, 0);
}

TEST_F(FileDialogTest, NavigatesIntoASubfolderAndBack) {
  Down(2);
  Return();     // into "sub"
  Backspace();  // clears the name field's "*.rtd"
  Backspace();  // up again, with "sub" highlighted
  Down(3);      // "sub2", "a.rtd", "B.RTD"
  Return();
  EXPECT_EQ(Open(), 1);
  EXPECT_EQ(name_, "B.RTD");
  EXPECT_EQ(dialogs_.folder(), temp_.path());

  Down(2);
  Return();  // into "sub"
  Down(2);   // "..", "inner.rtd"
  Return();
  EXPECT_EQ(Open(), 1);
  EXPECT_EQ(path_, (temp_.path() / "sub" / "inner.rtd").string());
  EXPECT_EQ(dialogs_.folder(), temp_.path() / "sub");

  // The next dialog starts in the folder of the last file chosen.
  Down(2);
  Return();
  EXPECT_EQ(Open(), 1);
  EXPECT_EQ(name_, "inner.rtd");
  // ".." goes back up with "sub" highlighted.
  Down(1);
  Return();
  Down(2);  // "sub2", "a.rtd"
  Return();
  EXPECT_EQ(Open(), 1);
  EXPECT_EQ(path_, (temp_.path() / "a.rtd").string());
}

TEST_F(FileDialogTest, ClicksHighlightOpenAndPressTheButtons) {
  const FileDialogLayout layout = dialogs_.layout();
  // A double click on "sub" opens it; a click on "inner.rtd" and one on Open choose it.
  platform_.click(Centre(layout.rowRect(1)));
  platform_.click(Centre(layout.rowRect(1)));
  platform_.click(Centre(layout.rowRect(1)));
  platform_.click(Centre(layout.buttons[FileDialogLayout::kOkButton]));
  EXPECT_EQ(Open(), 1);
  EXPECT_EQ(path_, (temp_.path() / "sub" / "inner.rtd").string());

  platform_.click(Centre(layout.rowRect(1)));
  platform_.click(Centre(layout.buttons[FileDialogLayout::kCancelButton]));
  EXPECT_EQ(Open(), 0);
}

TEST_F(FileDialogTest, OpenTakesTypedNamesOnlyWhenTheFileExists) {
  Type("missing");
  Return();
  Return();  // the box saying that the file is not there
  Escape();
  EXPECT_EQ(Open(), 0);
  ASSERT_EQ(platform_.boxes.size(), 1u);
  EXPECT_EQ(platform_.boxes[0].caption, "Open");
  EXPECT_NE(platform_.boxes[0].text.find("missing.RTD"), std::string::npos);

  // The default extension is added and the case of the name need not match.
  Type("b");
  Return();
  EXPECT_EQ(Open(), 1);
  EXPECT_EQ(path_, (temp_.path() / "B.RTD").string());

  // A typed folder name opens the folder, whatever its case.
  Type("SUB");
  Return();
  Type("inner");
  Return();
  EXPECT_EQ(Open(), 1);
  EXPECT_EQ(path_, (temp_.path() / "sub" / "inner.rtd").string());

  // A typed pattern filters the list.
  Type("..");
  Return();
  Type("*.RTD");
  Return();
  Down(4);
  Return();
  EXPECT_EQ(Open(file_type::kText), 1);
  EXPECT_EQ(name_, "a.rtd");
}

TEST_F(FileDialogTest, SaveAsksBeforeReplacingAFile) {
  Type("A");
  Return();
  Press(Key::kCharacter, 'n');  // No: back to the dialog
  Return();
  Escape();  // Escape answers No too, and the dialog stays up
  Return();
  Press(Key::kCharacter, 'y');  // Yes: replace
  EXPECT_EQ(Save(), 1);
  EXPECT_EQ(path_, (temp_.path() / "a.rtd").string());
  ASSERT_EQ(platform_.boxes.size(), 3u);
  EXPECT_EQ(platform_.boxes[0].buttons, BoxButtons::kYesNo);
  EXPECT_NE(platform_.boxes[0].text.find("a.rtd"), std::string::npos);
  EXPECT_TRUE(OnlyReleasesLeft());

  Type("fresh");
  Return();
  EXPECT_EQ(Save(), 1);
  EXPECT_EQ(path_, (temp_.path() / "fresh.RTD").string());
  EXPECT_EQ(name_, "fresh.RTD");
  EXPECT_EQ(platform_.boxes.size(), 3u);

  // Closing the window while the question is up cancels the dialog.
  path_ = "unchanged";
  Type("b");
  Return();
  EXPECT_EQ(Save(), 0);
  EXPECT_EQ(path_, "unchanged");
  EXPECT_EQ(platform_.boxes.size(), 4u);
  EXPECT_EQ(closes_, 1);
}

TEST_F(FileDialogTest, OtherLayersHearOfEachDialogOnceWithTheBoxesInsideIt) {
  std::vector<std::string> calls;
  boxes_.setHooks({[&] { calls.push_back("before"); },
                   [&] { calls.push_back("after " + std::to_string(platform_.boxes.size())); }});
  Type("a");
  Return();
  Press(Key::kCharacter, 'y');  // the box asking to replace a.rtd
  EXPECT_EQ(Save(), 1);
  EXPECT_EQ(calls, (std::vector<std::string>{"before", "after 1"}));

  platform_.boxAnswer = BoxAnswer::kOk;
  static_cast<void>(boxes_.showBox(BoxRequest{}));
  platform_.fileAnswer = "";
  EXPECT_EQ(Open(), 0);
  EXPECT_EQ(calls, (std::vector<std::string>{"before", "after 1", "before", "after 2", "before",
                                             "after 2"}));
}

TEST_F(FileDialogTest, APlatformAnswerSkipsTheDialog) {
  const std::vector<std::uint8_t> before = CanvasPixels();
  platform_.fileAnswer = "/somewhere/games/slot.rtd";
  EXPECT_EQ(Open(), 1);
  EXPECT_EQ(path_, "/somewhere/games/slot.rtd");
  EXPECT_EQ(name_, "slot.rtd");
  EXPECT_EQ(dialogs_.folder(), fs::path("/somewhere/games"));

  platform_.fileAnswer = "";
  EXPECT_EQ(Save(), 0);
  EXPECT_TRUE(reported_.shown.empty());

  // A path without a folder is a program error.
  platform_.fileAnswer = "slot.rtd";
  EXPECT_EQ(Open(), 0);
  ASSERT_EQ(reported_.shown.size(), 1u);
  EXPECT_NE(reported_.shown[0].text.find("415"), std::string::npos);
  EXPECT_EQ(path_, "/somewhere/games/slot.rtd");
  EXPECT_EQ(CanvasPixels(), before);
}

TEST_F(FileDialogTest, AMissingFolderListsEmptyAndClosingCancels) {
  FileDialogs dialogs(boxes_, errors_, temp_.path() / "gone");
  Down(1);
  Return();  // ".."
  Down(4);
  Return();
  EXPECT_EQ(dialogs.OpenFileDialog(path_, name_, file_type::kSavedGame), 1);
  EXPECT_EQ(name_, "a.rtd");

  // Nothing queued: the player closes the window while the dialog is up.
  const std::vector<std::uint8_t> before = CanvasPixels();
  const FileDialogLayout layout = dialogs_.layout();
  EXPECT_EQ(Open(), 0);
  EXPECT_EQ(closes_, 1);
  EXPECT_NE(ShownAt(shownWhileUp_, layout.caption.left + 1, layout.caption.top + 1),
            ShownAt(before, layout.caption.left + 1, layout.caption.top + 1));
  EXPECT_EQ(CanvasPixels(), before);
  EXPECT_EQ(platform_.shown, before);
}

TEST_F(FileDialogTest, LongListsScrollWithTheHighlightAndTheScrollBar) {
  test::TempFolder many;
  for (int i = 0; i < 30; ++i) {
    std::string name = "f00.txt";
    name[1] = static_cast<char>('0' + i / 10);
    name[2] = static_cast<char>('0' + i % 10);
    many.writeFile(name, "");
  }
  FileDialogs dialogs(boxes_, errors_, many.path());
  Down(21);  // "..", then f00 .. f19
  Return();
  EXPECT_EQ(dialogs.OpenFileDialog(path_, name_, file_type::kText), 1);
  EXPECT_EQ(name_, "f19.txt");

  // A click on the lower half of the scroll bar pages down one screenful.
  const FileDialogLayout layout = dialogs.layout();
  platform_.click(Point{static_cast<std::int16_t>(layout.scrollBar.bottom - 2),
                        static_cast<std::int16_t>(layout.scrollBar.left + 2)});
  platform_.click(Centre(layout.rowRect(0)));
  Return();
  EXPECT_EQ(dialogs.OpenFileDialog(path_, name_, file_type::kText), 1);
  EXPECT_EQ(name_, "f" + std::to_string(FileDialogLayout::kVisibleRows - 1) + ".txt");
}

}  // namespace
}  // namespace lw
