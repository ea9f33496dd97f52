// Mixing four sound tracks against a plain loop: one output buffer (8192 frames of 22050 Hz
// mono, 16-bit) mixed from four channels playing 22050 Hz records at different volumes and pans
// (their blocks decoded and converted as they play, summed and stored saturated), against a C
// loop that sums four already decoded 16-bit buffers with a gain each and clamps the sum.
//
// Goal: the mixer within 2 x the plain loop. The mixed buffer is checked once against the same
// four sounds decoded and summed by the plain loop before either is timed. Rates are the median
// of 5 wall-clock runs on one thread, taking turns.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <span>
#include <string>
#include <vector>

#include "authoring/sound_encoder.h"
#include "media/sound_mixer.h"
#include "media/sound_record.h"
#include "turn_timing.h"

namespace {

using namespace lw::bench;

[[noreturn]] void Die(const std::string& what) {
  std::fprintf(stderr, "%s\n", what.c_str());
  std::exit(1);
}

constexpr std::size_t kTracks = 4;
constexpr std::size_t kFrames = 8192;             // one output buffer
constexpr std::size_t kSoundSamples = 22050 * 4;  // 4 s: the tracks never run out
constexpr std::array<double, kTracks> kTones = {220, 330, 440, 660};
constexpr std::array<std::uint16_t, kTracks> kVolumes = {255, 200, 128, 64};
constexpr std::array<std::uint16_t, kTracks> kPans = {128, 0, 200, 255};

// A 22050 Hz record of a tone, as the encoder makes it.
std::vector<std::uint8_t> ToneRecord(double hertz) {
  const lw::SoundCodec& codec = *lw::FindSoundCodecByRate(22050);
  std::vector<float> targets(kSoundSamples);
  for (std::size_t i = 0; i < targets.size(); ++i) {
    targets[i] = static_cast<float>(
        64 + 40 * std::sin(2 * std::numbers::pi * hertz * static_cast<double>(i) / 22050));
  }
  return lw::authoring::BuildSoundRecord(targets, codec);
}

// The record's samples as the runtime decodes them, made 16-bit ((s - 128) x 256).
std::vector<std::int16_t> Decoded(std::span<const std::uint8_t> record) {
  auto samples = lw::DecodeSoundRecord(record);
  if (!samples) Die("sound_mix_bench: a record does not decode");
  std::vector<std::int16_t> out;
  for (const std::uint8_t s : *samples) out.push_back(static_cast<std::int16_t>((s - 128) * 256));
  return out;
}

// The plain loop: four buffers, a gain each (g / 2^15), summed and clamped.
void PlainMix(const std::array<const std::int16_t*, kTracks>& tracks,
              const std::array<std::int32_t, kTracks>& gains, std::int16_t* out) {
  for (std::size_t i = 0; i < kFrames; ++i) {
    std::int32_t sum = 0;
    for (std::size_t t = 0; t < kTracks; ++t) sum += (tracks[t][i] * gains[t]) >> 15;
    out[i] = static_cast<std::int16_t>(std::clamp(sum, -32768, 32767));
  }
}

}  // namespace

int main() {
  std::array<std::vector<std::uint8_t>, kTracks> records;
  std::array<std::vector<std::int16_t>, kTracks> decoded;
  std::array<lw::SoundItem, kTracks> items;
  std::array<std::int32_t, kTracks> gains{};
  for (std::size_t t = 0; t < kTracks; ++t) {
    records[t] = ToneRecord(kTones[t]);
    decoded[t] = Decoded(records[t]);
    auto info = lw::ReadSoundRecord(records[t]);
    if (!info) Die("sound_mix_bench: a record does not read");
    items[t].record = &records[t];
    items[t].info = *info;
    items[t].volume = kVolumes[t];
    items[t].pan = kPans[t];
    items[t].loop = true;
    gains[t] = lw::GainsFor(kVolumes[t], kPans[t]).mono.gain;
  }

  const lw::SampleFormat output{1, 2};
  std::array<lw::SoundTrack, kTracks> tracks;
  std::vector<std::int32_t> mix(kFrames);
  std::vector<std::uint8_t> mixed(kFrames * 2);
  const auto mixBuffer = [&] {
    std::fill(mix.begin(), mix.end(), 0);
    lw::FatalSite site;
    for (lw::SoundTrack& track : tracks) {
      if (track.MixInto(mix, site) != kFrames) track.Restart();
    }
    lw::StoreMix(mix, 2, mixed);
  };

  // The first buffer of the mixer against the plain loop over the same decoded samples.
  for (std::size_t t = 0; t < kTracks; ++t) tracks[t].Start(items[t], output);
  mixBuffer();
  std::array<const std::int16_t*, kTracks> sources{};
  for (std::size_t t = 0; t < kTracks; ++t) sources[t] = decoded[t].data();
  std::vector<std::int16_t> plain(kFrames);
  PlainMix(sources, gains, plain.data());
  for (std::size_t i = 0; i < kFrames; ++i) {
    const auto value = static_cast<std::int16_t>(mixed[2 * i] | (mixed[2 * i + 1] << 8));
    if (std::abs(value - plain[i]) > 4) Die("sound_mix_bench: the mix differs from the plain sum");
  }

  const std::vector<Work> contestants{
      [&](std::int64_t count) {
        for (std::int64_t i = 0; i < count; ++i) {
          mixBuffer();
          Touch(mixed.data());
        }
      },
      [&](std::int64_t count) {
        for (std::int64_t i = 0; i < count; ++i) {
          PlainMix(sources, gains, plain.data());
          Touch(plain.data());
        }
      },
  };
  const std::vector<double> rates = RatesOf(contestants);
  const double mixerUs = 1e6 / rates[0];
  const double plainUs = 1e6 / rates[1];
  std::printf(
      "four 22050 Hz tracks with volume and pan mixed into one buffer of %zu frames; in "
      "turns, median of %d runs of %.2f s\n",
      kFrames, kRuns, kRunSeconds);
  std::printf("%-52s %10s\n", "work", "us");
  std::printf("%-52s %10.1f\n", "mixer (decode, convert, gain, sum, saturate)", mixerUs);
  std::printf("%-52s %10.1f\n", "plain loop over decoded buffers", plainUs);
  std::printf("mixer / plain loop: %.2f x (goal: within 2 x)\n", mixerUs / plainUs);
  std::printf("one buffer is %.0f us of sound: the mixer takes %.2f%% of one CPU for it\n",
              1e6 * kFrames / 22050, 100 * mixerUs / (1e6 * kFrames / 22050));
  return 0;
}
