// The sound record encoder: mixing, resampling, scaling, the block coder and the record layout.
#include "authoring/sound_encoder.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <unordered_map>

#include <samplerate.h>

#include "common/byte_io.h"

namespace lw::authoring {
namespace {

// ---- Steps 1 to 3: mixing, resampling, scaling ----

constexpr double kFullScale = 32768.0;  // a 16-bit sample's scale
constexpr double kValueScale = 64.0;    // running-value steps for full scale
constexpr std::int16_t kMonoFrameBytes = 1;

// The channels' mean of each frame, in [-1, 1).
std::vector<float> MixToMono(const PcmSound& source) {
  std::vector<float> mono(source.frames());
  for (std::size_t f = 0; f < mono.size(); ++f) {
    double sum = 0;
    for (std::size_t c = 0; c < source.channels; ++c)
      sum += source.samples[f * source.channels + c];
    mono[f] = static_cast<float>(sum / source.channels / kFullScale);
  }
  return mono;
}

// `count` samples of `in` at the rate `to`, by libsamplerate's best sinc converter; samples past
// the converter's output count as silence.
Expected<std::vector<float>, std::string> Resample(std::span<const float> in, std::uint32_t from,
                                                   std::uint32_t to, std::size_t count) {
  if (from == to) return std::vector<float>(in.begin(), in.end());
  std::vector<float> out(count);
  if (in.empty() || count == 0) return out;
  SRC_DATA data{};
  data.data_in = in.data();
  data.input_frames = static_cast<long>(in.size());
  data.data_out = out.data();
  data.output_frames = static_cast<long>(count);
  data.src_ratio = static_cast<double>(to) / from;
  data.end_of_input = 1;
  if (const int error = src_simple(&data, SRC_SINC_BEST_QUALITY, 1); error != 0)
    return Unexpected{"cannot convert the rate: " + std::string(src_strerror(error))};
  return out;
}

// ---- Step 4: the block coder ----

constexpr double kRunShare = kBytePenalty / kSoundMaxCodeCount;  // a run's or group's next code
constexpr float kPadWeight = 1e-6F;  // behind the sound's end only the bytes matter
constexpr double kNoCost = std::numeric_limits<double>::infinity();
constexpr int kDeltaMin = -8;
constexpr int kDeltaMax = 7;
constexpr unsigned kNibbleMask = 0x0F;
constexpr unsigned kNibbleBits = 4;

// What produced a sample: the state of the decoder behind it.
enum class Step : std::uint8_t {
  kSet,   // the block's first byte or a set code
  kRun,   // a run code
  kPair,  // the second half of a delta byte
  kHalf,  // the first half of a delta byte
};
constexpr std::size_t kStepCount = 4;

constexpr std::size_t Index(Step step) { return static_cast<std::size_t>(step); }

// A state behind a sample: how it was made and the running value.
struct State {
  Step step = Step::kSet;
  std::uint8_t value = 0;
};

using CostRow = std::array<double, kValueCount>;
using CostTable = std::array<CostRow, kStepCount>;

// The dynamic programme over one block: for each sample and state, the least cost of reaching it
// and the state before it.
class BlockCoder {
 public:
  explicit BlockCoder(std::size_t blockSize) : size_(blockSize), back_(blockSize * kStepCount) {}

  std::vector<std::uint8_t> encode(std::span<const float> targets);

 private:
  void advance(std::size_t i, const CostRow& error);
  std::vector<State> path() const;

  std::size_t size_;
  CostTable cost_{};
  std::vector<std::array<State, kValueCount>> back_;  // [sample x kStepCount + step][value]
};

// The weighted squared error of each running value at sample i.
void Errors(std::span<const float> targets, std::size_t i, CostRow& out) {
  const bool inSound = i < targets.size();
  const double target = inSound ? targets[i] : (targets.empty() ? kSilenceValue : targets.back());
  const double weight = inSound ? 1.0 : kPadWeight;
  for (int v = 0; v < kValueCount; ++v) out[v] = weight * (v - target) * (v - target);
}

// One half of a delta byte: each value v is reached from a value within the nibble's range.
void DeltaStep(const CostRow& from, const std::array<State, kValueCount>& origin,
               const CostRow& error, CostRow& to, std::array<State, kValueCount>& back) {
  for (int v = 0; v < kValueCount; ++v) {
    double best = kNoCost;
    int bestFrom = 0;
    for (int a = std::max(0, v - kDeltaMax); a <= std::min(kValueCount - 1, v - kDeltaMin); ++a) {
      if (from[a] < best) {
        best = from[a];
        bestFrom = a;
      }
    }
    to[v] = best + error[v];
    back[v] = origin[bestFrom];
  }
}

// Moves the costs from sample i - 1 to sample i.
void BlockCoder::advance(std::size_t i, const CostRow& error) {
  const CostTable& cur = cost_;
  CostTable next{};
  auto back = [&](Step step) -> std::array<State, kValueCount>& {
    return back_[i * kStepCount + Index(step)];
  };
  // The cheapest complete state (not half a delta byte) of each value, and of all.
  CostRow whole{};
  std::array<State, kValueCount> wholeFrom{};
  State cheapest;
  for (int a = 0; a < kValueCount; ++a) {
    whole[a] = kNoCost;
    for (Step s : {Step::kSet, Step::kRun, Step::kPair}) {
      if (cur[Index(s)][a] < whole[a]) {
        whole[a] = cur[Index(s)][a];
        wholeFrom[a] = {s, static_cast<std::uint8_t>(a)};
      }
    }
    if (whole[a] < whole[cheapest.value]) cheapest = wholeFrom[a];
  }
  // Set: any value, one byte, from the cheapest state.
  for (int v = 0; v < kValueCount; ++v) {
    next[Index(Step::kSet)][v] = whole[cheapest.value] + kBytePenalty + error[v];
    back(Step::kSet)[v] = cheapest;
  }
  // Run: a new run code, or one more sample of the run before.
  CostRow open{};
  std::array<State, kValueCount> openFrom{};
  std::array<State, kValueCount> halfFrom{};
  for (int a = 0; a < kValueCount; ++a) {
    const double extend = cur[Index(Step::kRun)][a] + kRunShare;
    const double start = whole[a] + kBytePenalty;
    const bool extending = extend <= start;
    next[Index(Step::kRun)][a] = (extending ? extend : start) + error[a];
    back(Step::kRun)[a] =
        extending ? State{Step::kRun, static_cast<std::uint8_t>(a)} : wholeFrom[a];
    // A delta byte: in the group before, or in a new group (a code byte more).
    const double more = cur[Index(Step::kPair)][a] + kBytePenalty + kRunShare;
    const double fresh =
        std::min(cur[Index(Step::kSet)][a], cur[Index(Step::kRun)][a]) + 2 * kBytePenalty;
    const Step freshFrom =
        cur[Index(Step::kSet)][a] <= cur[Index(Step::kRun)][a] ? Step::kSet : Step::kRun;
    open[a] = std::min(more, fresh);
    openFrom[a] = {more <= fresh ? Step::kPair : freshFrom, static_cast<std::uint8_t>(a)};
    halfFrom[a] = {Step::kHalf, static_cast<std::uint8_t>(a)};
  }
  DeltaStep(open, openFrom, error, next[Index(Step::kHalf)], back(Step::kHalf));
  DeltaStep(cur[Index(Step::kHalf)], halfFrom, error, next[Index(Step::kPair)], back(Step::kPair));
  cost_ = next;
}

// The states of the cheapest way through the block, first sample first; it ends on a whole byte.
std::vector<State> BlockCoder::path() const {
  State state;
  double best = kNoCost;
  for (Step s : {Step::kSet, Step::kRun, Step::kPair}) {
    for (int a = 0; a < kValueCount; ++a) {
      if (cost_[Index(s)][a] < best) {
        best = cost_[Index(s)][a];
        state = {s, static_cast<std::uint8_t>(a)};
      }
    }
  }
  std::vector<State> states(size_);
  for (std::size_t i = size_; i-- > 0;) {
    states[i] = state;
    if (i > 0) state = back_[i * kStepCount + Index(state.step)][state.value];
  }
  return states;
}

// Appends codes for a stretch of one kind, at most 64 samples or delta bytes per code.
void AppendCounted(std::vector<std::uint8_t>& code, std::uint8_t base, std::size_t count) {
  for (; count > 0; count -= std::min(count, kSoundMaxCodeCount)) {
    code.push_back(static_cast<std::uint8_t>(base + std::min(count, kSoundMaxCodeCount) - 1));
  }
}

// Turns a path into code bytes: the decoded values are the path's, whatever the code split.
std::vector<std::uint8_t> EmitCode(const std::vector<State>& states) {
  std::vector<std::uint8_t> code{states[0].value};
  std::size_t i = 1;
  while (i < states.size()) {
    const Step step = states[i].step;
    std::size_t end = i + 1;
    if (step == Step::kSet) {
      code.push_back(states[i].value);
    } else if (step == Step::kRun) {
      while (end < states.size() && states[end].step == Step::kRun) ++end;
      AppendCounted(code, kSoundRunCode, end - i);
    } else {
      // Delta bytes, a half and a pair each; a half behind a pair continues the group, as a new
      // group only ever follows a set or a run.
      end = i;
      while (end + 1 < states.size() && states[end].step == Step::kHalf) end += 2;
      for (std::size_t group = i; group < end; group += 2 * kSoundMaxCodeCount) {
        const std::size_t groupEnd = std::min(end, group + 2 * kSoundMaxCodeCount);
        code.push_back(static_cast<std::uint8_t>(kSoundDeltaCode + (groupEnd - group) / 2 - 1));
        for (std::size_t s = group; s < groupEnd; s += 2) {
          const unsigned hi = static_cast<unsigned>(states[s].value - states[s - 1].value);
          const unsigned lo = static_cast<unsigned>(states[s + 1].value - states[s].value);
          code.push_back(
              static_cast<std::uint8_t>(((hi & kNibbleMask) << kNibbleBits) | (lo & kNibbleMask)));
        }
      }
    }
    i = end;
  }
  return code;
}

std::vector<std::uint8_t> BlockCoder::encode(std::span<const float> targets) {
  CostRow error{};
  Errors(targets, 0, error);
  for (CostRow& row : cost_) row.fill(kNoCost);
  cost_[Index(Step::kSet)] = error;  // the first byte: any value
  for (std::size_t i = 1; i < size_; ++i) {
    Errors(targets, i, error);
    advance(i, error);
  }
  return EmitCode(path());
}

}  // namespace

std::uint32_t DefaultRecordRate(std::uint32_t sourceRate) {
  for (const SoundCodec& codec : kSoundCodecs) {
    if (codec.sampleRate >= sourceRate) return codec.sampleRate;
  }
  return kSoundCodecs.back().sampleRate;
}

Expected<std::vector<float>, std::string> SoundTargets(const PcmSound& source,
                                                       std::uint32_t recordRate) {
  if (FindSoundCodecByRate(recordRate) == nullptr) {
    return Unexpected{"no record has the rate " + std::to_string(recordRate) +
                      " Hz (11025, 22050 or 44100)"};
  }
  if (source.sampleRate == 0 || source.channels == 0 || source.channels > kWavMaxChannels)
    return Unexpected{std::string("the source has no valid sample format")};
  const std::uint64_t frames = source.frames();
  const std::uint64_t count = (frames * recordRate + source.sampleRate / 2) / source.sampleRate;
  if (count > kMaxRecordSamples) {
    return Unexpected{"the sound would be " + std::to_string(count) + " samples at " +
                      std::to_string(recordRate) + " Hz, more than the " +
                      std::to_string(kMaxRecordSamples) + " a record may hold"};
  }
  auto resampled =
      Resample(MixToMono(source), source.sampleRate, recordRate, static_cast<std::size_t>(count));
  if (!resampled) return Unexpected{resampled.error()};
  std::vector<float> targets = std::move(resampled).value();
  for (float& t : targets) {
    t = static_cast<float>(
        std::clamp(kSilenceValue + kValueScale * t, 0.0, static_cast<double>(kValueCount - 1)));
  }
  return targets;
}

std::vector<std::uint8_t> EncodeSoundBlock(std::span<const float> targets, std::size_t blockSize) {
  return BlockCoder(blockSize).encode(targets.first(std::min(targets.size(), blockSize)));
}

std::vector<std::uint8_t> BuildSoundRecord(std::span<const float> targets,
                                           const SoundCodec& codec) {
  const std::size_t blockSize = codec.blockSize;
  const std::size_t blocks = std::max<std::size_t>(1, (targets.size() + blockSize - 1) / blockSize);
  std::vector<std::uint8_t> code;
  std::vector<std::uint32_t> offsets;
  std::unordered_map<std::string, std::uint32_t> stored;  // each distinct block's offset
  const std::size_t codeStart = kSoundBlockTableOffset + blocks * kSoundBlockOffsetSize;
  BlockCoder coder(blockSize);
  for (std::size_t b = 0; b < blocks; ++b) {
    const std::size_t first = std::min(targets.size(), b * blockSize);
    auto block = coder.encode(targets.subspan(first, std::min(blockSize, targets.size() - first)));
    const auto offset = static_cast<std::uint32_t>(codeStart + code.size());
    const auto [place, added] = stored.try_emplace(std::string(block.begin(), block.end()), offset);
    if (added) code.insert(code.end(), block.begin(), block.end());
    offsets.push_back(place->second);
  }
  ByteWriter w;
  w.zeros(kSoundFrameBytesOffset);
  w.i16(kMonoFrameBytes);
  w.u32(codec.sampleRate);
  w.zeros(kSoundLengthOffset - kSoundRateOffset - sizeof(std::uint32_t));
  w.i32(static_cast<std::int32_t>(targets.size()));
  w.u32(static_cast<std::uint32_t>(blocks));
  for (std::uint32_t offset : offsets) w.u32(offset);
  w.bytes(code);
  return w.take();
}

Expected<std::vector<std::uint8_t>, std::string> EncodeSound(const PcmSound& source,
                                                             std::uint32_t recordRate) {
  auto targets = SoundTargets(source, recordRate);
  if (!targets) return Unexpected{targets.error()};
  return BuildSoundRecord(*targets, *FindSoundCodecByRate(recordRate));
}

}  // namespace lw::authoring
