// The sound record encoder, checked through the runtime's decoder: records decode to the
// resampled source within the error that 7-bit samples allow, and resampling keeps duration and
// pitch without aliases.
#include "authoring/sound_encoder.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "support/common_signals.h"

namespace lw::authoring {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::Sine, test::SnrDb;

PcmSound MakeSound(std::uint32_t rate, int channels, std::size_t frames, const test::Signal& signal,
                   std::uint16_t bits = kWavBits16) {
  return {rate, static_cast<std::uint16_t>(channels), bits,
          test::SampleSignal(rate, channels, frames, signal, bits == kWavBits8)};
}

// The decoded record as running values (sample - 64), with its header checked.
std::vector<double> DecodeValues(const Bytes& record, std::size_t expectedLength) {
  auto info = ReadSoundRecord(record);
  auto decoded = DecodeSoundRecord(record);
  EXPECT_TRUE(info.ok() && decoded.ok());
  if (!info || !decoded) return {};
  EXPECT_EQ(info->bytesPerFrame, 1);
  EXPECT_EQ(static_cast<std::size_t>(info->decodedLength), expectedLength);
  std::vector<double> values;
  for (std::uint8_t s : *decoded) values.push_back(s - kSoundSampleBias);
  return values;
}

TEST(SoundEncoderTest, RecordRatesFollowTheSource) {
  std::string rates;
  for (std::uint32_t source : {1, 8000, 11025, 16000, 22050, 32000, 44100, 48000})
    rates += std::to_string(DefaultRecordRate(source)) + " ";
  EXPECT_EQ(rates, "11025 11025 11025 22050 22050 44100 44100 44100 ");
  const auto silence = [](double, int) { return 0.0; };
  EXPECT_FALSE(SoundTargets(MakeSound(22050, 1, 10, silence), 8000).ok());
  EXPECT_NE(SoundTargets(MakeSound(1, 1, 20000, silence), 44100).error().find("more than"),
            std::string::npos);
}

// Each record rate, from stereo at that rate and from the tones at 22050 Hz. Plain 7-bit
// rounding is the best the format holds, and costs a set code per sample; the code keeps within
// 1 dB of it, and where the samples are close enough together for deltas (at 44100 Hz) its blocks
// take little more than half a byte per sample.
TEST(SoundEncoderTest, RecordsDecodeWithinTheErrorOfSevenBitSamples) {
  // A quarter second of two tones and noise at 22050 Hz, 16-bit.
  std::mt19937 random(1);
  std::normal_distribution<double> noise(0, 0.02);
  const PcmSound tones = MakeSound(22050, 1, 22050 / 4, [&](double t, int) {
    return 0.4 * Sine(220, t) + 0.3 * Sine(1870, t) + noise(random);
  });
  for (const SoundCodec& codec : kSoundCodecs) {
    const std::size_t frames = 2 * codec.blockSize + codec.blockSize / 2 + 7;
    const PcmSound stereo = MakeSound(codec.sampleRate, 2, frames,
                                      [](double t, int c) { return 0.5 * Sine(300 + 200 * c, t); });
    double bytesPerSample = 0;
    for (const PcmSound* source : {&stereo, &tones}) {
      auto targets = SoundTargets(*source, codec.sampleRate);
      auto record = EncodeSound(*source, codec.sampleRate);
      ASSERT_TRUE(targets.ok() && record.ok());
      const std::vector<double> values = DecodeValues(*record, targets->size());
      std::vector<double> rounded;
      for (float t : *targets) rounded.push_back(std::round(t));
      const double ideal = SnrDb(*targets, rounded, kSilenceValue);
      EXPECT_GT(SnrDb(*targets, values, kSilenceValue), ideal - 1.0) << codec.sampleRate;
      const std::size_t blockBytes = record->size() - kSoundBlockTableOffset;  // and the table
      bytesPerSample = static_cast<double>(blockBytes) / static_cast<double>(targets->size());
    }
    EXPECT_LT(bytesPerSample, codec.sampleRate == 44100 ? 0.6 : 1.02) << codec.sampleRate;
  }
  // An empty sound is one silent block of which nothing is sound.
  EXPECT_TRUE(DecodeValues(EncodeSound({22050, 1, 16, {}}, 22050).value(), 0).empty());
}

TEST(SoundEncoderTest, RateConversionKeepsDurationAndPitchAndStopsAliases) {
  // A 1 kHz tone keeps its length and its pitch from 8000 Hz stereo 8-bit to every rate.
  const PcmSound tone = MakeSound(
      8000, 2, 8000, [](double t, int) { return 0.5 * Sine(1000, t); }, kWavBits8);
  for (const SoundCodec& codec : kSoundCodecs) {
    auto targets = SoundTargets(tone, codec.sampleRate);
    ASSERT_TRUE(targets.ok());
    ASSERT_EQ(targets->size(), codec.sampleRate);
    std::vector<double> ideal;
    for (std::size_t i = 0; i < targets->size(); ++i)
      ideal.push_back(kSilenceValue + 32 * Sine(1000, static_cast<double>(i) / codec.sampleRate));
    // The middle, away from the edges where the filter meets silence.
    const std::size_t skip = codec.sampleRate / 10;
    const std::vector<double> middle(ideal.begin() + skip, ideal.end() - skip);
    const std::vector<float> got(targets->begin() + skip, targets->end() - skip);
    EXPECT_GT(SnrDb(middle, got, kSilenceValue), 30.0) << codec.sampleRate;
  }
  // 48000 Hz to 44100 Hz keeps the duration to the sample.
  EXPECT_EQ(
      SoundTargets(MakeSound(48000, 1, 48013, [](double, int) { return 0.0; }), 44100)->size(),
      44112u);
  // A 9 kHz tone at 44100 Hz is above the Nyquist frequency of 11025 Hz: it must not fold down.
  const PcmSound high =
      MakeSound(44100, 1, 44100, [](double t, int) { return 0.9 * Sine(9000, t); });
  auto targets = SoundTargets(high, 11025);
  ASSERT_TRUE(targets.ok());
  double power = 0;
  for (std::size_t i = 1000; i < targets->size() - 1000; ++i)
    power += ((*targets)[i] - kSilenceValue) * ((*targets)[i] - kSilenceValue);
  EXPECT_LT(power / static_cast<double>(targets->size() - 2000), 0.01);
}

}  // namespace
}  // namespace lw::authoring
