#include "shell/dialogs/saved_game_chooser_view.h"

#include <algorithm>
#include <limits>
#include <string>
#include <unordered_map>

#include "shell/dialogs/box_drawing.h"
#include "shell/dialogs/box_layout.h"
#include "shell/dialogs/dialog_fields.h"
#include "shell/drawing/rect_ops.h"

namespace lw {
namespace {

using L = SavedGameChooserLayout;

constexpr int kWidth = 600;
constexpr int kMargin = BoxLayout::kMargin;
constexpr int kListBorder = 1;
constexpr int kScrollWidth = 16;
constexpr int kFieldHeight = 22;
constexpr int kLabelWidth = 60;
constexpr int kTextIndent = 4;
constexpr int kColumnGap = 8;

constexpr std::string_view kNameLabel = "Name:";
constexpr std::string_view kNoPicture = "No picture";

// One row: the identity on the left, cut to leave room for the date on the right.
void DrawRow(DialogCanvas& canvas, const Rect& r, const SavedGameEntry& entry, bool selected,
             DialogColours colours) {
  if (selected) canvas.fill(r, colours.ink);
  const std::uint8_t ink = selected ? colours.paper : colours.ink;
  const int dateWidth = canvas.textWidth(entry.date);
  const int dateLeft = r.right - kTextIndent - dateWidth;
  canvas.text(dateLeft, CentredBaseline(r), entry.date, ink);
  const int room = dateLeft - kColumnGap - (r.left + kTextIndent);
  canvas.text(r.left + kTextIndent, CentredBaseline(r), canvas.fitText(entry.identity, room), ink);
}

void DrawList(DialogCanvas& canvas, const SavedGameChooserLayout& layout,
              const SavedGameChooserView& view, DialogColours colours) {
  canvas.frame(layout.list, colours.ink, kListBorder);
  const int count = static_cast<int>(view.entries.size());
  for (int row = 0; row < L::kVisibleRows && view.top + row < count; ++row)
    DrawRow(canvas, layout.rowRect(row), view.entries[static_cast<std::size_t>(view.top + row)],
            view.top + row == view.selected, colours);
  DrawScrollBar(canvas, layout.scrollBar, count, L::kVisibleRows, view.top, colours);
}

}  // namespace

Rect SavedGameChooserLayout::rowRect(int visibleRow) const { return ListRowRect(list, visibleRow); }

int SavedGameChooserLayout::rowAt(Point where) const {
  return ListRowAt(list, where, kVisibleRows);
}

int SavedGameChooserLayout::buttonAt(Point where) const { return ButtonAt(buttons, where); }

SavedGameChooserLayout LayoutSavedGameChooser(const Rect& canvas) {
  const int listHeight = L::kVisibleRows * kDialogLineHeight + 2 * kListBorder;
  const int height = BoxLayout::kCaptionHeight + kMargin + listHeight + kMargin + kFieldHeight +
                     kMargin + BoxLayout::kButtonHeight + kMargin;
  const int top = canvas.top + (canvas.height() - height) / 2;
  const int left = canvas.left + (canvas.width() - kWidth) / 2;
  const int inner = kWidth - 2 * kMargin;
  const int pictureFrame = L::kThumbnailWidth + 2 * kListBorder;

  SavedGameChooserLayout layout;
  layout.frame = MakeRect(top, left, height, kWidth);
  layout.caption = MakeRect(top, left, BoxLayout::kCaptionHeight, kWidth);
  int y = top + BoxLayout::kCaptionHeight + kMargin;
  const int listWidth = inner - pictureFrame - kMargin - kScrollWidth;
  layout.list = MakeRect(y, left + kMargin, listHeight, listWidth);
  // The scroll bar shares its left edge with the list's right edge.
  layout.scrollBar =
      MakeRect(y, layout.list.right - kListBorder, listHeight, kScrollWidth + kListBorder);
  layout.thumbnail = MakeRect(y + kListBorder, left + kWidth - kMargin - pictureFrame + kListBorder,
                              L::kThumbnailHeight, L::kThumbnailWidth);
  y += listHeight + kMargin;
  layout.nameLabel = MakeRect(y, left + kMargin, kFieldHeight, kLabelWidth);
  layout.nameField =
      MakeRect(y, left + kMargin + kLabelWidth, kFieldHeight, listWidth - kLabelWidth);
  y += kFieldHeight + kMargin;
  const int cancelLeft = left + kWidth - kMargin - BoxLayout::kButtonWidth;
  const int okLeft = cancelLeft - BoxLayout::kButtonGap - BoxLayout::kButtonWidth;
  layout.buttons[L::kOkButton] =
      MakeRect(y, okLeft, BoxLayout::kButtonHeight, BoxLayout::kButtonWidth);
  layout.buttons[L::kCancelButton] =
      MakeRect(y, cancelLeft, BoxLayout::kButtonHeight, BoxLayout::kButtonWidth);
  return layout;
}

void DrawThumbnail(Screen& screen, const Rect& area, const ThumbnailPicture& picture) {
  Rect clipped;
  if (picture.width <= 0 || picture.height <= 0 ||
      picture.pixels.size() != static_cast<std::size_t>(picture.width) * picture.height ||
      !SectRect(area, screen.rect(), clipped))
    return;
  // Thumbnails repeat colours: each is matched to the palette once.
  std::unordered_map<std::uint32_t, std::uint8_t> matched;
  const auto index = [&](const Rgb& colour) {
    const std::uint32_t key = (colour.red << 16U) | (colour.green << 8U) | colour.blue;
    const auto [it, added] = matched.try_emplace(key, 0);
    if (added) it->second = NearestColour(screen.palette(), colour);
    return it->second;
  };
  Surface& canvas = screen.canvas();
  for (int v = clipped.top; v < clipped.bottom; ++v) {
    const int sourceRow = (v - area.top) * picture.height / area.height();
    for (int h = clipped.left; h < clipped.right; ++h) {
      const int sourceColumn = (h - area.left) * picture.width / area.width();
      canvas.row(v)[h] =
          index(picture.pixels[static_cast<std::size_t>(sourceRow * picture.width + sourceColumn)]);
    }
  }
  screen.markDirty(clipped);
}

void DrawSavedGameChooser(DialogCanvas& canvas, const SavedGameChooserLayout& layout,
                          const SavedGameChooserView& view, DialogColours colours) {
  canvas.setClip(layout.frame);
  DrawDialogFrame(canvas, layout.frame, layout.caption, view.title, colours);
  DrawList(canvas, layout, view, colours);
  canvas.frame(layout.thumbnail.inset(-kListBorder), colours.ink, kListBorder);
  const bool hasPicture =
      view.selected >= 0 &&
      !view.entries[static_cast<std::size_t>(view.selected)].thumbnail.pixels.empty();
  if (hasPicture) {
    DrawThumbnail(canvas.screen(), layout.thumbnail,
                  view.entries[static_cast<std::size_t>(view.selected)].thumbnail);
  } else {
    const int width = canvas.textWidth(kNoPicture);
    canvas.text((layout.thumbnail.left + layout.thumbnail.right - width) / 2,
                CentredBaseline(layout.thumbnail), kNoPicture, colours.ink);
  }
  if (view.save)
    DrawTextField(canvas, layout.nameLabel, kNameLabel, layout.nameField, view.name,
                  view.nameSelected, colours);
  DrawDialogButton(canvas, layout.buttons[L::kOkButton], view.title, colours,
                   ButtonLook{true, view.pressed == L::kOkButton});
  DrawDialogButton(canvas, layout.buttons[L::kCancelButton], "Cancel", colours,
                   ButtonLook{false, view.pressed == L::kCancelButton});
}

}  // namespace lw
