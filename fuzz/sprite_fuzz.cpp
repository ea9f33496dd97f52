// Fuzzes sprite pictures: arbitrary bytes drawn plain, mirrored and scaled onto a fixed bitmap
// with slack around every row, and hit-tested plain and scaled. No draw may touch a byte outside
// the clip rectangle and the bitmap, and every failure must name one of its function's sites.
//
// Input: a flags byte (bit 0 rows run upward, bit 1 coordinates x 256), then signed bytes for the
// anchor (v, h), the clip (top, left, bottom, right), the drawn size (rows, columns, x 16) and
// two hit points (v, h); the rest is the picture record.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <span>

#include "media/sprite.h"

namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 48;
constexpr int kStride = kWidth + 8;  // eight bytes of slack after every row
constexpr int kSlack = 256;          // and this much before the first and after the last row
constexpr std::size_t kMemory = 2 * kSlack + kHeight * kStride;
constexpr std::size_t kParameters = 14;
constexpr std::int16_t kLogic = 110;
constexpr int kWide = 256;     // coordinate multiplier that reaches far outside the bitmap
constexpr int kSizeStep = 16;  // drawn size multiplier, so that 2048 columns can be asked for

// What the bitmap memory holds before each draw: a pattern that no draw is likely to repeat.
const std::array<std::uint8_t, kMemory>& Pattern() {
  static const auto pattern = [] {
    std::array<std::uint8_t, kMemory> bytes{};
    for (std::size_t i = 0; i < kMemory; ++i) bytes[i] = static_cast<std::uint8_t>(i * 31 + 7);
    return bytes;
  }();
  return pattern;
}

void Require(bool condition) {
  if (!condition) std::abort();
}

// Whether a failure is absent or one of `sites`, with the logic program code.
bool SiteIsOneOf(lw::FatalSite site, std::initializer_list<std::int16_t> sites) {
  if (!site.failed()) return site.programCode == 0;
  if (site.programCode != kLogic) return false;
  for (std::int16_t s : sites) {
    if (site.errorLine == s) return true;
  }
  return false;
}

// The bitmap and the memory around it (static: no allocation per run).
class Target {
 public:
  explicit Target(bool upward) {
    const std::ptrdiff_t first = kSlack + (upward ? (kHeight - 1) * kStride : 0);
    view_ = {memory_, first, upward ? -kStride : kStride, kWidth, kHeight};
  }

  // Fills the memory with the pattern again and gives the bitmap to draw into.
  const lw::BitmapView& Reset() {
    memory_ = Pattern();
    return view_;
  }

  // Every byte outside the clipped bitmap still holds its pattern.
  [[nodiscard]] bool UntouchedOutside(lw::Rect clip) const {
    expected_ = Pattern();
    const int top = std::max<int>(clip.top, 0), bottom = std::min<int>(clip.bottom, kHeight);
    const int left = std::max<int>(clip.left, 0), right = std::min<int>(clip.right, kWidth);
    for (int v = top; v < bottom && left < right; ++v) {
      const auto row = static_cast<std::size_t>(view_.offsetOf(v, left));
      std::memcpy(&expected_[row], &memory_[row], static_cast<std::size_t>(right - left));
    }
    return expected_ == memory_;
  }

 private:
  static inline std::array<std::uint8_t, kMemory> memory_{};
  static inline std::array<std::uint8_t, kMemory> expected_{};
  lw::BitmapView view_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < kParameters) return 0;
  const bool upward = (data[0] & 1) != 0;
  const int scale = (data[0] & 2) != 0 ? kWide : 1;
  auto coordinate = [&](std::size_t i) {
    return static_cast<std::int16_t>(static_cast<std::int8_t>(data[i]) * scale);
  };
  const lw::Point anchor{coordinate(1), coordinate(2)};
  const lw::Rect clip{coordinate(3), coordinate(4), coordinate(5), coordinate(6)};
  const lw::SpriteSize drawn{static_cast<std::int16_t>(static_cast<std::int8_t>(data[7])),
                             static_cast<std::int16_t>(data[8] * kSizeStep + data[9] % kSizeStep)};
  const lw::Point points[2] = {{coordinate(10), coordinate(11)}, {coordinate(12), coordinate(13)}};
  const std::span<const std::uint8_t> record(data + kParameters, size - kParameters);

  Target target(upward);
  for (bool mirrored : {false, true}) {
    Require(SiteIsOneOf(lw::DrawSprite(record, anchor, target.Reset(), clip, mirrored),
                        {lw::kSiteSpriteHeader, lw::kSiteDrawRows}));
    Require(target.UntouchedOutside(clip));
    Require(
        SiteIsOneOf(lw::DrawSpriteScaled(record, anchor, target.Reset(), clip, mirrored, drawn),
                    {lw::kSiteSpriteHeader, lw::kSiteScaledDrawWidth, lw::kSiteScaledDrawRows}));
    Require(target.UntouchedOutside(clip));

    for (lw::Point point : points) {
      auto covers = lw::SpriteCovers(record, anchor, mirrored, nullptr, point);
      Require(covers.ok() ||
              SiteIsOneOf(covers.error(), {lw::kSiteSpriteHeader, lw::kSiteDrawRows}));
      auto scaled = lw::SpriteCovers(record, anchor, mirrored, &drawn, point);
      Require(scaled.ok() ||
              SiteIsOneOf(scaled.error(), {lw::kSiteSpriteHeader, lw::kSiteScaledDrawWidth,
                                           lw::kSiteScaledDrawRows}));
    }
  }
  return 0;
}
