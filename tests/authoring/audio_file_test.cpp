// Sound files: every WAV form titlekit writes reads back through libsndfile, stereo mixed to mono;
// FLAC and Ogg/Vorbis files (written here by libsndfile) read back to the signal that went in; and
// what is no sound file, or only part of one, is refused or read no further than it goes.
#include "authoring/audio_file.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/common_signals.h"
#include "support/temp_folder.h"

namespace lw::authoring {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes FileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Writes `samples` (mono, 16-bit scale) as a file of libsndfile's `format` and gives its bytes.
Bytes WrittenBy(const test::TempFolder& folder, int format, int rate,
                const std::vector<std::int16_t>& samples) {
  SF_INFO info{};
  info.samplerate = rate;
  info.channels = 1;
  info.format = format;
  const std::filesystem::path path = folder.path() / "sound";
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  EXPECT_NE(file, nullptr) << sf_strerror(nullptr);
  if (file == nullptr) return {};
  sf_writef_short(file, samples.data(), static_cast<sf_count_t>(samples.size()));
  sf_close(file);
  return FileBytes(path);
}

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

TEST(AudioFileTest, FlacAndVorbisFilesReadBackToTheirSignal) {
  const test::TempFolder folder;
  const std::vector<std::int16_t> tone =
      test::SampleSignal(44100, 1, 8820, [](double t, int) { return 0.5 * test::Sine(880, t); });
  auto flac = ReadAudio(WrittenBy(folder, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 44100, tone));
  ASSERT_TRUE(flac.ok()) << flac.error();
  EXPECT_EQ(flac->sampleRate, 44100u);
  EXPECT_EQ(flac->samples, tone);  // lossless
  auto vorbis = ReadAudio(WrittenBy(folder, SF_FORMAT_OGG | SF_FORMAT_VORBIS, 44100, tone));
  ASSERT_TRUE(vorbis.ok()) << vorbis.error();
  EXPECT_EQ(vorbis->sampleRate, 44100u);
  ASSERT_EQ(vorbis->samples.size(), tone.size());
  EXPECT_GT(test::SnrDb(tone, vorbis->samples, 0), 20.0);  // lossy, but the same tone
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
