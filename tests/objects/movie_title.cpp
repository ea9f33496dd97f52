#include "movie_title.h"

namespace lw::testing {
namespace {

// The movie is played by a console line this many ticks in, after the stage's own presents.
constexpr std::uint32_t kPlayTick = 5;

std::string Print(const Rect& r) {
  return std::to_string(r.top) + "," + std::to_string(r.left) + "," + std::to_string(r.bottom) +
         "," + std::to_string(r.right);
}

}  // namespace

std::string MovieTitleTest::Play(std::string_view name, std::string_view input) {
  std::string presents;
  const std::string script = "wait " + std::to_string(kPlayTick) + "\nconsole playmovie(\"" +
                             std::string(name) + "\")\n" + std::string(input);
  TitleRun& run = Start(script, [&](RuntimeOptions& options) {
    options.presentTrace = [&](std::uint32_t tick, const PresentedRect& copied) {
      if (tick < kPlayTick) return;
      presents += (presents.empty() ? "" : " ") + Print(copied.rect);
      const SoundItem* theme = runtime().channels().Playing(SoundChannels::kThemeChannel);
      if (theme != nullptr) presents += " theme=" + std::to_string(theme->recordId);
    };
  });
  return presents + " | " + run.Boxes();
}

int MovieTitleTest::Shown(int h, int v) { return platform().canvasPixel(h, v).value_or(-1); }

}  // namespace lw::testing
