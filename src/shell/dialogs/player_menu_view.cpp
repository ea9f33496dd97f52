#include "shell/dialogs/player_menu_view.h"

#include "shell/dialogs/box_drawing.h"
#include "shell/dialogs/box_layout.h"

namespace lw {
namespace {

constexpr int kWidth = 260;
constexpr int kMargin = BoxLayout::kMargin;
constexpr int kTextIndent = 8;

// The names of the items, in item order.
constexpr std::array<std::string_view, kPlayerMenuItemCount> kItemNames = {
    "Resume", "Sound level", "Mute", "Display", "Scaling", "Screenshot", "Quit",
};

}  // namespace

std::string_view ItemName(PlayerMenuItem item) {
  return kItemNames[static_cast<std::size_t>(item)];
}

std::string ItemSetting(PlayerMenuItem item, const platform::PlayerControls& controls) {
  switch (item) {
    case PlayerMenuItem::kSoundLevel: return std::to_string(controls.volumeLevel);
    case PlayerMenuItem::kMute: return controls.muted ? "on" : "off";
    case PlayerMenuItem::kDisplay: return controls.fullscreen ? "full screen" : "window";
    case PlayerMenuItem::kScaling: return controls.integerScale ? "integer" : "fit";
    default: return {};
  }
}

std::string ItemText(PlayerMenuItem item, const platform::PlayerControls& controls) {
  std::string text(ItemName(item));
  if (const std::string setting = ItemSetting(item, controls); !setting.empty())
    text += ": " + setting;
  return text;
}

int PlayerMenuLayout::rowAt(Point where) const {
  for (std::size_t i = 0; i < rows.size(); ++i)
    if (rows[i].contains(where)) return static_cast<int>(i);
  return -1;
}

PlayerMenuLayout LayoutPlayerMenu(const Rect& canvas) {
  const int height = BoxLayout::kCaptionHeight + kMargin +
                     kPlayerMenuItemCount * PlayerMenuLayout::kRowHeight + kMargin;
  const int top = canvas.top + (canvas.height() - height) / 2;
  const int left = canvas.left + (canvas.width() - kWidth) / 2;
  PlayerMenuLayout layout;
  layout.frame = MakeRect(top, left, height, kWidth);
  layout.caption = MakeRect(top, left, BoxLayout::kCaptionHeight, kWidth);
  int y = top + BoxLayout::kCaptionHeight + kMargin;
  for (Rect& row : layout.rows) {
    row = MakeRect(y, left + kMargin, PlayerMenuLayout::kRowHeight, kWidth - 2 * kMargin);
    y += PlayerMenuLayout::kRowHeight;
  }
  return layout;
}

void DrawPlayerMenu(DialogCanvas& canvas, const PlayerMenuLayout& layout,
                    const PlayerMenuView& view, DialogColours colours) {
  canvas.setClip(layout.frame);
  DrawDialogFrame(canvas, layout.frame, layout.caption, kPlayerMenuCaption, colours);
  for (int i = 0; i < kPlayerMenuItemCount; ++i) {
    const Rect& row = layout.rows[static_cast<std::size_t>(i)];
    const bool highlighted = i == view.highlighted;
    canvas.fill(row, highlighted ? colours.ink : colours.paper);
    const std::uint8_t ink = highlighted ? colours.paper : colours.ink;
    const auto item = static_cast<PlayerMenuItem>(i);
    canvas.text(row.left + kTextIndent, CentredBaseline(row), ItemName(item), ink);
    const std::string setting = ItemSetting(item, view.controls);
    canvas.text(row.right - kTextIndent - canvas.textWidth(setting), CentredBaseline(row), setting,
                ink);
  }
}

}  // namespace lw
