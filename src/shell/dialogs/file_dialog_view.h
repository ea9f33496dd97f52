// The look of the file dialogs: where their parts lie on the screen canvas and how they are
// drawn. From top to bottom: the caption bar, the current folder, the list of entries with its
// scroll bar, the name field, and the Open (or Save) and Cancel buttons.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "common/geometry.h"
#include "shell/dialogs/dialog_canvas.h"
#include "shell/dialogs/file_dialog_list.h"

namespace lw {

struct FileDialogLayout {
  static constexpr int kVisibleRows = 13;
  static constexpr int kOkButton = 0;
  static constexpr int kCancelButton = 1;

  Rect frame;
  Rect caption;
  Rect folderLine;
  Rect list;       // framed; rows start one pixel inside
  Rect scrollBar;  // beside the list
  Rect nameLabel;
  Rect nameField;
  std::array<Rect, 2> buttons;  // kOkButton, kCancelButton

  // The rectangle of the list's row `visibleRow` (0 at the top of the list).
  [[nodiscard]] Rect rowRect(int visibleRow) const;
  // The visible row under a canvas point, or -1.
  [[nodiscard]] int rowAt(Point where) const;
  // The button under a canvas point, or -1.
  [[nodiscard]] int buttonAt(Point where) const;
};

[[nodiscard]] FileDialogLayout LayoutFileDialog(const Rect& canvas);

// What a file dialog shows at one moment.
struct FileDialogView {
  std::string_view title;   // "Open" or "Save"
  std::string_view folder;  // the current folder's path
  const std::vector<FolderEntry>& entries;
  int top = 0;                // the entry in the first visible row
  int selected = -1;          // the highlighted entry, or -1
  std::string_view name;      // the name field's text
  bool nameSelected = false;  // the whole name is selected (typing replaces it)
  int pressed = -1;           // the button held down under the mouse, or -1
};

void DrawFileDialog(DialogCanvas& canvas, const FileDialogLayout& layout,
                    const FileDialogView& view, DialogColours colours);

}  // namespace lw
