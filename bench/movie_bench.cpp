// Movie playback without its waits against the copy of its frames: a 640 x 480 movie of 30
// frames (a diagonal gradient with a shaded disc moving over it) played in order, over and over,
// as the movie player shows a frame: its picture record decoded into the movie's frame buffer
// (DecodeFrame, rows a stride of the width rounded up to 4 apart) and revealed with the plain
// transition (kind 16) through RunFrameTransition, onto a 640 x 480 canvas. The reveal target
// copies its pieces as the runtime's screen reveal does (CopyRevealed, clipped to the movie's
// picture rectangle) but neither presents nor pauses. The bound is memcpy of the same decoded
// frames onto the canvas, row by row, each from its own copy of the picture (30 of them, 9 MB,
// more than the caches hold). Decoding alone, the reveal alone and memcpy of the one frame buffer
// (the reveal's own copy, which stays in cache) are timed too, to show where a frame's time goes.
//
// The records are made by the title builder's encoder the way a movie's are: the first frame a
// key frame, each later one the smaller of its key frame and its difference from the frame
// before. The movie's palette is taken as installed already (the player installs it once, before
// the first frame), so no frame touches the palette.
//
// Goal: at least 200 frames a second, 10 x the 20 compositions a second a title asks for.
//
// Every frame is checked once before anything is timed: decoded, the buffer holds its picture,
// and revealed, the canvas does. Rates are the median of 5 wall-clock runs on one thread, the
// contestants taking turns.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <numbers>
#include <span>
#include <string>
#include <vector>

#include "authoring/frame_encoder.h"
#include "media/frame_codec.h"
#include "media/frame_transitions.h"
#include "media/reveal_copy.h"
#include "platform/fonts/ttf_fonts.h"
#include "platform/headless/headless_platform.h"
#include "shell/drawing/palette_state.h"
#include "shell/drawing/screen.h"
#include "turn_timing.h"

namespace {

using namespace lw::bench;
using Bytes = std::vector<std::uint8_t>;

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kStride = (kWidth + 3) / 4 * 4;  // the player's frame buffer stride
constexpr std::size_t kFrameBytes = std::size_t{kWidth} * kHeight;
constexpr int kFrames = 30;
constexpr int kPlainTransition = 16;
constexpr double kGoalFps = 200;
constexpr double kMicro = 1e6;

// The picture's palette ranges.
constexpr int kGradientFirst = 32;
constexpr int kGradientLevels = 96;
constexpr int kDiscFirst = 160;
constexpr int kDiscLevels = 32;
constexpr int kDiscRadius = 64;

[[noreturn]] void Die(const std::string& what) {
  std::fprintf(stderr, "movie_bench: %s\n", what.c_str());
  std::exit(1);
}

// Frame `f`: a gradient from the top left to the bottom right, and a disc, lighter towards its
// middle, that crosses the picture left to right while bobbing up and down.
Bytes MoviePicture(int f) {
  const double phase = 2 * std::numbers::pi * f / kFrames;
  const int centreX = kDiscRadius + f * (kWidth - 2 * kDiscRadius) / (kFrames - 1);
  const int centreY = kHeight / 2 + static_cast<int>(std::lround(std::sin(phase) * kHeight / 4));
  Bytes pixels(kFrameBytes);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const int dx = x - centreX;
      const int dy = y - centreY;
      const int distance = static_cast<int>(std::sqrt(dx * dx + dy * dy));
      const int index = distance < kDiscRadius
                            ? kDiscFirst + kDiscLevels - 1 - distance * kDiscLevels / kDiscRadius
                            : kGradientFirst + (x + y) * kGradientLevels / (kWidth + kHeight);
      pixels[static_cast<std::size_t>(y) * kWidth + static_cast<std::size_t>(x)] =
          static_cast<std::uint8_t>(index);
    }
  }
  return pixels;
}

struct Movie {
  std::vector<Bytes> pictures;
  std::vector<Bytes> records;
  int keyFrames = 0;
};

// The records as the title builder makes a movie's: a key frame first, then the smaller of each
// picture's key frame and its difference from the picture before (the key frame when no smaller).
Movie BuildMovie() {
  Movie movie;
  for (int f = 0; f < kFrames; ++f) movie.pictures.push_back(MoviePicture(f));
  for (int f = 0; f < kFrames; ++f) {
    const lw::authoring::FramePixels picture{kWidth, kHeight, movie.pictures[f]};
    auto key = lw::authoring::EncodeFrame(picture);
    if (!key) Die("frame " + std::to_string(f) + ": " + key.error());
    Bytes chosen = std::move(*key);
    bool isKey = true;
    if (f > 0) {
      const lw::authoring::FramePixels before{kWidth, kHeight, movie.pictures[f - 1]};
      auto difference = lw::authoring::EncodeFrame(picture, &before);
      if (!difference) Die("frame " + std::to_string(f) + ": " + difference.error());
      if (difference->size() < chosen.size()) {
        chosen = std::move(*difference);
        isKey = false;
      }
    }
    movie.keyFrames += isKey ? 1 : 0;
    movie.records.push_back(std::move(chosen));
  }
  return movie;
}

// The frame buffer as the player decodes into it: the picture fills the movie rectangle, so the
// view starts at the buffer's first pixel.
lw::BitmapView BufferView(lw::Surface& buffer) {
  return lw::BitmapView{
      .memory = std::span(buffer.data(), static_cast<std::size_t>(buffer.rowBytes()) * kHeight),
      .row0 = 0,
      .stride = buffer.rowBytes(),
      .width = kWidth,
      .height = kHeight,
  };
}

// Copies the pieces as the runtime's screen reveal does, clipped to the movie's picture, without
// presenting them or pausing between steps.
struct CanvasReveal final : lw::RevealTarget {
  CanvasReveal(const lw::Surface& from, lw::Surface& to, lw::Rect area)
      : picture(from), canvas(to), clip(area) {}
  using RevealTarget::Reveal;
  void Reveal(const lw::RevealBox& source, const lw::RevealBox& destination) override {
    lw::CopyRevealed(picture, canvas, clip, {}, source, destination);
  }
  bool EndStep(std::uint32_t /*ticks*/) override { return true; }

  const lw::Surface& picture;
  lw::Surface& canvas;
  lw::Rect clip;
};

bool Holds(const lw::Surface& surface, const Bytes& picture) {
  for (int v = 0; v < kHeight; ++v) {
    if (std::memcmp(surface.row(v), picture.data() + static_cast<std::size_t>(v) * kWidth,
                    kWidth) != 0) {
      return false;
    }
  }
  return true;
}

// One movie frame's compositions: the player's path and its parts, with their shared state.
class Player {
 public:
  Player(const Movie& movie, lw::PaletteState& palettes)
      : movie_(movie), palette_{palettes, colours_, false} {}

  bool Decode(int f) { return lw::DecodeFrame(movie_.records[f], view_).ok(); }
  bool Show() {
    CanvasReveal reveal(buffer_, canvas_, kWhole);
    return lw::RunFrameTransition(transition_, reveal, palette_, {});
  }
  // The next frame in movie order, decoded and shown.
  void PlayNext() {
    static_cast<void>(Decode(next_));
    static_cast<void>(Show());
    next_ = (next_ + 1) % kFrames;
  }
  void DecodeNext() {
    static_cast<void>(Decode(next_));
    next_ = (next_ + 1) % kFrames;
  }
  // memcpy of the frame buffer onto the canvas: what the transition copies.
  void CopyBuffer() {
    for (int v = 0; v < kHeight; ++v) std::memcpy(canvas_.row(v), buffer_.row(v), kWidth);
  }
  // memcpy of the next decoded frame onto the canvas.
  void CopyNext() {
    const std::uint8_t* from = movie_.pictures[next_].data();
    for (int v = 0; v < kHeight; ++v) std::memcpy(canvas_.row(v), from + v * kWidth, kWidth);
    next_ = (next_ + 1) % kFrames;
  }

  [[nodiscard]] const lw::Surface& buffer() const { return buffer_; }
  [[nodiscard]] const lw::Surface& canvas() const { return canvas_; }

 private:
  static constexpr lw::Rect kWhole{0, 0, kHeight, kWidth};

  const Movie& movie_;
  lw::Surface buffer_{kWidth, kHeight, kStride};
  lw::Surface canvas_{kWidth, kHeight};
  lw::BitmapView view_ = BufferView(buffer_);
  lw::ColourTable colours_{};
  lw::TransitionPalette palette_;
  lw::FrameTransition transition_{kPlainTransition, 0, kWhole, 1};
  int next_ = 0;
};

void CheckEveryFrame(Player& player, const Movie& movie) {
  for (int f = 0; f < kFrames; ++f) {
    if (!player.Decode(f)) Die("frame " + std::to_string(f) + " does not decode");
    if (!Holds(player.buffer(), movie.pictures[f])) {
      Die("frame " + std::to_string(f) + " decodes to another picture");
    }
    if (!player.Show() || !Holds(player.canvas(), movie.pictures[f])) {
      Die("frame " + std::to_string(f) + " is not shown whole on the canvas");
    }
  }
}

}  // namespace

int main() {
  const Movie movie = BuildMovie();
  std::size_t recordBytes = 0;
  for (const Bytes& record : movie.records) recordBytes += record.size();

  lw::platform::TtfFontRenderer fonts;
  lw::platform::HeadlessPlatform platform{lw::platform::InputScript{}, fonts, stderr};
  lw::Screen screen{platform};
  lw::PaletteState palettes{screen, [] {}};

  // Each contestant has its own buffer and canvas; those that go through the movie start at its
  // first frame, a key frame.
  Player playing(movie, palettes);
  CheckEveryFrame(playing, movie);
  Player decoding(movie, palettes);
  Player revealing(movie, palettes);
  Player copying(movie, palettes);
  static_cast<void>(revealing.Decode(0));
  const std::vector<Work> contestants{
      [&](std::int64_t count) {
        for (std::int64_t i = 0; i < count; ++i) playing.PlayNext();
        Touch(playing.canvas().data());
      },
      [&](std::int64_t count) {
        for (std::int64_t i = 0; i < count; ++i) decoding.DecodeNext();
        Touch(decoding.buffer().data());
      },
      [&](std::int64_t count) {
        for (std::int64_t i = 0; i < count; ++i) static_cast<void>(revealing.Show());
        Touch(revealing.canvas().data());
      },
      [&](std::int64_t count) {
        for (std::int64_t i = 0; i < count; ++i) revealing.CopyBuffer();
        Touch(revealing.canvas().data());
      },
      [&](std::int64_t count) {
        for (std::int64_t i = 0; i < count; ++i) copying.CopyNext();
        Touch(copying.canvas().data());
      },
  };
  const std::vector<double> fps = RatesOf(contestants);
  const double plainFps = fps.back();

  std::printf(
      "640 x 480 movie of %d frames (%d key frames, %zu record bytes a frame on average), plain "
      "transition, no waits; in turns, median of %d runs of %.2f s\n",
      kFrames, movie.keyFrames, recordBytes / kFrames, kRuns, kRunSeconds);
  std::printf("%-44s %10s %10s %10s\n", "work", "fps", "us", "x memcpy");
  const char* const names[] = {
      "frame: decode + transition + compose",      "decode alone (for scale)",
      "transition + compose alone (for scale)",    "memcpy of the frame buffer (for scale)",
      "memcpy of the decoded frame to the canvas",
  };
  for (std::size_t c = 0; c < fps.size(); ++c) {
    std::printf("%-44s %10.0f %10.1f %10.2f\n", names[c], fps[c], kMicro / fps[c],
                plainFps / fps[c]);
  }
  std::printf("frame: %.0f fps, %.2f x the memcpy's time (goal: at least %.0f fps, %s)\n", fps[0],
              plainFps / fps[0], kGoalFps, fps[0] >= kGoalFps ? "met" : "NOT met");
  return 0;
}
