// Fuzzes the frame decoder with arbitrary records over bitmaps of both row directions. Every
// record either decodes or fails cleanly, reports at most the bytes it was given, and changes no
// byte outside pixels 0 .. W-1 of rows 0 .. N-1.
//
// Input: byte 0 selects the bitmap (bit 0: rows run upward; bit 1: width and height come from
// bytes 1 and 2 instead of 64 x 48; bit 2: rows overlap, stride = width / 2; bits 3..5: padding
// added to the stride); the rest is the frame record.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "media/frame_codec.h"

namespace {

constexpr int kFixedWidth = 64;
constexpr int kFixedHeight = 48;
constexpr int kSlack = 16;  // bytes of memory before and after the rows
constexpr std::uint8_t kUpward = 1;
constexpr std::uint8_t kSizeFromInput = 2;
constexpr std::uint8_t kOverlapping = 4;
constexpr int kPaddingShift = 3;
constexpr int kPaddingMask = 7;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  std::uint8_t flags = data[0];
  std::size_t header = 1;
  int width = kFixedWidth, height = kFixedHeight;
  if (flags & kSizeFromInput) {
    if (size < 3) return 0;
    width = 1 + data[1] % kFixedWidth;
    height = 1 + data[2] % kFixedHeight;
    header = 3;
  }
  int stride =
      (flags & kOverlapping) ? width / 2 : width + ((flags >> kPaddingShift) & kPaddingMask);
  std::size_t span = static_cast<std::size_t>((height - 1) * stride + width);
  // Exact-size copies, so that any access past either end is caught.
  std::vector<std::uint8_t> memory(2 * kSlack + span);
  for (std::size_t i = 0; i < memory.size(); ++i) memory[i] = static_cast<std::uint8_t>(i * 7);
  std::vector<std::uint8_t> record(data + header, data + size);

  lw::BitmapView view;
  view.memory = memory;
  view.width = width;
  view.height = height;
  view.stride = (flags & kUpward) ? -stride : stride;
  view.row0 = kSlack + ((flags & kUpward) ? (height - 1) * stride : 0);

  // The bytes the frame may write: pixels 0 .. W-1 of rows 0 .. N-1 when the header fits.
  std::vector<bool> writable(memory.size(), false);
  auto frameSize = lw::ReadFrameSize(record);
  if (frameSize.ok() && frameSize->rows >= 0 && frameSize->rows <= height &&
      frameSize->width >= 0 && frameSize->width <= width) {
    for (int r = 0; r < frameSize->rows; ++r) {
      for (int c = 0; c < frameSize->width; ++c)
        writable[static_cast<std::size_t>(view.offsetOf(r, c))] = true;
    }
  }
  std::vector<std::uint8_t> before = memory;

  auto used = lw::DecodeFrame(record, view);
  if (used.ok() && (used.value() < lw::kFrameHeaderSize || used.value() > record.size()))
    std::abort();
  for (std::size_t i = 0; i < memory.size(); ++i) {
    if (!writable[i] && memory[i] != before[i]) std::abort();
  }
  return 0;
}
