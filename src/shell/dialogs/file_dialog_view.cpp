#include "shell/dialogs/file_dialog_view.h"

#include <algorithm>

#include "shell/dialogs/box_drawing.h"
#include "shell/dialogs/box_layout.h"

namespace lw {
namespace {

using L = FileDialogLayout;

constexpr int kWidth = 440;
constexpr int kMargin = BoxLayout::kMargin;
constexpr int kGap = 6;
constexpr int kListBorder = 1;
constexpr int kScrollWidth = 16;
constexpr int kFieldHeight = 22;
constexpr int kLabelWidth = 80;
constexpr int kTextIndent = 4;
constexpr int kMinimumThumb = 8;
constexpr int kCaretWidth = 1;

constexpr std::string_view kNameLabel = "File name:";
constexpr std::string_view kFolderSuffix = "/";

// The scroll bar's thumb: its length is the visible share of the list, its place the share
// scrolled past.
Rect Thumb(const Rect& bar, int count, int top) {
  const Rect track = bar.inset(kListBorder);
  const int length = track.height();
  const int thumb = std::max(kMinimumThumb, length * L::kVisibleRows / count);
  const int offset = (length - thumb) * top / std::max(1, count - L::kVisibleRows);
  return MakeRect(track.top + offset, track.left, thumb, track.width());
}

void DrawList(DialogCanvas& canvas, const FileDialogLayout& layout, const FileDialogView& view,
              DialogColours colours) {
  canvas.frame(layout.list, colours.ink, kListBorder);
  const int count = static_cast<int>(view.entries.size());
  for (int row = 0; row < L::kVisibleRows && view.top + row < count; ++row) {
    const FolderEntry& entry = view.entries[static_cast<std::size_t>(view.top + row)];
    const Rect r = layout.rowRect(row);
    const bool selected = view.top + row == view.selected;
    if (selected) canvas.fill(r, colours.ink);
    const std::string label = entry.folder ? entry.name + std::string(kFolderSuffix) : entry.name;
    const int room = r.width() - 2 * kTextIndent;
    canvas.text(r.left + kTextIndent, CentredBaseline(r), canvas.fitText(label, room),
                selected ? colours.paper : colours.ink);
  }
  canvas.frame(layout.scrollBar, colours.ink, kListBorder);
  if (count > L::kVisibleRows) canvas.fill(Thumb(layout.scrollBar, count, view.top), colours.ink);
}

void DrawNameField(DialogCanvas& canvas, const FileDialogLayout& layout, const FileDialogView& view,
                   DialogColours colours) {
  canvas.text(layout.nameLabel.left, CentredBaseline(layout.nameLabel), kNameLabel, colours.ink);
  const Rect& field = layout.nameField;
  canvas.frame(field, colours.ink, kListBorder);
  const int room = field.width() - 2 * kTextIndent - kCaretWidth;
  const std::string shown = canvas.fitText(view.name, room, true);
  const int width = canvas.textWidth(shown);
  const int left = field.left + kTextIndent;
  const Rect textArea =
      MakeRect(field.top + kListBorder + 1, left, field.height() - 2 * (kListBorder + 1), width);
  if (view.nameSelected && !view.name.empty()) {
    canvas.fill(textArea, colours.ink);
    canvas.text(left, CentredBaseline(field), shown, colours.paper);
  } else {
    canvas.text(left, CentredBaseline(field), shown, colours.ink);
    canvas.fill(MakeRect(textArea.top, left + width, textArea.height(), kCaretWidth), colours.ink);
  }
}

}  // namespace

Rect FileDialogLayout::rowRect(int visibleRow) const {
  return MakeRect(list.top + kListBorder + visibleRow * kDialogLineHeight, list.left + kListBorder,
                  kDialogLineHeight, list.width() - 2 * kListBorder);
}

int FileDialogLayout::rowAt(Point where) const {
  if (!list.inset(kListBorder).contains(where)) return -1;
  const int row = (where.v - list.top - kListBorder) / kDialogLineHeight;
  return row < kVisibleRows ? row : -1;
}

int FileDialogLayout::buttonAt(Point where) const {
  for (std::size_t i = 0; i < buttons.size(); ++i)
    if (buttons[i].contains(where)) return static_cast<int>(i);
  return -1;
}

FileDialogLayout LayoutFileDialog(const Rect& canvas) {
  const int listHeight = L::kVisibleRows * kDialogLineHeight + 2 * kListBorder;
  const int height = BoxLayout::kCaptionHeight + kMargin + kDialogLineHeight + kGap + listHeight +
                     kMargin + kFieldHeight + kMargin + BoxLayout::kButtonHeight + kMargin;
  const int top = canvas.top + (canvas.height() - height) / 2;
  const int left = canvas.left + (canvas.width() - kWidth) / 2;
  const int inner = kWidth - 2 * kMargin;

  FileDialogLayout layout;
  layout.frame = MakeRect(top, left, height, kWidth);
  layout.caption = MakeRect(top, left, BoxLayout::kCaptionHeight, kWidth);
  int y = top + BoxLayout::kCaptionHeight + kMargin;
  layout.folderLine = MakeRect(y, left + kMargin, kDialogLineHeight, inner);
  y += kDialogLineHeight + kGap;
  layout.list = MakeRect(y, left + kMargin, listHeight, inner - kScrollWidth);
  // The scroll bar shares its left edge with the list's right edge.
  layout.scrollBar =
      MakeRect(y, layout.list.right - kListBorder, listHeight, kScrollWidth + kListBorder);
  y += listHeight + kMargin;
  layout.nameLabel = MakeRect(y, left + kMargin, kFieldHeight, kLabelWidth);
  layout.nameField = MakeRect(y, left + kMargin + kLabelWidth, kFieldHeight, inner - kLabelWidth);
  y += kFieldHeight + kMargin;
  const int cancelLeft = left + kWidth - kMargin - BoxLayout::kButtonWidth;
  const int okLeft = cancelLeft - BoxLayout::kButtonGap - BoxLayout::kButtonWidth;
  layout.buttons[L::kOkButton] =
      MakeRect(y, okLeft, BoxLayout::kButtonHeight, BoxLayout::kButtonWidth);
  layout.buttons[L::kCancelButton] =
      MakeRect(y, cancelLeft, BoxLayout::kButtonHeight, BoxLayout::kButtonWidth);
  return layout;
}

void DrawFileDialog(DialogCanvas& canvas, const FileDialogLayout& layout,
                    const FileDialogView& view, DialogColours colours) {
  canvas.setClip(layout.frame);
  DrawDialogFrame(canvas, layout.frame, layout.caption, view.title, colours);
  const Rect& folder = layout.folderLine;
  canvas.text(folder.left, CentredBaseline(folder),
              canvas.fitText(view.folder, folder.width(), true), colours.ink);
  DrawList(canvas, layout, view, colours);
  DrawNameField(canvas, layout, view, colours);
  DrawDialogButton(canvas, layout.buttons[L::kOkButton], view.title, colours,
                   ButtonLook{true, view.pressed == L::kOkButton});
  DrawDialogButton(canvas, layout.buttons[L::kCancelButton], "Cancel", colours,
                   ButtonLook{false, view.pressed == L::kCancelButton});
}

}  // namespace lw
