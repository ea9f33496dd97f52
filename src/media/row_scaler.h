// The row scaler of the stage view: pictures drawn at a distance are shrunk or grown by picking,
// for every output pixel, one source pixel, and for every output row one source row.
//
// Output pixel i of an output of D pixels made from a source of S pixels shows source pixel
// i x S / D, rounded down: an integer error term steps through the source in proportion
// (Bresenham stepping), repeating or skipping pixels. The same stepping, one output row at a
// time, picks the source rows. A hit test that maps a point back with the same division
// therefore finds exactly the pixel that was drawn there.
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <tuple>
#include <utility>

// Byte shuffles are used where the processor has them (SSSE3, checked when running).
#if defined(__x86_64__) || defined(__i386__)
#define LW_ROW_SHUFFLES 1
#include <tmmintrin.h>
#else
#define LW_ROW_SHUFFLES 0
#endif

namespace lw {

inline constexpr std::int32_t kMaxScaledLength = 2048;  // scaled rows are shorter than this
inline constexpr std::int32_t kMaxSourceLength = 512;   // and their sources no longer than this

// Walks output lines one at a time from a first line and gives the source line each one shows,
// i x sourceLength / outputLength, without a division per line.
class LineStepper {
 public:
  // Requires sourceLength >= 0, outputLength >= 1 and first >= 0.
  LineStepper(std::int32_t sourceLength, std::int32_t outputLength, std::int32_t first);

  [[nodiscard]] std::int32_t source() const { return source_; }

  // Moves to the next output line.
  void Next() {
    source_ += whole_;
    error_ += fraction_;
    if (error_ >= output_) {
      error_ -= output_;
      ++source_;
    }
  }

 private:
  std::int32_t output_;
  std::int32_t whole_;     // source lines passed per output line, whole part
  std::int32_t fraction_;  // and the remainder, in units of 1 / output_
  std::int32_t source_;
  std::int32_t error_;
};

// The horizontal stepping of one scaled drawing, planned once for the visible output columns
// [first, end) and applied to every row. Mirrored, output column i shows what output column
// D - 1 - i would show unmirrored.
class RowScaler {
 public:
  // Requires 1 <= sourceLength <= kMaxSourceLength, 1 <= outputLength < kMaxScaledLength and
  // 0 <= first <= end <= outputLength.
  RowScaler(std::int32_t sourceLength, std::int32_t outputLength, std::int32_t first,
            std::int32_t end, bool mirrored);

  // The output columns, as offsets from column `first` and cut to the visible ones, that show
  // source pixels [begin, end) (0 <= begin <= end <= the source length): [low, high).
  [[nodiscard]] std::pair<std::int32_t, std::int32_t> Showing(std::int32_t begin,
                                                              std::int32_t end) const {
    std::int32_t low = firstShowing_[static_cast<std::size_t>(begin)];
    std::int32_t high = firstShowing_[static_cast<std::size_t>(end)];
    if (mirrored_) std::tie(low, high) = std::pair(output_ - high, output_ - low);
    low = std::max(low, first_) - first_;
    high = std::min(high, end_) - first_;
    return {low, std::max(low, high)};
  }

  // Paints out[low .. high), offsets from column `first` within the visible ones, with the source
  // pixels they show. Called for every span of every row drawn, so it lives here to be inlined.
  void Paint(const std::uint8_t* values, std::int32_t low, std::int32_t high,
             std::uint8_t* out) const {
    static_assert(std::endian::native == std::endian::little, "words are stored low byte first");
    const std::uint16_t* map = map_.data();
    auto slot = static_cast<std::size_t>(low);
    const auto stop = static_cast<std::size_t>(high);
    // Eight pixels gathered into a word and stored at once. The last word of a span of eight
    // or more ends at its end, overlapping pixels already painted with the same values; a
    // shorter span goes pixel by pixel.
    const auto word = [&](std::size_t at) {
      std::uint64_t pixels = 0;
      for (std::size_t k = 0; k < 8; ++k) {
        pixels |= std::uint64_t{values[map[at + k]]} << (8 * k);
      }
      std::memcpy(out + at, &pixels, sizeof pixels);
    };
    if (stop - slot < 8) {
      for (; slot < stop; ++slot) out[slot] = values[map[slot]];
      return;
    }
    for (; slot + 8 < stop; slot += 8) word(slot);
    word(stop - 8);
  }

#if LW_ROW_SHUFFLES
  // Paints as Paint does, with SSSE3 byte shuffles: eight pixels whose source pixels lie within
  // 16 of each other (every word of a picture shrunk to half its width or more) are picked from
  // a 16-byte load of `values` by one shuffle. `values` must be readable 16 bytes past the
  // source row's last pixel. Only for processors that have SSSE3.
  [[gnu::target("ssse3")]] void PaintShuffled(const std::uint8_t* values, std::int32_t low,
                                              std::int32_t high, std::uint8_t* out) const {
    auto slot = static_cast<std::size_t>(low);
    const auto stop = static_cast<std::size_t>(high);
    if (stop - slot < 8) {
      Paint(values, low, high, out);
      return;
    }
    for (; slot + 8 < stop; slot += 8) ShuffleWord(values, slot, out);
    ShuffleWord(values, stop - 8, out);
  }
#endif

 private:
#if LW_ROW_SHUFFLES
  // Paints out[at .. at + 8) for PaintShuffled.
  [[gnu::target("ssse3")]] void ShuffleWord(const std::uint8_t* values, std::size_t at,
                                            std::uint8_t* out) const {
    const std::uint16_t* map = map_.data();
    // Mirrored, the source pixels fall from the word's first to its last.
    const std::uint16_t base = std::min(map[at], map[at + 7]);
    if (std::max(map[at], map[at + 7]) - base >= 16) {
      Paint(values, static_cast<std::int32_t>(at), static_cast<std::int32_t>(at + 8), out);
      return;
    }
    const __m128i sources = _mm_loadu_si128(reinterpret_cast<const __m128i*>(map + at));
    const __m128i offsets = _mm_sub_epi16(sources, _mm_set1_epi16(static_cast<short>(base)));
    const __m128i window = _mm_loadu_si128(reinterpret_cast<const __m128i*>(values + base));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + at),
                     _mm_shuffle_epi8(window, _mm_packus_epi16(offsets, offsets)));
  }
#endif

  std::int32_t output_;
  std::int32_t first_;
  std::int32_t end_;
  bool mirrored_;
  // The source pixel of output column first + i.
  std::array<std::uint16_t, kMaxScaledLength> map_;
  // The first unmirrored output column that shows source pixel s or a later one, for s from 0
  // to the source length.
  std::array<std::uint16_t, kMaxSourceLength + 1> firstShowing_;
};

}  // namespace lw
