// Sound files: every WAV form titlekit writes reads back through libsndfile, stereo mixed to mono
// (FLAC and Ogg/Vorbis input is read in track_build_test.cpp); what is no sound file, or only
// part of one, is refused or read no further than it goes.
#include "authoring/audio_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "support/common_signals.h"

namespace lw::authoring {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(AudioFileTest, WavFilesTitlekitWritesReadBackAsMono) {
  for (std::uint16_t bits : {kWavBits8, kWavBits16}) {
    for (std::uint16_t channels : {1, 2}) {
      // An odd count of 8-bit mono samples also needs the data chunk's pad byte.
      const PcmSound sound{11025u * channels, channels, bits,
                           test::SampleSignal(
                               11025 * channels, channels, 1001,
                               [](double t, int c) { return c == 0 ? test::Sine(440, t) : -1.0; },
                               bits == kWavBits8)};
      auto bytes = FormatWav(sound);
      ASSERT_TRUE(bytes.ok());
      EXPECT_EQ(bytes->size() % 2, 0u);
      auto back = ReadAudio(*bytes);
      ASSERT_TRUE(back.ok()) << back.error();
      EXPECT_EQ(std::vector<std::uint32_t>({back->sampleRate, back->channels, back->bitsPerSample}),
                std::vector<std::uint32_t>({sound.sampleRate, 1, bits}));
      std::vector<std::int16_t> mono;
      for (std::size_t f = 0; f < sound.frames(); ++f) {
        double sum = 0;
        for (std::size_t c = 0; c < channels; ++c) sum += sound.samples[f * channels + c];
        mono.push_back(static_cast<std::int16_t>(std::lround(sum / channels)));
      }
      EXPECT_EQ(back->samples, mono) << bits << " bits, " << channels << " channels";
    }
  }
  // Three channels, 12 bits or no rate do not fit a WAV file.
  for (const PcmSound& wrong : {PcmSound{22050, 3, 16, {}}, {22050, 1, 12, {}}, {0, 1, 16, {}}})
    EXPECT_FALSE(FormatWav(wrong).ok()) << wrong.channels << ' ' << wrong.bitsPerSample;
}

TEST(AudioFileTest, WhatIsNoSoundFileIsRefusedAndACutFileReadsNoFurther) {
  for (const Bytes& junk : {Bytes{}, Bytes{'R', 'I', 'F', 'F'}, Bytes(100, 0x55)}) {
    auto sound = ReadAudio(junk);
    ASSERT_FALSE(sound.ok()) << junk.size();
    EXPECT_EQ(sound.error().rfind("not a sound file: ", 0), 0u) << sound.error();
  }
  const PcmSound whole{22050, 1, kWavBits16, test::SampleSignal(22050, 1, 64, [](double t, int) {
                         return test::Sine(1000, t);
                       })};
  const Bytes good = FormatWav(whole).value();
  // Any cut is refused or gives the samples it still holds, never more.
  for (std::size_t size = 0; size < good.size(); ++size) {
    auto sound = ReadAudio(std::span(good).first(size));
    if (!sound) continue;
    ASSERT_LE(sound->samples.size(), whole.samples.size()) << size;
    EXPECT_TRUE(std::equal(sound->samples.begin(), sound->samples.end(), whole.samples.begin()))
        << size;
  }
}

}  // namespace
}  // namespace lw::authoring
