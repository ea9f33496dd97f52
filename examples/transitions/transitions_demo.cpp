// Shows the movie frame transitions, one after another, in a real window (or headless with the
// present trace), until movies can show them: each kind 0..18 reveals a new picture over a
// 400 x 300 rectangle in the middle of the screen in 20 steps a tick apart, the pictures taking
// turns between stripes and squares. Kinds 17 and 18 fade the palette to black and back.
//
//   transitions_demo [--headless] [--trace-present] TITLE_DIR
//
// TITLE_DIR is any title folder the runtime can boot (the sample title's, for one).
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/fonts/ttf_fonts.h"
#include "platform/headless/headless_platform.h"
#include "platform/sdl/sdl_factory.h"
#include "runtime/runtime.h"

namespace {

constexpr int kSteps = 20;
constexpr int kCellDissolveSize = 8;
constexpr lw::Rect kPicture{90, 120, 390, 520};

// Stripes for even kinds, squares for odd ones, so that every transition shows a change.
void Paint(lw::Surface& picture, int kind) {
  for (int v = 0; v < picture.height(); ++v) {
    for (int h = 0; h < picture.width(); ++h) {
      const bool on = kind % 2 == 0 ? (v / 12) % 2 == 0 : ((h / 40) + (v / 40)) % 2 == 0;
      picture.row(v)[h] = static_cast<std::uint8_t>(on ? 20 + kind * 10 : 215);
    }
  }
}

int Show(lw::platform::Platform& platform, lw::RuntimeOptions options) {
  lw::Runtime runtime(platform, std::move(options));
  if (!runtime.Begin()) return 1;
  lw::Surface picture(640, 480);
  lw::ColourTable moviePalette = runtime.palettes().currentPalette();
  lw::TransitionPalette palette{runtime.palettes(), moviePalette, false};
  for (int kind = 0; kind < lw::kTransitionKinds; ++kind) {
    std::printf("kind %d\n", kind);
    std::fflush(stdout);
    Paint(picture, kind);
    const int parameter = kind == 13 ? kCellDissolveSize : 0;
    if (!runtime.ShowMovieFrame(picture, picture.rect(), {}, {kind, parameter, kPicture, kSteps},
                                palette))
      break;
  }
  return runtime.End();
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  bool headless = false;
  lw::RuntimeOptions options;
  for (const std::string_view arg : args) {
    if (arg == "--headless") {
      headless = true;
    } else if (arg == "--trace-present") {
      options.presentTrace = [](std::uint32_t tick, const lw::PresentedRect& r) {
        std::printf("present %u: %d,%d %d,%d\n", tick, r.rect.left, r.rect.top, r.rect.right,
                    r.rect.bottom);
      };
    } else {
      options.titleFolder = std::string(arg);
    }
  }
  if (options.titleFolder.empty()) {
    std::fprintf(stderr, "usage: transitions_demo [--headless] [--trace-present] TITLE_DIR\n");
    return 2;
  }
  if (headless) {
    lw::platform::TtfFontRenderer fonts(options.titleFolder.string());
    lw::platform::HeadlessPlatform platform(lw::platform::InputScript{}, fonts);
    return Show(platform, std::move(options));
  }
  auto platform = lw::platform::MakeSdlPlatform(options.titleFolder);
  if (!platform) {
    std::fprintf(stderr, "transitions_demo: %s\n", platform.error().c_str());
    return 1;
  }
  return Show(**platform, std::move(options));
}
