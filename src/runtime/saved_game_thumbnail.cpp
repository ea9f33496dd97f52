#include "runtime/saved_game_thumbnail.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "common/byte_io.h"

namespace lw {
namespace {

constexpr std::string_view kTag = "THMB";
constexpr std::size_t kHeaderSize = 8;
constexpr std::size_t kBytesPerPixel = 3;
constexpr unsigned kBlockPixels = kThumbnailScale * kThumbnailScale;

// The rounded mean of one channel over a block.
std::uint8_t Mean(unsigned sum) {
  return static_cast<std::uint8_t>((sum + kBlockPixels / 2) / kBlockPixels);
}

}  // namespace

std::vector<std::uint8_t> EncodeThumbnail(const Surface& screen, const Palette& palette) {
  const int width = screen.width() / kThumbnailScale;
  const int height = screen.height() / kThumbnailScale;
  ByteWriter out;
  for (const char c : kTag) out.u8(static_cast<std::uint8_t>(c));
  out.u16(static_cast<std::uint16_t>(width));
  out.u16(static_cast<std::uint16_t>(height));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      std::array<unsigned, 3> sum{};
      for (int dy = 0; dy < kThumbnailScale; ++dy) {
        const std::uint8_t* row = screen.row(y * kThumbnailScale + dy) + x * kThumbnailScale;
        for (int dx = 0; dx < kThumbnailScale; ++dx) {
          const Rgb& colour = palette[row[dx]];
          sum[0] += colour.red;
          sum[1] += colour.green;
          sum[2] += colour.blue;
        }
      }
      for (const unsigned channel : sum) out.u8(Mean(channel));
    }
  }
  return out.take();
}

std::optional<ThumbnailPicture> DecodeThumbnail(std::span<const std::uint8_t> record) {
  ByteReader in(record);
  const std::span<const std::uint8_t> tag = in.bytes(kTag.size());
  const int width = in.u16();
  const int height = in.u16();
  if (in.failed() ||
      !std::equal(tag.begin(), tag.end(), kTag.begin(), kTag.end(),
                  [](std::uint8_t a, char b) { return a == static_cast<std::uint8_t>(b); }))
    return std::nullopt;
  if (width == 0 || height == 0 || width > kThumbnailMaxWidth || height > kThumbnailMaxHeight)
    return std::nullopt;
  const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  if (record.size() != kHeaderSize + count * kBytesPerPixel) return std::nullopt;
  ThumbnailPicture picture{width, height, {}};
  picture.pixels.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t red = in.u8();
    const std::uint8_t green = in.u8();
    const std::uint8_t blue = in.u8();
    picture.pixels.push_back(Rgb{red, green, blue});
  }
  return picture;
}

}  // namespace lw
