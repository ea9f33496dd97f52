// One channel's play of a sound item, and the saturating store of the mix.
#include "media/sound_mixer.h"

#include <algorithm>
#include <limits>

namespace lw {
namespace {

constexpr std::uint16_t kMaxVolume = 255;
constexpr std::uint16_t kCentrePan = 128;
constexpr std::uint16_t kMaxPan = 255;
constexpr std::int64_t kFullShare = 128;
constexpr std::int64_t kUnitGain = std::int64_t{1} << kMixGainShift;
constexpr std::int32_t kByteCentre = 128;
constexpr std::int32_t kByteMin = -128;
constexpr std::int32_t kByteMax = 127;

struct RateStepRow {
  std::uint32_t rateMultiple;
  int step;
};
constexpr std::array<RateStepRow, 3> kRateSteps{{{1, kRateUp2}, {2, kRateSame}, {4, kRateDown2}}};

// Source frames per group and written frames per group of a rate step.
struct GroupShape {
  std::size_t sourceFrames;
  std::size_t writtenFrames;
};
GroupShape ShapeOf(int step) {
  if (step < 0) return {static_cast<std::size_t>(-step), 1};
  return {1, static_cast<std::size_t>(step)};
}

ChannelGain SideGain(std::int64_t volume, std::int64_t share) {
  constexpr std::int64_t kDenominator = std::int64_t{kMaxVolume} * kFullShare;
  const std::int64_t g = (volume * share * kUnitGain + kDenominator / 2) / kDenominator;
  return {static_cast<std::int32_t>(g), kMixGainShift};
}

}  // namespace

TrackGains GainsFor(std::uint16_t volume, std::uint16_t pan) {
  const std::int64_t v = std::min(volume, kMaxVolume);
  const std::int64_t p = std::min(pan, kMaxPan);
  const std::int64_t leftShare =
      p <= kCentrePan ? kFullShare : (kMaxPan - p) * kFullShare / (kMaxPan - kCentrePan);
  const std::int64_t rightShare = p >= kCentrePan ? kFullShare : p;
  TrackGains gains;
  gains.left = SideGain(v, leftShare);
  gains.right = SideGain(v, rightShare);
  gains.mono = {(gains.left.gain + gains.right.gain) / 2, kMixGainShift};
  return gains;
}

int RateStepFor(const SoundCodec& codec) {
  for (const RateStepRow& row : kRateSteps) {
    if (row.rateMultiple == codec.rateMultiple) return row.step;
  }
  return 0;  // converts nothing; the record reader admits no other codec
}

std::optional<SampleFormat> SourceFormatOf(const SoundRecordInfo& info) {
  if (info.bytesPerFrame != 1 && info.bytesPerFrame != 2) return std::nullopt;
  return SampleFormat{static_cast<std::uint8_t>(info.bytesPerFrame), 1};
}

void StoreMix(std::span<const std::int32_t> mix, int bytesPerSample, std::span<std::uint8_t> out) {
  if (bytesPerSample == 2) {
    constexpr std::int32_t kMin = std::numeric_limits<std::int16_t>::min();
    constexpr std::int32_t kMax = std::numeric_limits<std::int16_t>::max();
    const std::size_t count = std::min(mix.size(), out.size() / 2);
    for (std::size_t i = 0; i < count; ++i) {
      const auto value = static_cast<std::uint16_t>(std::clamp(mix[i], kMin, kMax));
      out[2 * i] = static_cast<std::uint8_t>(value & 0xFF);
      out[2 * i + 1] = static_cast<std::uint8_t>(value >> 8);
    }
    return;
  }
  const std::size_t count = std::min(mix.size(), out.size());
  for (std::size_t i = 0; i < count; ++i) {
    out[i] = static_cast<std::uint8_t>(std::clamp(mix[i], kByteMin, kByteMax) + kByteCentre);
  }
}

void SoundTrack::Start(const SoundItem& item, SampleFormat output) {
  item_ = item;
  conversion_.source = SourceFormatOf(item.info).value_or(SampleFormat{});
  conversion_.dest = output;
  conversion_.rateStep = RateStepFor(item.info.codec);
  conversion_.gains = GainsFor(item.volume, item.pan);
  const GroupShape shape = ShapeOf(conversion_.rateStep);
  groupBytes_ = shape.sourceFrames * conversion_.source.frameBytes();
  groupFrames_ = shape.writtenFrames;
  Restart();
}

void SoundTrack::Restart() {
  decoder_.emplace(std::span<const std::uint8_t>(*item_.record), item_.info);
  const std::size_t frameBytes = conversion_.source.frameBytes();
  remaining_ = static_cast<std::size_t>(item_.info.sampleFrames()) * frameBytes;
  blockFill_ = 0;
  blockPos_ = 0;
  busy_ = true;
}

void SoundTrack::Stop() {
  busy_ = false;
  decoder_.reset();
}

bool SoundTrack::playedOut() const {
  return remaining_ == 0 && blockFill_ - blockPos_ < groupBytes_;
}

bool SoundTrack::NextBlock(FatalSite& site) {
  site = decoder_->decodeNext(block_);
  if (site.failed()) {
    remaining_ = 0;
    blockFill_ = blockPos_ = 0;
    return false;
  }
  blockFill_ = std::min<std::size_t>(decoder_->blockSize(), remaining_);
  blockPos_ = 0;
  remaining_ -= blockFill_;
  return true;
}

std::size_t SoundTrack::MixInto(std::span<std::int32_t> mix, FatalSite& site) {
  site = {};
  if (!busy_) return 0;
  const std::size_t channels = conversion_.dest.channels;
  const std::size_t frames = mix.size() / channels;
  std::size_t done = 0;
  while (done < frames) {
    if (blockFill_ - blockPos_ < groupBytes_) {
      if (remaining_ == 0 || !NextBlock(site)) break;
      continue;
    }
    const std::size_t groups =
        std::min((blockFill_ - blockPos_) / groupBytes_, (frames - done) / groupFrames_);
    const std::size_t added =
        AddConvertedSamples(conversion_, std::span<const std::uint8_t>(block_).subspan(blockPos_),
                            groups, mix.subspan(done * channels));
    if (added == 0) break;
    blockPos_ += groups * groupBytes_;
    done += added / channels;
  }
  return done;
}

}  // namespace lw
