// The saved-game chooser: the runtime's own dialog, drawn in its window like the file dialogs,
// through which the player picks a saved game to open or names one to save. It lists the games
// the caller summarised (newest first, as given) with each one's identity text and date, and
// the highlighted game's thumbnail.
//
//   Up, Down             move the highlight
//   Return, Open/Save    choose the highlighted game; in save mode after typing, the typed name
//   typing, Backspace    edit the name field (save mode; the first key replaces its text)
//   Escape, Cancel       cancel
//   click, double click  highlight a game; two clicks within 20 ticks choose it
//   click on the scroll bar  page up (upper half) or down (lower half)
//
// A typed name becomes FOLDER/NAME.rtd (".rtd" added unless the name ends so). Saving over a
// file that exists, listed or typed, first asks "Replace NAME?" (Yes/No; No goes back to the
// list). Closing the window cancels and calls the boxes' close handler.
//
// Like the file dialogs, the chooser first asks the platform, which answers from an input script
// in headless and scripted runs ("choose PATH", "answer cancel"): an answer is the chosen path
// (a relative one names a file in the folder), an empty one a cancel, and nothing is drawn.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "shell/dialogs/saved_game_chooser_view.h"
#include "shell/dialogs/saved_game_entry.h"
#include "shell/dialogs/window_boxes.h"

namespace lw {

// The games of the folder, listed when the chooser is drawn (and not when the platform answers).
using SavedGameList = std::function<std::vector<SavedGameEntry>()>;

class SavedGameChooser {
 public:
  explicit SavedGameChooser(WindowBoxes& boxes) : boxes_(boxes) {}

  // The path of the saved game the player chose among the `list` of the games in `folder`, or
  // nothing when cancelled.
  [[nodiscard]] std::optional<std::filesystem::path> ChooseToOpen(
      const std::filesystem::path& folder, const SavedGameList& list);
  // The path to save the game to: a listed game or a new name in `folder`, the name field
  // first holding `suggestedName`; nothing when cancelled.
  [[nodiscard]] std::optional<std::filesystem::path> ChooseToSave(
      const std::filesystem::path& folder, const SavedGameList& list,
      std::string_view suggestedName);

  // Where a drawn chooser's parts lie (tests click them).
  [[nodiscard]] SavedGameChooserLayout layout() {
    return LayoutSavedGameChooser(boxes_.canvas().screen().rect());
  }

 private:
  std::optional<std::filesystem::path> choose(bool save, const std::filesystem::path& folder,
                                              const SavedGameList& list,
                                              std::string_view suggestedName);

  WindowBoxes& boxes_;
};

}  // namespace lw
