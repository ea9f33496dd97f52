// Drawing 3-D figures against the copy a frame is built on: one composed frame of the scene
// view with the 40 figures of figures_scene.h (20 actors and 20 props, 150 to 930 units deep,
// each a 40 x 80 sprite drawn scaled to its depth, the far ones shaded) over the view picture,
// the view redrawn in full each frame (a view redraw is requested) so that every figure is
// placed and drawn; the bound is memcpy of the 512 x 264 view area row by row.
//
// Goal: a frame within 6 x the plain copy. The same frame with the figures hidden is timed too,
// to show what the figures themselves cost.
//
// The frame is checked once before it is timed: every figure is drawn somewhere in the view, and
// the pixels of each one's rectangle differ from a frame without figures. Rates are the median of
// 5 wall-clock runs on one thread, taking turns.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <utility>
#include <vector>

#include "figures_scene.h"
#include "turn_timing.h"

namespace {

using namespace lw::bench;

constexpr double kMicro = 1e6;
constexpr int kPicturePixels = 40 * 80;  // a figure picture's own size

void ComposeView(lw::Compositor& compositor) {
  compositor.RequestRedraw(lw::RedrawLevel::kView);
  compositor.ComposeFrame();
}

// Whether the canvas differs from `without` (a canvas of the same size) inside `r`, given in
// view coordinates.
bool DiffersInside(const lw::Surface& canvas, const lw::Surface& without, lw::Rect view,
                   lw::Rect r) {
  for (int v = r.top; v < r.bottom; ++v) {
    const int row = view.top + v;
    const int left = view.left + r.left;
    if (std::memcmp(canvas.row(row) + left, without.row(row) + left,
                    static_cast<std::size_t>(r.width())) != 0) {
      return true;
    }
  }
  return false;
}

void CheckEveryFigureDrawn(FigureScene& scene) {
  lw::Compositor& compositor = scene.compositor();
  scene.SetFiguresVisible(false);
  ComposeView(compositor);
  const lw::Surface without = scene.window().canvas();
  scene.SetFiguresVisible(true);
  ComposeView(compositor);
  const lw::Rect view = compositor.sceneView().rect();
  for (lw::FigureTable* table : {&scene.objects().actors(), &scene.objects().props()}) {
    for (std::size_t i = 0; i < table->count(); ++i) {
      const lw::Figure& figure = table->at(i);
      if (figure.shown.picture == 0 || figure.shown.rect.empty()) {
        Die("figures_bench: " + figure.name + " is not drawn");
      }
      if (!DiffersInside(scene.window().canvas(), without, view, figure.shown.rect)) {
        Die("figures_bench: " + figure.name + "'s rectangle shows only the view picture");
      }
    }
  }
}

// The fewest and the most pixels a figure covered in the last frame (before clipping).
std::pair<int, int> DrawnSizes(FigureScene& scene) {
  int smallest = 1 << 30, largest = 0;
  for (lw::FigureTable* table : {&scene.objects().actors(), &scene.objects().props()}) {
    for (std::size_t i = 0; i < table->count(); ++i) {
      const lw::ShownPicture& shown = table->at(i).shown;
      smallest = std::min(smallest, shown.rows * shown.columns);
      largest = std::max(largest, shown.rows * shown.columns);
    }
  }
  return {smallest, largest};
}

}  // namespace

int main() {
  FigureScene scene(std::filesystem::temp_directory_path() / "lw_figures_bench");
  CheckEveryFigureDrawn(scene);
  const auto [smallest, largest] = DrawnSizes(scene);
  if (smallest >= kPicturePixels || largest <= kPicturePixels) {
    Die("figures_bench: the figures are not scaled both up and down from their pictures");
  }

  const lw::Surface& source = scene.compositor().sceneView().background();
  lw::Surface target(640, 480);
  const std::vector<Work> contestants{
      [&](std::int64_t count) {
        for (std::int64_t i = 0; i < count; ++i) ComposeView(scene.compositor());
      },
      [&](std::int64_t count) {
        scene.SetFiguresVisible(false);
        for (std::int64_t i = 0; i < count; ++i) ComposeView(scene.compositor());
        scene.SetFiguresVisible(true);
      },
      [&](std::int64_t count) {
        for (std::int64_t i = 0; i < count; ++i) {
          for (int v = 0; v < lw::kSceneViewHeight; ++v) {
            std::memcpy(target.row(v) + 64, source.row(v), lw::kSceneViewWidth);
          }
          Touch(target.data());
        }
      },
  };
  std::vector<double> us = RatesOf(contestants);
  for (double& rate : us) rate = kMicro / rate;
  std::printf(
      "40 scaled 3-D figures composed into the scene view against a plain copy of the 512 x 264 "
      "view; in turns, median of %d runs of %.2f s\n",
      kRuns, kRunSeconds);
  std::printf("figures: 20 actors, 20 props, 40 x 80 sprites drawn at %d to %d pixels\n", smallest,
              largest);
  std::printf("%-44s %10s\n", "work", "us");
  std::printf("%-44s %10.1f\n", "view frame with 40 figures", us[0]);
  std::printf("%-44s %10.1f\n", "view frame without figures (for scale)", us[1]);
  std::printf("%-44s %10.1f\n", "memcpy of 512 x 264", us[2]);
  std::printf("frame / memcpy: %.2f x (goal: within 6 x)\n", us[0] / us[2]);
  return 0;
}
