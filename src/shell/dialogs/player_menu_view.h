// The look of the player menu: its items, where they lie on the screen canvas and how they are
// drawn. A box centred on the canvas with the caption "Player menu" and one row per item, the
// item's name on the left and its setting on the right; the highlighted row is inverted.
//
//   Resume
//   Sound level          9      0 (silent) .. 9 (the title's own level)
//   Mute               off
//   Display    full screen      or "window"
//   Scaling            fit      or "integer" (whole multiples of the canvas)
//   Screenshot
//   Quit
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/geometry.h"
#include "platform/platform.h"
#include "shell/dialogs/dialog_canvas.h"

namespace lw {

enum class PlayerMenuItem : std::uint8_t {
  kResume,
  kSoundLevel,
  kMute,
  kDisplay,
  kScaling,
  kScreenshot,
  kQuit,
};
inline constexpr int kPlayerMenuItemCount = static_cast<int>(PlayerMenuItem::kQuit) + 1;
inline constexpr std::string_view kPlayerMenuCaption = "Player menu";

// The item's name, and its setting under `controls` (empty for the items that are actions).
[[nodiscard]] std::string_view ItemName(PlayerMenuItem item);
[[nodiscard]] std::string ItemSetting(PlayerMenuItem item,
                                      const platform::PlayerControls& controls);
// "Name: setting", or the name alone: the item as the log of a headless run shows it.
[[nodiscard]] std::string ItemText(PlayerMenuItem item, const platform::PlayerControls& controls);

struct PlayerMenuLayout {
  static constexpr int kRowHeight = 24;

  Rect frame;
  Rect caption;
  std::array<Rect, kPlayerMenuItemCount> rows;

  // The item under a canvas point, or -1.
  [[nodiscard]] int rowAt(Point where) const;
};

[[nodiscard]] PlayerMenuLayout LayoutPlayerMenu(const Rect& canvas);

// What the menu shows at one moment.
struct PlayerMenuView {
  const platform::PlayerControls& controls;
  int highlighted = 0;
};

void DrawPlayerMenu(DialogCanvas& canvas, const PlayerMenuLayout& layout,
                    const PlayerMenuView& view, DialogColours colours);

}  // namespace lw
