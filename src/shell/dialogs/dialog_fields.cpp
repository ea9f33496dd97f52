#include "shell/dialogs/dialog_fields.h"

#include <algorithm>

#include "shell/dialogs/box_layout.h"

namespace lw {
namespace {

constexpr int kBorder = 1;
constexpr int kTextIndent = 4;
constexpr int kMinimumThumb = 8;
constexpr int kCaretWidth = 1;

}  // namespace

Rect ListRowRect(const Rect& list, int visibleRow) {
  return MakeRect(list.top + kBorder + visibleRow * kDialogLineHeight, list.left + kBorder,
                  kDialogLineHeight, list.width() - 2 * kBorder);
}

int ListRowAt(const Rect& list, Point where, int visibleRows) {
  if (!list.inset(kBorder).contains(where)) return -1;
  const int row = (where.v - list.top - kBorder) / kDialogLineHeight;
  return row < visibleRows ? row : -1;
}

int ButtonAt(std::span<const Rect> buttons, Point where) {
  for (std::size_t i = 0; i < buttons.size(); ++i)
    if (buttons[i].contains(where)) return static_cast<int>(i);
  return -1;
}

void DrawScrollBar(DialogCanvas& canvas, const Rect& bar, int count, int visibleRows, int top,
                   DialogColours colours) {
  canvas.frame(bar, colours.ink, kBorder);
  if (count <= visibleRows) return;
  const Rect track = bar.inset(kBorder);
  const int length = track.height();
  const int thumb = std::max(kMinimumThumb, length * visibleRows / count);
  const int offset = (length - thumb) * top / std::max(1, count - visibleRows);
  canvas.fill(MakeRect(track.top + offset, track.left, thumb, track.width()), colours.ink);
}

void DrawTextField(DialogCanvas& canvas, const Rect& label, std::string_view labelText,
                   const Rect& field, std::string_view text, bool selected, DialogColours colours) {
  canvas.text(label.left, CentredBaseline(label), labelText, colours.ink);
  canvas.frame(field, colours.ink, kBorder);
  const int room = field.width() - 2 * kTextIndent - kCaretWidth;
  const std::string shown = canvas.fitText(text, room, true);
  const int width = canvas.textWidth(shown);
  const int left = field.left + kTextIndent;
  const Rect textArea =
      MakeRect(field.top + kBorder + 1, left, field.height() - 2 * (kBorder + 1), width);
  if (selected && !text.empty()) {
    canvas.fill(textArea, colours.ink);
    canvas.text(left, CentredBaseline(field), shown, colours.paper);
  } else {
    canvas.text(left, CentredBaseline(field), shown, colours.ink);
    canvas.fill(MakeRect(textArea.top, left + width, textArea.height(), kCaretWidth), colours.ink);
  }
}

}  // namespace lw
