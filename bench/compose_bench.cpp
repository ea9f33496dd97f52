// The screen composition against the copy it is built on: a frame of the whole 640 x 480 screen
// (redraw level 2) and a frame of one 32 x 32 dirty rectangle, each against memcpy of the same
// area row by row between two screen-sized buffers. A frame redraws its rectangles in the screen
// buffer from the backdrop and the stage layer and copies them to the canvas, so its floor is
// two copies of the area. The frame interval is 0 here, so that no frame waits for the clock,
// and there are no display entries.
//
// Goals: a full frame within 3 x the plain copy of the screen; a small rectangle's frame under
// 1/50 of a full one.
//
// Every contestant's effect is checked once before it is timed: the canvas shows the backdrop
// outside the stage and the stage layer inside, and a small frame changes its rectangle only.
// Rates are the median of 5 wall-clock runs on one thread, the contestants taking turns.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "authoring/storage_stack.h"
#include "media/compositor.h"
#include "platform/fonts/ttf_fonts.h"
#include "platform/headless/headless_platform.h"
#include "shell/drawing/screen.h"
#include "turn_timing.h"

namespace {

using namespace lw::bench;

constexpr double kMicro = 1e6;
constexpr lw::Rect kSmall{32, 48, 64, 80};  // straddles the stage's top-left corner

[[noreturn]] void Die(const std::string& what) {
  std::fprintf(stderr, "compose_bench: %s\n", what.c_str());
  std::exit(1);
}

// memcpy of `area`, row by row, between two buffers laid out like the screen.
Work PlainCopy(const lw::Rect& area, const lw::Surface& from, lw::Surface& to) {
  return [area, &from, &to](std::int64_t count) {
    const auto columns = static_cast<std::size_t>(area.width());
    for (std::int64_t i = 0; i < count; ++i) {
      for (int v = area.top; v < area.bottom; ++v)
        std::memcpy(to.row(v) + area.left, from.row(v) + area.left, columns);
      Touch(to.data());
    }
  };
}

// --- the composition --------------------------------------------------------------------------

// A compositor over a headless window: a patterned stage layer, a black backdrop, a white canvas.
struct Rig {
  Rig() {
    for (int v = 0; v < lw::kStageHeight; ++v) {
      for (int h = 0; h < lw::kStageWidth; ++h)
        compositor.stageLayer().row(v)[h] = static_cast<std::uint8_t>(1 + (h + v) % 200);
    }
    lw::Surface& canvas = window.canvas();
    std::memset(canvas.data(), 255, static_cast<std::size_t>(canvas.rowBytes()) * canvas.height());
    compositor.addContributor([this](lw::Compositor& c) {
      if (small) c.AddDirtyRect(kSmall);
    });
  }

  // What a frame should leave at screen pixel (h, v).
  std::uint8_t Expected(int h, int v) {
    const lw::Rect stage = compositor.stageRect();
    if (!stage.contains(lw::PointAt(v, h))) return 0;
    return compositor.stageLayer().row(v - stage.top)[h - stage.left];
  }

  // Whether the canvas shows the frame inside `area` and `outside` everywhere else.
  bool Shows(const lw::Rect& area, std::uint8_t outside) {
    const lw::Surface& canvas = window.canvas();
    for (int v = 0; v < canvas.height(); ++v) {
      for (int h = 0; h < canvas.width(); ++h) {
        const bool in = area.contains(lw::PointAt(v, h));
        if (canvas.row(v)[h] != (in ? Expected(h, v) : outside)) return false;
      }
    }
    return true;
  }

  lw::platform::TtfFontRenderer fonts;
  lw::platform::HeadlessPlatform platform{lw::platform::InputScript{}, fonts, stderr};
  lw::Screen window{platform};
  lw::platform::EmptySystemInfo system;
  lw::authoring::StorageStack storage{system, ".", stderr};
  lw::Compositor compositor{lw::CompositorParts{
      .window = window,
      .library = storage.library,
      .errors = storage.errors,
      .clock = {.tickCount = [] { return std::uint32_t{0}; }, .waitNextTick = [] {}},
      .frameInterval = 0,
  }};
  bool small = false;
};

}  // namespace

int main() {
  Rig rig;
  const lw::Rect screen = rig.compositor.screenRect();

  rig.small = true;
  rig.compositor.ComposeFrame();
  if (!rig.Shows(kSmall, 255)) Die("a small frame does not show exactly its rectangle");
  rig.small = false;
  rig.compositor.RequestRedraw(lw::RedrawLevel::kScreen);
  rig.compositor.ComposeFrame();
  if (!rig.Shows(screen, 255)) Die("a full frame does not show the whole screen");

  const lw::Surface source = rig.window.canvas();
  lw::Surface target(screen.width(), screen.height());
  const std::vector<Work> contestants{
      [&rig](std::int64_t count) {
        rig.small = false;
        for (std::int64_t i = 0; i < count; ++i) {
          rig.compositor.RequestRedraw(lw::RedrawLevel::kScreen);
          rig.compositor.ComposeFrame();
        }
      },
      PlainCopy(screen, source, target),
      [&rig](std::int64_t count) {
        rig.small = true;
        for (std::int64_t i = 0; i < count; ++i) rig.compositor.ComposeFrame();
      },
      PlainCopy(kSmall, source, target),
  };
  std::vector<double> us = RatesOf(contestants);
  for (double& rate : us) rate = kMicro / rate;
  if (!rig.Shows(screen, 255)) Die("the timed frames changed what is shown");

  std::printf(
      "Screen composition, microseconds per frame; all four in turns, median of %d runs "
      "of %.2f s\n",
      kRuns, kRunSeconds);
  std::printf("frame: Compositor::ComposeFrame; memcpy: the same area row by row\n");
  std::printf("%-16s %10s %10s %10s %8s\n", "area", "frame", "memcpy", "x memcpy", "goal");
  std::printf("%-16s %10.2f %10.2f %10.2f %8s\n", "640 x 480", us[0], us[1], us[0] / us[1], "<= 3");
  std::printf("%-16s %10.3f %10.3f %10.2f %8s\n", "32 x 32", us[2], us[3], us[2] / us[3], "");
  std::printf("32 x 32 frame / 640 x 480 frame: 1/%.0f (goal: under 1/50)\n", us[0] / us[2]);
  return 0;
}
