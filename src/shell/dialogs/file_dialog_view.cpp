#include "shell/dialogs/file_dialog_view.h"

#include <algorithm>

#include "shell/dialogs/box_drawing.h"
#include "shell/dialogs/box_layout.h"
#include "shell/dialogs/dialog_fields.h"

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

constexpr std::string_view kNameLabel = "File name:";
constexpr std::string_view kFolderSuffix = "/";

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
  DrawScrollBar(canvas, layout.scrollBar, count, L::kVisibleRows, view.top, colours);
}

}  // namespace

Rect FileDialogLayout::rowRect(int visibleRow) const { return ListRowRect(list, visibleRow); }

int FileDialogLayout::rowAt(Point where) const { return ListRowAt(list, where, kVisibleRows); }

int FileDialogLayout::buttonAt(Point where) const { return ButtonAt(buttons, where); }

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
  DrawTextField(canvas, layout.nameLabel, kNameLabel, layout.nameField, view.name,
                view.nameSelected, colours);
  DrawDialogButton(canvas, layout.buttons[L::kOkButton], view.title, colours,
                   ButtonLook{true, view.pressed == L::kOkButton});
  DrawDialogButton(canvas, layout.buttons[L::kCancelButton], "Cancel", colours,
                   ButtonLook{false, view.pressed == L::kCancelButton});
}

}  // namespace lw
