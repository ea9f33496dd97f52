// Parts that the drawn dialogs share: the scroll bar beside a list and a one-line text field
// with its label, drawn alike in the file dialogs and the saved-game chooser.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "common/geometry.h"
#include "shell/dialogs/box_drawing.h"
#include "shell/dialogs/dialog_canvas.h"

namespace lw {

// Row `visibleRow` of a framed list of dialog lines, and the visible row under `where` (-1 for
// none) of a list showing `visibleRows`.
[[nodiscard]] Rect ListRowRect(const Rect& list, int visibleRow);
[[nodiscard]] int ListRowAt(const Rect& list, Point where, int visibleRows);
// The index of the button under `where`, or -1.
[[nodiscard]] int ButtonAt(std::span<const Rect> buttons, Point where);

// A list's scroll bar, framed, with a thumb when the `count` rows do not all show: its length is
// the visible share of the rows, its place the share scrolled past row `top`.
void DrawScrollBar(DialogCanvas& canvas, const Rect& bar, int count, int visibleRows, int top,
                   DialogColours colours);

// A text field and its label: the text cut from its start to fit, shown inverted while it is
// selected (the first key replaces it), else followed by a caret.
void DrawTextField(DialogCanvas& canvas, const Rect& label, std::string_view labelText,
                   const Rect& field, std::string_view text, bool selected, DialogColours colours);

}  // namespace lw
