// The mixer's copy step: converts a run of one track's samples from the track's format to the
// output's, changing the rate by a small whole step and applying the track's integer gains.
//
// Sample formats: 1 or 2 channels, interleaved left then right; 1-byte samples are unsigned and
// centred on 128, 2-byte samples are signed little-endian.
//
// One call converts `groups` source groups. A group is the source frames that make one converted
// frame (4 or 2 for the down steps, else 1), and it writes the converted frame once, or 2 or 4
// times for the up steps:
//
//   RATE STEP   SOURCE FRAMES   WRITTEN   VALUE PER CHANNEL
//   -4          4               1         sum of the 4 values >> 2 (arithmetic)
//   -2          2               1         sum of the 2 values >> 1 (arithmetic)
//    1          1               1         the value
//    2          1               2         the value
//    4          1               4         the value
//   other       -               -         nothing is converted
//
// Per sample, in this order:
//   1. Source value v: a 1-byte sample s counts as s - 128 for 1-byte output and as
//      (s - 128) x 256 for 2-byte output; a 2-byte sample counts as itself.
//   2. Rate step, as in the table.
//   3. Gain: (v x g) >> k, arithmetic, with the output channel's gain g and shift k (the mono pair
//      for mono output; the left and right pairs for stereo output). Mono to stereo feeds the one
//      value to both channels; stereo to mono is (((vl x gl) >> kl) + ((vr x gr) >> kr)) >> 1;
//      stereo to stereo keeps the channels apart. Products and sums are 32-bit and wrap.
//   4. Output: 2 bytes store the result's low 16 bits; 1 byte stores the result + 128, modulo
//      256, after shifting a 2-byte source's result right by 8. Nothing saturates.
// The destination is overwritten, not added to.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace lw {

inline constexpr int kRateDown4 = -4;
inline constexpr int kRateDown2 = -2;
inline constexpr int kRateSame = 1;
inline constexpr int kRateUp2 = 2;
inline constexpr int kRateUp4 = 4;
inline constexpr std::uint8_t kMaxGainShift = 31;

struct SampleFormat {
  std::uint8_t channels = 1;        // 1 or 2
  std::uint8_t bytesPerSample = 1;  // 1 or 2

  [[nodiscard]] bool valid() const {
    return (channels == 1 || channels == 2) && (bytesPerSample == 1 || bytesPerSample == 2);
  }
  [[nodiscard]] std::size_t frameBytes() const { return std::size_t{channels} * bytesPerSample; }
};

struct ChannelGain {
  std::int32_t gain = 1;
  std::uint8_t shift = 0;  // 0 .. kMaxGainShift
};

struct TrackGains {
  ChannelGain mono;
  ChannelGain left;
  ChannelGain right;
};

struct SampleConversion {
  SampleFormat source;
  SampleFormat dest;
  int rateStep = kRateSame;
  TrackGains gains;
};

// Converts up to `groups` source groups from `source` into `dest`, as many as both spans hold
// whole, and returns the number of bytes written (the position behind the last sample). An
// unknown rate step, a format other than 1 or 2 channels of 1 or 2 bytes, or a shift above 31
// converts nothing and returns 0.
std::size_t ConvertSamples(const SampleConversion& conversion, std::span<const std::uint8_t> source,
                           std::size_t groups, std::span<std::uint8_t> dest);

// Converts as ConvertSamples does but ADDS each sample's result (step 3, shifted right by 8 for
// a 2-byte source and 1-byte destination) to the 32-bit value at its place in `mix`, instead of
// storing it, and returns the number of values added to. The sums wrap. A result within the
// destination sample's range, as every result of a gain up to 1 is, equals the value that
// ConvertSamples stores, read back (a 1-byte sample less 128).
std::size_t AddConvertedSamples(const SampleConversion& conversion,
                                std::span<const std::uint8_t> source, std::size_t groups,
                                std::span<std::int32_t> mix);

}  // namespace lw
