// The saved-game chooser drawn in the window, driven by keys and clicks.
#include "shell/dialogs/saved_game_chooser.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "support/shell_rig.h"
#include "support/temp_folder.h"

namespace lw::test {
namespace {

namespace fs = std::filesystem;

// A folder with two saved games (their contents do not matter to the chooser) listed as three
// entries, the newest first; only the first has a picture: grey 40 on its left, grey 200 on its
// right. The palette is a grey ramp (entry i is grey i), so ink is 0 and paper 255.
class SavedGameChooserTest : public ::testing::Test, protected ShellRig {
 protected:
  SavedGameChooserTest() {
    platform.boxAnswer = std::nullopt;
    Palette grey{};
    for (std::size_t i = 0; i < grey.size(); ++i) {
      const auto level = static_cast<std::uint8_t>(i);
      grey[i] = Rgb{level, level, level};
    }
    screen.setPalette(grey);
    // Canvas pixels of the middle greys, so that a restore can be checked exactly.
    Surface& canvas = screen.canvas();
    for (int y = 0; y < canvas.height(); ++y)
      for (int x = 0; x < canvas.width(); ++x)
        canvas.row(y)[x] = static_cast<std::uint8_t>(60 + (x * 7 + y) % 120);
    screen.present();
    temp.writeFile("slot1.rtd", "game");
    temp.writeFile("Slot2.rtd", "game");
    const ThumbnailPicture picture{2, 1, {Rgb{40, 40, 40}, Rgb{200, 200, 200}}};
    entries = {{temp.path() / "slot1.rtd", "At the well", "2026-12-08 11:30", picture},
               {temp.path() / "Slot2.rtd", "In the tower", "2026-12-07 09:05", {}},
               {temp.path() / "gone.rtd", "Lost", "2026-12-01 10:00", {}}};
    boxes.setCloseHandler([this] {
      ++closes;
      shownWhileUp = platform.shown;
    });
  }

  // Queues `keys`, runs the chooser and gives the chosen file's name, or "-" when cancelled.
  std::string Run(std::string_view keys, bool save) {
    platform.keys(keys);
    const std::optional<fs::path> chosen = save
                                               ? chooser.ChooseToSave(temp.path(), list, "SaveGame")
                                               : chooser.ChooseToOpen(temp.path(), list);
    if (!chosen) return "-";
    EXPECT_EQ(chosen->parent_path(), temp.path());
    return chosen->filename().string();
  }
  std::string Open(std::string_view keys) { return Run(keys, false); }
  std::string Save(std::string_view keys) { return Run(keys, true); }

  // The questions asked, separated by " ; ".
  std::string Asked() const {
    std::string text;
    for (const BoxRequest& box : platform.boxes) text += (text.empty() ? "" : " ; ") + box.text;
    return text;
  }
  static Point Centre(const Rect& r) {
    return PointAt((r.top + r.bottom) / 2, (r.left + r.right) / 2);
  }
  [[nodiscard]] std::uint8_t ShownAt(int h, int v) {
    return shownWhileUp.at(static_cast<std::size_t>(v) * screen.canvas().rowBytes() + h);
  }

  TempFolder temp;
  std::vector<SavedGameEntry> entries;
  SavedGameList list = [this] { return entries; };
  WindowBoxes boxes{platform, screen, errors};
  SavedGameChooser chooser{boxes};
  int closes = 0;
  std::vector<std::uint8_t> shownWhileUp;
};

TEST_F(SavedGameChooserTest, OpenKeysMoveTheHighlightChooseAndCancel) {
  EXPECT_EQ(Open("ret"), "slot1.rtd");  // the newest is highlighted first
  EXPECT_EQ(Open("down ret"), "Slot2.rtd");
  EXPECT_EQ(Open("down*5 up ret"), "Slot2.rtd");  // the highlight stops at the last entry
  EXPECT_EQ(Open("'xy bs ret"), "slot1.rtd");     // no name field to type into
  EXPECT_EQ(Open("down esc"), "-");
  entries.clear();
  EXPECT_EQ(Open("ret esc"), "-");
  EXPECT_EQ(platform.beeps, 1);
  EXPECT_EQ(closes, 0);
  EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(SavedGameChooserTest, ClicksHighlightChooseAndPressTheButtons) {
  const SavedGameChooserLayout layout = chooser.layout();
  platform.click(Centre(layout.rowRect(1)));
  platform.click(Centre(layout.buttons[SavedGameChooserLayout::kOkButton]));
  EXPECT_EQ(Open(""), "Slot2.rtd");
  platform.click(Centre(layout.rowRect(2)));
  platform.click(Centre(layout.rowRect(2)));  // a double click chooses at once
  EXPECT_EQ(Open(""), "gone.rtd");
  platform.click(Centre(layout.rowRect(5)));  // below the last entry: nothing
  platform.click(Centre(layout.buttons[SavedGameChooserLayout::kCancelButton]));
  EXPECT_EQ(Open(""), "-");
  EXPECT_EQ(Open("down"), "-");  // the queue runs dry: the player closed the window
  EXPECT_EQ(closes, 1);
}

TEST_F(SavedGameChooserTest, SaveTakesTypedNamesAndAsksBeforeReplacing) {
  EXPECT_EQ(Save("ret"), "SaveGame.rtd");  // the suggested name, new: nothing asked
  EXPECT_EQ(Save("'Later ret"), "Later.rtd");
  EXPECT_EQ(Save("'abc bs ret"), "ab.rtd");
  EXPECT_EQ(Save("'a/b:c.RTD ret"), "abc.RTD");  // separators are not typed
  EXPECT_TRUE(platform.boxes.empty());
  // An existing file, typed in another case or highlighted, is replaced only after a Yes.
  EXPECT_EQ(Save("'SLOT1 ret n esc"), "-");
  EXPECT_EQ(Save("down*2 ret y"), "Slot2.rtd");
  EXPECT_EQ(Save("down*3 ret"), "gone.rtd");  // listed, but no longer there: nothing to replace
  EXPECT_EQ(Asked(), "Replace slot1.rtd? ; Replace Slot2.rtd?");
  // Closing the window while the question is up cancels.
  EXPECT_EQ(Save("down ret"), "-");
  EXPECT_EQ(closes, 1);
}

TEST_F(SavedGameChooserTest, ThePlatformsAnswerIsUsedWithoutDrawing) {
  const int presents = platform.presents;
  platform.fileAnswer = "/games/moss/slot9.rtd";
  int listed = 0;
  const SavedGameList counted = [&] {
    ++listed;
    return entries;
  };
  EXPECT_EQ(chooser.ChooseToOpen(temp.path(), counted), fs::path("/games/moss/slot9.rtd"));
  platform.fileAnswer = "slot2.rtd";  // a file of the chooser's folder
  EXPECT_EQ(chooser.ChooseToSave(temp.path(), counted, "SaveGame"), temp.path() / "slot2.rtd");
  platform.fileAnswer = "";
  EXPECT_EQ(chooser.ChooseToSave(temp.path(), counted, "SaveGame"), std::nullopt);
  EXPECT_EQ(platform.presents, presents);
  EXPECT_EQ(listed, 0);  // the folder is not read when nothing is drawn
}

TEST_F(SavedGameChooserTest, TheHighlightedGamesPictureIsShownAndTheScreenRestored) {
  const std::vector<std::uint8_t> before = platform.shown;
  const Rect area = chooser.layout().thumbnail;
  EXPECT_EQ(Open(""), "-");  // closed with the first game highlighted
  EXPECT_EQ(ShownAt(area.left, area.top), 40);
  EXPECT_EQ(ShownAt(area.left + area.width() / 2 - 1, area.bottom - 1), 40);
  EXPECT_EQ(ShownAt(area.left + area.width() / 2, area.top), 200);
  EXPECT_EQ(ShownAt(area.right - 1, area.bottom - 1), 200);
  EXPECT_EQ(ShownAt(area.left - 1, area.top), 0);  // its frame
  EXPECT_EQ(Open("down"), "-");                    // a game without a picture: paper
  EXPECT_EQ(ShownAt(area.left, area.top), 255);
  EXPECT_EQ(platform.shown, before);
}

}  // namespace
}  // namespace lw::test
