// The visual effects against the copy they are made of: each of the 14 script effects over the
// 512 x 384 stage (on a 640 x 480 screen), its pauses taken out, against one plain copy of the
// stage to the canvas in the same run. Both go through the reveal's copy (CopyRevealed): an
// effect copies its pieces, clipped, one after another; the plain copy is the whole stage as one
// piece. The figure is the time per copied pixel, the pixels counted from what the effect copied.
//
// Goal: every effect within 1.5 x the plain copy's time per pixel.
//
// Each effect is checked once before it is timed: afterwards the canvas holds the stage exactly.
// Rates are the median of 5 wall-clock runs on one thread, the contestants taking turns.
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "media/reveal_copy.h"
#include "media/script_effects.h"
#include "turn_timing.h"

namespace {

using namespace lw::bench;

constexpr double kNano = 1e9;
constexpr lw::Rect kScreen{0, 0, 480, 640};
constexpr lw::Rect kStage{48, 64, 432, 576};
constexpr std::array<const char*, lw::kScriptEffectCount> kNames = {
    "barndoorclose", "barndooropen", "irisclose", "irisopen", "scrolldown",
    "scrollup",      "scrollright",  "scrolleft", "venetian", "wipedown",
    "wipeup",        "wiperight",    "wipeleft",  "plain"};

// Copies every piece to the canvas at once and counts the pixels copied.
struct CopyingTarget final : lw::RevealTarget {
  CopyingTarget(const lw::Surface& from, lw::Surface& to) : picture(from), canvas(to) {}
  using RevealTarget::Reveal;
  void Reveal(const lw::RevealBox& source, const lw::RevealBox& destination) override {
    const lw::RevealedPiece piece =
        lw::CopyRevealed(picture, canvas, kStage, {}, source, destination);
    pixels += static_cast<std::int64_t>(piece.to.width()) * piece.to.height();
  }
  bool EndStep(std::uint32_t /*ticks*/) override { return true; }

  const lw::Surface& picture;
  lw::Surface& canvas;
  std::int64_t pixels = 0;
};

bool StageShown(const lw::Surface& picture, const lw::Surface& canvas) {
  for (int v = kStage.top; v < kStage.bottom; ++v) {
    if (std::memcmp(canvas.row(v) + kStage.left, picture.row(v) + kStage.left,
                    static_cast<std::size_t>(kStage.width())) != 0)
      return false;
  }
  return true;
}

}  // namespace

int main() {
  lw::Surface picture(kScreen.width(), kScreen.height());
  for (int v = 0; v < picture.height(); ++v)
    for (int h = 0; h < picture.width(); ++h)
      picture.row(v)[h] = static_cast<std::uint8_t>(1 + (h * 7 + v) % 250);
  lw::Surface canvas(kScreen.width(), kScreen.height());

  std::vector<Work> contestants;
  std::vector<std::int64_t> pixels;
  for (int e = 0; e < lw::kScriptEffectCount; ++e) {
    const auto effect = static_cast<lw::ScriptEffect>(e);
    std::memset(canvas.data(), 0, static_cast<std::size_t>(canvas.rowBytes()) * canvas.height());
    CopyingTarget counting(picture, canvas);
    lw::RunScriptEffect(effect, kStage, 100, counting);
    if (!StageShown(picture, canvas)) {
      std::fprintf(stderr, "effects_bench: %s leaves the stage unfinished\n", kNames[e]);
      return 1;
    }
    pixels.push_back(counting.pixels);
    contestants.push_back([&picture, &canvas, effect](std::int64_t count) {
      CopyingTarget target(picture, canvas);
      for (std::int64_t i = 0; i < count; ++i) lw::RunScriptEffect(effect, kStage, 100, target);
      Touch(canvas.data());
    });
  }
  contestants.push_back([&picture, &canvas](std::int64_t count) {
    const lw::RevealBox stage = lw::RevealBox::of(kStage);
    for (std::int64_t i = 0; i < count; ++i)
      lw::CopyRevealed(picture, canvas, kStage, {}, stage, stage);
    Touch(canvas.data());
  });
  const std::vector<double> rates = RatesOf(contestants);
  const double plainPerPixel = kNano / rates.back() / (kStage.width() * kStage.height());

  std::printf(
      "Visual effects over the 512 x 384 stage, pauses taken out; all in turns, median of "
      "%d runs of %.2f s\n",
      kRuns, kRunSeconds);
  std::printf("plain copy of the stage: %.1f us, %.3f ns a pixel\n", kNano / rates.back() / 1000,
              plainPerPixel);
  std::printf("%-14s %10s %10s %12s %10s %6s\n", "effect", "pixels", "us", "ns a pixel", "x plain",
              "goal");
  for (int e = 0; e < lw::kScriptEffectCount; ++e) {
    const double perPixel = kNano / rates[e] / static_cast<double>(pixels[e]);
    std::printf("%-14s %10lld %10.1f %12.3f %10.2f %6s\n", kNames[e],
                static_cast<long long>(pixels[e]), kNano / rates[e] / 1000, perPixel,
                perPixel / plainPerPixel, "<= 1.5");
  }
  return 0;
}
