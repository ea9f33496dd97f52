#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "dialog_fixture.h"
#include "shell/dialogs/file_dialog.h"
#include "shell/dialogs/file_dialog_list.h"
#include "support/temp_folder.h"

namespace lw::test {
namespace {

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

  std::string found;
  for (const char* name : {"a.rtd", "b.rtd", "c.rtd", "zETA"})
    found += FindNameIgnoringCase(temp.path(), name) + "|";
  EXPECT_EQ(found, "A.RTD|b.rtd||Zeta|");
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
  EXPECT_EQ(Save("'fresh ret"), "fresh.RTD");
  EXPECT_EQ(platform.boxes.size(), 3u);
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
  EXPECT_TRUE(reported.shown.empty());
  // A path without a folder is a program error.
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
