// One step of a set's move animation against the copy it is built on: the step decodes the
// step's view picture (a key frame record of 512 x 264 from a star file, through the resource
// cache) into the scene view's background and composes a frame of the view rectangle onto the
// window's canvas; the bound is memcpy of the same 512 x 264 area row by row. The picture is a
// textured view (bands of stripes with noise), as a rendered set's would be.
//
// Goal: a step within 4 x the plain copy.
//
// The step is checked once before it is timed: afterwards the canvas shows the picture in the
// view rectangle. Rates are the median of 5 wall-clock runs on one thread, taking turns.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#include "authoring/frame_encoder.h"
#include "authoring/star_output.h"
#include "authoring/storage_stack.h"
#include "media/compositor.h"
#include "platform/fonts/ttf_fonts.h"
#include "platform/headless/headless_platform.h"
#include "platform/system_info.h"
#include "shell/drawing/screen.h"
#include "turn_timing.h"

namespace {

using namespace lw::bench;

constexpr double kMicro = 1e6;

std::vector<std::uint8_t> ViewPixels() {
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(lw::kSceneViewWidth) *
                                   lw::kSceneViewHeight);
  std::uint32_t noise = 12345;
  for (int v = 0; v < lw::kSceneViewHeight; ++v) {
    for (int h = 0; h < lw::kSceneViewWidth; ++h) {
      noise = noise * 1103515245 + 12345;
      const int band = (h / 37 + v / 23) % 5;
      pixels[static_cast<std::size_t>(v) * lw::kSceneViewWidth + h] =
          static_cast<std::uint8_t>(16 + band * 40 + (h % 8 < 4 ? 0 : 3) + (noise >> 29));
    }
  }
  return pixels;
}

}  // namespace

int main() {
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "lw_move_step";
  std::filesystem::create_directories(folder);
  lw::platform::EmptySystemInfo system;
  lw::authoring::StorageStack storage{system, folder, stderr};
  const std::vector<std::uint8_t> pixels = ViewPixels();
  auto frame = lw::authoring::EncodeFrame({lw::kSceneViewWidth, lw::kSceneViewHeight, pixels});
  if (!frame) {
    std::fprintf(stderr, "move_step_bench: %s\n", frame.error().c_str());
    return 1;
  }
  const std::vector<std::vector<std::uint8_t>> records = {*frame};
  const std::string path = (folder / "VIEWS").string();
  if (auto failed = lw::authoring::ReplaceStarFile(storage.library, path, {"SCDO"}, records)) {
    std::fprintf(stderr, "move_step_bench: %s\n", failed->c_str());
    return 1;
  }
  lw::StarFile* file = nullptr;
  if (Failed(storage.library.StarOpen(path, file))) return 1;

  lw::platform::TtfFontRenderer fonts;
  lw::platform::HeadlessPlatform platform{lw::platform::InputScript{}, fonts, stderr};
  lw::Screen window{platform};
  lw::Compositor compositor{lw::CompositorParts{
      .window = window,
      .library = storage.library,
      .errors = storage.errors,
      .clock = {.tickCount = [] { return std::uint32_t{0}; }, .waitNextTick = [] {}},
      .frameInterval = 0,
  }};
  compositor.sceneView().setShown(true);
  const auto step = [&] {
    (void)compositor.sceneView().DecodeViewBackground(storage.library, *file, 0);
    compositor.RequestRedraw(lw::RedrawLevel::kView);
    compositor.ComposeFrame();
  };
  step();
  const lw::Rect view = compositor.sceneView().rect();
  for (int v = 0; v < lw::kSceneViewHeight; ++v) {
    if (std::memcmp(window.canvas().row(view.top + v) + view.left,
                    pixels.data() + static_cast<std::size_t>(v) * lw::kSceneViewWidth,
                    lw::kSceneViewWidth) != 0) {
      std::fprintf(stderr, "move_step_bench: the step does not show the view picture\n");
      return 1;
    }
  }
  lw::Surface target(640, 480);
  const std::vector<Work> contestants{
      [&](std::int64_t count) {
        for (std::int64_t i = 0; i < count; ++i) step();
      },
      [&](std::int64_t count) {
        for (std::int64_t i = 0; i < count; ++i) {
          for (int v = 0; v < lw::kSceneViewHeight; ++v)
            std::memcpy(target.row(v) + 64, pixels.data() + v * lw::kSceneViewWidth,
                        lw::kSceneViewWidth);
          Touch(target.data());
        }
      },
  };
  std::vector<double> us = RatesOf(contestants);
  for (double& rate : us) rate = kMicro / rate;
  std::printf(
      "A set move's animation step against a plain copy of the 512 x 264 view; in turns, "
      "median of %d runs of %.2f s\n",
      kRuns, kRunSeconds);
  std::printf("view picture record: %zu bytes\n", frame->size());
  std::printf("%-44s %10s\n", "work", "us");
  std::printf("%-44s %10.1f\n", "step: decode the view picture, compose", us[0]);
  std::printf("%-44s %10.1f\n", "memcpy of 512 x 264", us[1]);
  std::printf("step / memcpy: %.2f x (goal: within 4 x)\n", us[0] / us[1]);
  std::filesystem::remove_all(folder);
  return 0;
}
