// The look of the saved-game chooser: where its parts lie on the screen canvas and how they are
// drawn. Under the caption bar, the list of saved games (identity text on the left of each row,
// the date on the right) with its scroll bar, and beside it the highlighted game's thumbnail;
// below them the name field (save mode only) and the Open (or Save) and Cancel buttons.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "common/geometry.h"
#include "shell/dialogs/dialog_canvas.h"
#include "shell/dialogs/saved_game_entry.h"
#include "shell/drawing/screen.h"

namespace lw {

struct SavedGameChooserLayout {
  static constexpr int kVisibleRows = 12;
  static constexpr int kThumbnailWidth = 160;
  static constexpr int kThumbnailHeight = 120;
  static constexpr int kOkButton = 0;
  static constexpr int kCancelButton = 1;

  Rect frame;
  Rect caption;
  Rect list;       // framed; rows start one pixel inside
  Rect scrollBar;  // beside the list
  Rect thumbnail;  // the picture's area, inside its frame
  Rect nameLabel;
  Rect nameField;
  std::array<Rect, 2> buttons;  // kOkButton, kCancelButton

  [[nodiscard]] Rect rowRect(int visibleRow) const;
  // The visible row under a canvas point, or -1.
  [[nodiscard]] int rowAt(Point where) const;
  // The button under a canvas point, or -1.
  [[nodiscard]] int buttonAt(Point where) const;
};

[[nodiscard]] SavedGameChooserLayout LayoutSavedGameChooser(const Rect& canvas);

// What the chooser shows at one moment.
struct SavedGameChooserView {
  std::string_view title;  // "Open" or "Save"
  const std::vector<SavedGameEntry>& entries;
  int top = 0;        // the entry in the first visible row
  int selected = -1;  // the highlighted entry, or -1
  bool save = false;  // the name field is shown
  std::string_view name;
  bool nameSelected = false;  // the whole name is selected (typing replaces it)
  int pressed = -1;           // the button held down under the mouse, or -1
};

void DrawSavedGameChooser(DialogCanvas& canvas, const SavedGameChooserLayout& layout,
                          const SavedGameChooserView& view, DialogColours colours);

// Draws `picture` scaled to fill `area` of the screen canvas (nearest pixel), each colour shown
// as the installed palette's closest entry.
void DrawThumbnail(Screen& screen, const Rect& area, const ThumbnailPicture& picture);

}  // namespace lw
