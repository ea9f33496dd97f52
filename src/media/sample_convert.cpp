// The sample converter: one loop per combination of source and destination format, chosen once
// per call, so that the per-sample work holds no format tests.
#include "media/sample_convert.h"

#include <algorithm>
#include <array>
#include <utility>

#include "common/byte_io.h"

namespace lw {
namespace {

constexpr std::int32_t kUnsignedCentre = 128;
constexpr unsigned kByteBits = 8;
constexpr std::int32_t kByteMask = 0xFF;

// How a rate step groups source frames and repeats converted ones.
struct RateShape {
  int step = kRateSame;
  std::size_t framesPerGroup = 1;
  unsigned averageShift = 0;  // log2 of framesPerGroup
  std::size_t repeats = 1;
};
constexpr std::array<RateShape, 5> kRateShapes{{
    {kRateDown4, 4, 2, 1},
    {kRateDown2, 2, 1, 1},
    {kRateSame, 1, 0, 1},
    {kRateUp2, 1, 0, 2},
    {kRateUp4, 1, 0, 4},
}};

// The shape of a rate step, or nullptr for a step that converts nothing.
const RateShape* ShapeOf(int rateStep) {
  for (const RateShape& shape : kRateShapes) {
    if (shape.step == rateStep) return &shape;
  }
  return nullptr;
}

// 32-bit products and sums that wrap instead of overflowing.
inline std::int32_t WrapMul(std::int32_t a, std::int32_t b) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) * static_cast<std::uint32_t>(b));
}
inline std::int32_t WrapAdd(std::int32_t a, std::int32_t b) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}
inline std::int32_t ApplyGain(std::int32_t value, ChannelGain gain) {
  return WrapMul(value, gain.gain) >> gain.shift;
}

// One sample's value on the scale of the destination's sample size.
template <int SrcBytes, int DstBytes>
inline std::int32_t SourceValue(const std::uint8_t* p) {
  if constexpr (SrcBytes == 2) {
    return static_cast<std::int16_t>(LoadU16(p));
  } else {
    std::int32_t centred = std::int32_t{p[0]} - kUnsignedCentre;
    return DstBytes == 2 ? centred * (1 << kByteBits) : centred;
  }
}

// Stores one converted sample.
template <int SrcBytes, int DstBytes>
inline void StoreSample(std::uint8_t* p, std::int32_t result) {
  if constexpr (DstBytes == 2) {
    p[0] = static_cast<std::uint8_t>(result & kByteMask);
    p[1] = static_cast<std::uint8_t>((result >> kByteBits) & kByteMask);
  } else {
    if constexpr (SrcBytes == 2) result >>= kByteBits;
    p[0] = static_cast<std::uint8_t>(WrapAdd(result, kUnsignedCentre) & kByteMask);
  }
}

template <int SrcCh, int SrcBytes, int DstCh, int DstBytes>
void ConvertRun(const TrackGains& gains, const RateShape& shape, const std::uint8_t* src,
                std::size_t groups, std::uint8_t* dst) {
  constexpr std::size_t kSrcFrame = SrcCh * SrcBytes;
  constexpr std::size_t kDstFrame = DstCh * DstBytes;
  for (std::size_t group = 0; group < groups; ++group) {
    std::array<std::int32_t, SrcCh> value{};
    for (std::size_t frame = 0; frame < shape.framesPerGroup; ++frame, src += kSrcFrame) {
      for (int c = 0; c < SrcCh; ++c)
        value[c] += SourceValue<SrcBytes, DstBytes>(src + c * SrcBytes);
    }
    for (std::int32_t& v : value) v >>= shape.averageShift;

    std::array<std::int32_t, DstCh> out;
    if constexpr (DstCh == 2) {
      out[0] = ApplyGain(value[0], gains.left);
      out[1] = ApplyGain(value[SrcCh - 1], gains.right);
    } else if constexpr (SrcCh == 2) {
      out[0] = WrapAdd(ApplyGain(value[0], gains.left), ApplyGain(value[1], gains.right)) >> 1;
    } else {
      out[0] = ApplyGain(value[0], gains.mono);
    }
    for (std::size_t r = 0; r < shape.repeats; ++r, dst += kDstFrame) {
      for (int c = 0; c < DstCh; ++c) StoreSample<SrcBytes, DstBytes>(dst + c * DstBytes, out[c]);
    }
  }
}

using RunFunction = void (*)(const TrackGains&, const RateShape&, const std::uint8_t*, std::size_t,
                             std::uint8_t*);

// The loop for format combination `index`: bits 3..0 are source channels - 1, source bytes - 1,
// destination channels - 1, destination bytes - 1.
template <std::size_t Index>
constexpr RunFunction RunFor() {
  return &ConvertRun<((Index >> 3) & 1) + 1, ((Index >> 2) & 1) + 1, ((Index >> 1) & 1) + 1,
                     (Index & 1) + 1>;
}
template <std::size_t... Index>
constexpr std::array<RunFunction, sizeof...(Index)> MakeRuns(std::index_sequence<Index...>) {
  return {RunFor<Index>()...};
}
constexpr std::size_t kFormatCombinations = 16;
constexpr auto kRuns = MakeRuns(std::make_index_sequence<kFormatCombinations>());

std::size_t RunIndex(SampleFormat source, SampleFormat dest) {
  return (std::size_t{source.channels} - 1) << 3 | (std::size_t{source.bytesPerSample} - 1) << 2 |
         (std::size_t{dest.channels} - 1) << 1 | (std::size_t{dest.bytesPerSample} - 1);
}

bool ShiftsValid(const TrackGains& gains) {
  return gains.mono.shift <= kMaxGainShift && gains.left.shift <= kMaxGainShift &&
         gains.right.shift <= kMaxGainShift;
}

}  // namespace

std::size_t ConvertSamples(const SampleConversion& conversion, std::span<const std::uint8_t> source,
                           std::size_t groups, std::span<std::uint8_t> dest) {
  const RateShape* shape = ShapeOf(conversion.rateStep);
  if (shape == nullptr || !conversion.source.valid() || !conversion.dest.valid() ||
      !ShiftsValid(conversion.gains)) {
    return 0;
  }
  const std::size_t sourceGroupBytes = shape->framesPerGroup * conversion.source.frameBytes();
  const std::size_t destGroupBytes = shape->repeats * conversion.dest.frameBytes();
  groups = std::min({groups, source.size() / sourceGroupBytes, dest.size() / destGroupBytes});
  if (groups == 0) return 0;
  kRuns[RunIndex(conversion.source, conversion.dest)](conversion.gains, *shape, source.data(),
                                                      groups, dest.data());
  return groups * destGroupBytes;
}

}  // namespace lw
