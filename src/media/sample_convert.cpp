// The sample converter: one loop per combination of source and destination format and rate step,
// chosen once per call, so that the per-sample work holds no format or rate tests.
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

// The index of a rate step's shape, or kRateShapes.size() for a step that converts nothing.
std::size_t ShapeIndexOf(int rateStep) {
  std::size_t index = 0;
  while (index < kRateShapes.size() && kRateShapes[index].step != rateStep) ++index;
  return index;
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

// A converted sample's value as the destination holds it, before the 1-byte offset.
template <int SrcBytes, int DstBytes>
inline std::int32_t DestValue(std::int32_t result) {
  if constexpr (DstBytes == 1 && SrcBytes == 2) return result >> kByteBits;
  return result;
}

// Writes converted samples into a byte buffer in the destination's format.
template <int SrcBytes, int DstBytes>
struct StoreSink {
  using Target = std::uint8_t*;
  static constexpr std::size_t kUnitsPerSample = DstBytes;
  static void Put(Target p, std::int32_t result) {
    const std::int32_t value = DestValue<SrcBytes, DstBytes>(result);
    if constexpr (DstBytes == 2) {
      p[0] = static_cast<std::uint8_t>(value & kByteMask);
      p[1] = static_cast<std::uint8_t>((value >> kByteBits) & kByteMask);
    } else {
      p[0] = static_cast<std::uint8_t>(WrapAdd(value, kUnsignedCentre) & kByteMask);
    }
  }
};

// Adds converted samples to 32-bit values.
template <int SrcBytes, int DstBytes>
struct AddSink {
  using Target = std::int32_t*;
  static constexpr std::size_t kUnitsPerSample = 1;
  static void Put(Target p, std::int32_t result) {
    *p = WrapAdd(*p, DestValue<SrcBytes, DstBytes>(result));
  }
};

// The loop of one format combination and rate shape, all known when compiled, so that the
// compiler can unroll and vectorise the common mono cases.
template <int SrcCh, int SrcBytes, int DstCh, int DstBytes, std::size_t Shape,
          template <int, int> class Sink>
void ConvertRun(const TrackGains& trackGains, const std::uint8_t* src, std::size_t groups,
                typename Sink<SrcBytes, DstBytes>::Target dst) {
  using Out = Sink<SrcBytes, DstBytes>;
  constexpr RateShape kShape = kRateShapes[Shape];
  constexpr std::size_t kSrcFrame = SrcCh * SrcBytes;
  constexpr std::size_t kDstFrame = DstCh * Out::kUnitsPerSample;
  // Copies, so that stores through `dst` cannot alias the gains.
  const ChannelGain mono = trackGains.mono;
  const ChannelGain left = trackGains.left;
  const ChannelGain right = trackGains.right;
  for (std::size_t group = 0; group < groups; ++group) {
    std::array<std::int32_t, SrcCh> value{};
    for (std::size_t frame = 0; frame < kShape.framesPerGroup; ++frame) {
      for (int c = 0; c < SrcCh; ++c) {
        value[c] += SourceValue<SrcBytes, DstBytes>(src + frame * kSrcFrame + c * SrcBytes);
      }
    }
    src += kShape.framesPerGroup * kSrcFrame;
    for (std::int32_t& v : value) v >>= kShape.averageShift;

    std::array<std::int32_t, DstCh> out;
    if constexpr (DstCh == 2) {
      out[0] = ApplyGain(value[0], left);
      out[1] = ApplyGain(value[SrcCh - 1], right);
    } else if constexpr (SrcCh == 2) {
      out[0] = WrapAdd(ApplyGain(value[0], left), ApplyGain(value[1], right)) >> 1;
    } else {
      out[0] = ApplyGain(value[0], mono);
    }
    for (std::size_t r = 0; r < kShape.repeats; ++r) {
      for (int c = 0; c < DstCh; ++c) {
        Out::Put(dst + r * kDstFrame + c * Out::kUnitsPerSample, out[c]);
      }
    }
    dst += kShape.repeats * kDstFrame;
  }
}

template <template <int, int> class Sink>
using RunFunction = void (*)(const TrackGains&, const std::uint8_t*, std::size_t,
                             typename Sink<1, 1>::Target);

constexpr std::size_t kFormatCombinations = 16;

// The loop for `index`: the rate shape's index times 16 plus the format combination, whose bits
// 3..0 are source channels - 1, source bytes - 1, destination channels - 1, destination bytes - 1.
template <template <int, int> class Sink, std::size_t Index>
constexpr RunFunction<Sink> RunFor() {
  constexpr std::size_t kFormat = Index % kFormatCombinations;
  return &ConvertRun<((kFormat >> 3) & 1) + 1, ((kFormat >> 2) & 1) + 1, ((kFormat >> 1) & 1) + 1,
                     (kFormat & 1) + 1, Index / kFormatCombinations, Sink>;
}
template <template <int, int> class Sink, std::size_t... Index>
constexpr std::array<RunFunction<Sink>, sizeof...(Index)> MakeRuns(std::index_sequence<Index...>) {
  return {RunFor<Sink, Index>()...};
}
constexpr std::size_t kRunCount = kFormatCombinations * kRateShapes.size();
constexpr auto kStoreRuns = MakeRuns<StoreSink>(std::make_index_sequence<kRunCount>());
constexpr auto kAddRuns = MakeRuns<AddSink>(std::make_index_sequence<kRunCount>());

std::size_t RunIndex(std::size_t shape, SampleFormat source, SampleFormat dest) {
  return shape * kFormatCombinations | (std::size_t{source.channels} - 1) << 3 |
         (std::size_t{source.bytesPerSample} - 1) << 2 | (std::size_t{dest.channels} - 1) << 1 |
         (std::size_t{dest.bytesPerSample} - 1);
}

bool ShiftsValid(const TrackGains& gains) {
  return gains.mono.shift <= kMaxGainShift && gains.left.shift <= kMaxGainShift &&
         gains.right.shift <= kMaxGainShift;
}

// The run of a conversion and how many whole groups it converts from `sourceBytes` into room for
// `destUnits` units (bytes or 32-bit values); nothing for a conversion that converts nothing.
struct PlannedRun {
  std::size_t index = 0;
  std::size_t groups = 0;
  std::size_t destUnitsPerGroup = 0;
};
PlannedRun Plan(const SampleConversion& conversion, std::size_t sourceBytes, std::size_t groups,
                std::size_t destUnits, std::size_t unitsPerSample) {
  const std::size_t shape = ShapeIndexOf(conversion.rateStep);
  if (shape == kRateShapes.size() || !conversion.source.valid() || !conversion.dest.valid() ||
      !ShiftsValid(conversion.gains)) {
    return {};
  }
  const std::size_t sourceGroupBytes =
      kRateShapes[shape].framesPerGroup * conversion.source.frameBytes();
  const std::size_t destGroupUnits =
      kRateShapes[shape].repeats * conversion.dest.channels * unitsPerSample;
  return {RunIndex(shape, conversion.source, conversion.dest),
          std::min({groups, sourceBytes / sourceGroupBytes, destUnits / destGroupUnits}),
          destGroupUnits};
}

}  // namespace

std::size_t ConvertSamples(const SampleConversion& conversion, std::span<const std::uint8_t> source,
                           std::size_t groups, std::span<std::uint8_t> dest) {
  const PlannedRun run =
      Plan(conversion, source.size(), groups, dest.size(), conversion.dest.bytesPerSample);
  if (run.groups == 0) return 0;
  kStoreRuns[run.index](conversion.gains, source.data(), run.groups, dest.data());
  return run.groups * run.destUnitsPerGroup;
}

std::size_t AddConvertedSamples(const SampleConversion& conversion,
                                std::span<const std::uint8_t> source, std::size_t groups,
                                std::span<std::int32_t> mix) {
  const PlannedRun run = Plan(conversion, source.size(), groups, mix.size(), 1);
  if (run.groups == 0) return 0;
  kAddRuns[run.index](conversion.gains, source.data(), run.groups, mix.data());
  return run.groups * run.destUnitsPerGroup;
}

}  // namespace lw
