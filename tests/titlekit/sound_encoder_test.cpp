// WAV files, the sound record encoder checked against the runtime's decoder, and titlekit sound.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "authoring/sound_encoder.h"
#include "authoring/wav_file.h"
#include "common/byte_io.h"
#include "media/sound_record.h"

extern char** environ;

namespace lw::titlekit {
namespace {

using namespace lw::authoring;

using Bytes = std::vector<std::uint8_t>;

// A mono or stereo sound at 16-bit scale from a function of time in seconds, per channel.
template <typename Signal>
PcmSound MakeSound(std::uint32_t rate, std::uint16_t channels, std::size_t frames, Signal signal,
                   std::uint16_t bits = kWavBits16) {
  PcmSound sound{rate, channels, bits, {}};
  for (std::size_t f = 0; f < frames; ++f) {
    for (std::uint16_t c = 0; c < channels; ++c) {
      const double v = std::clamp(signal(static_cast<double>(f) / rate, c), -1.0, 32767 / 32768.0);
      const auto s = static_cast<std::int16_t>(std::lround(v * 32768));
      sound.samples.push_back(
          bits == kWavBits8 ? Sample8To16(static_cast<std::uint8_t>((s >> 8) + 128)) : s);
    }
  }
  return sound;
}

double Sine(double hz, double t) { return std::sin(2 * std::numbers::pi * hz * t); }

// Signal-to-noise ratio in dB of `test` against `reference`, both around the value `centre`.
template <typename A, typename B>
double SnrDb(const A& reference, const B& test, double centre) {
  double signal = 0;
  double noise = 0;
  for (std::size_t i = 0; i < reference.size(); ++i) {
    signal += (reference[i] - centre) * (reference[i] - centre);
    noise += (reference[i] - test[i]) * (reference[i] - test[i]);
  }
  return 10 * std::log10(signal / std::max(noise, 1e-12));
}

// The decoded record as running values (sample - 64), with its header checked.
std::vector<double> DecodeValues(const Bytes& record, std::size_t expectedLength) {
  auto info = ReadSoundRecord(record);
  EXPECT_TRUE(info.ok());
  auto decoded = DecodeSoundRecord(record);
  EXPECT_TRUE(decoded.ok());
  if (!info || !decoded) return {};
  EXPECT_EQ(info->bytesPerFrame, 1);
  EXPECT_EQ(static_cast<std::size_t>(info->decodedLength), expectedLength);
  const std::size_t blockSize = info->codec.blockSize;
  EXPECT_EQ(info->blockCount,
            std::max<std::size_t>(1, (expectedLength + blockSize - 1) / blockSize));
  std::vector<double> values;
  for (std::uint8_t s : *decoded) values.push_back(s - kSoundSampleBias);
  return values;
}

std::vector<double> Rounded(const std::vector<float>& targets) {
  std::vector<double> out;
  for (float t : targets) out.push_back(std::round(t));
  return out;
}

// ---- WAV files ----

TEST(WavFileTest, EachFormatRoundTrips) {
  for (std::uint16_t bits : {kWavBits8, kWavBits16}) {
    for (std::uint16_t channels : {1, 2}) {
      // An odd count of 8-bit mono samples also needs the data chunk's pad byte.
      PcmSound sound = MakeSound(
          11025 * channels, channels, 1001,
          [](double t, int c) { return c == 0 ? Sine(440, t) : -1.0; }, bits);
      auto bytes = FormatWav(sound);
      ASSERT_TRUE(bytes.ok());
      EXPECT_EQ(bytes->size() % 2, 0u);
      auto back = ParseWav(*bytes);
      ASSERT_TRUE(back.ok()) << back.error();
      EXPECT_EQ(back->sampleRate, sound.sampleRate);
      EXPECT_EQ(back->channels, channels);
      EXPECT_EQ(back->bitsPerSample, bits);
      EXPECT_EQ(back->samples, sound.samples) << bits << " bits, " << channels << " channels";
    }
  }
}

// A WAV file from its parts: the fmt body, the data body, and chunks to put before them.
Bytes BuildWav(const Bytes& fmt, const Bytes& data, const Bytes& before = {}) {
  ByteWriter w;
  auto chunk = [&](std::string_view id, const Bytes& body) {
    for (char c : id) w.u8(static_cast<std::uint8_t>(c));
    w.u32(static_cast<std::uint32_t>(body.size()));
    w.bytes(body);
    if (body.size() % 2 != 0) w.u8(0);
  };
  w.bytes(Bytes{'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'});
  if (!before.empty()) chunk("LIST", before);
  chunk("fmt ", fmt);
  chunk("data", data);
  Bytes bytes = w.take();
  const auto riff = static_cast<std::uint32_t>(bytes.size() - 8);
  for (int i = 0; i < 4; ++i) bytes[4 + i] = static_cast<std::uint8_t>(riff >> (8 * i));
  return bytes;
}

// A fmt body: tag, channels, rate, block align, bits, and the extensible part when `guid` is set.
Bytes Fmt(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate, std::uint16_t align,
          std::uint16_t bits, std::uint16_t guid = 0) {
  ByteWriter w;
  w.u16(tag);
  w.u16(channels);
  w.u32(rate);
  w.u32(rate * align);
  w.u16(align);
  w.u16(bits);
  if (guid != 0) {
    w.u16(22);
    w.u16(bits);
    w.u32(3);
    w.u16(guid);
    w.bytes(Bytes{0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71});
  }
  return w.take();
}

TEST(WavFileTest, ExtensiblePcmAndOtherChunksAreRead) {
  const Bytes data = {0x00, 0x80, 0xFF, 0x7F, 0x01, 0x00, 0x00, 0x80};
  auto sound = ParseWav(BuildWav(Fmt(0xFFFE, 2, 48000, 4, 16, 1), data, {'o', 'd', 'd'}));
  ASSERT_TRUE(sound.ok()) << sound.error();
  EXPECT_EQ(sound->sampleRate, 48000u);
  EXPECT_EQ(sound->samples, (std::vector<std::int16_t>{-32768, 32767, 1, -32768}));
  // A partial frame behind the last whole one is left out.
  sound = ParseWav(BuildWav(Fmt(1, 1, 8000, 1, 8), {0x80, 0xFF, 0x00}));
  ASSERT_TRUE(sound.ok());
  EXPECT_EQ(sound->samples, (std::vector<std::int16_t>{0, 127 * 256, -128 * 256}));
  sound = ParseWav(BuildWav(Fmt(1, 2, 8000, 2, 8), {0x80, 0xFF, 0x00}));
  ASSERT_TRUE(sound.ok());
  EXPECT_EQ(sound->samples.size(), 2u);
}

TEST(WavFileTest, MalformedFilesAreRefusedWithTheirReason) {
  const Bytes pcm = Fmt(1, 1, 22050, 2, 16);
  const Bytes good = BuildWav(pcm, Bytes(64, 1));
  ASSERT_TRUE(ParseWav(good).ok());
  auto patched = [&](std::size_t at, std::uint32_t value) {
    Bytes bytes = good;
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
    return bytes;
  };
  // The first `size` bytes, with the RIFF size saying so.
  auto riffCut = [&](std::size_t size) {
    Bytes bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(size));
    bytes[4] = static_cast<std::uint8_t>(size - 8);
    return bytes;
  };
  const std::size_t dataSizeAt = good.size() - 64 - 4;
  const std::vector<std::pair<Bytes, std::string>> cases = {
      {Bytes(good.begin(), good.begin() + 11), "not a RIFF WAVE file"},
      {patched(8, 0x45564157 ^ 0x20), "not a RIFF WAVE file"},
      {patched(4, 0xFFFFFFF0), "RIFF size 4294967280 does not fit"},
      {patched(dataSizeAt, 0xFFFFFFFF), "chunk 'data' runs past the end of the file"},
      {patched(16, 1000), "chunk 'fmt ' runs past the end"},
      {BuildWav(Fmt(1, 0, 22050, 0, 16), {}), "0 channels"},
      {BuildWav(Fmt(1, 3, 22050, 6, 16), {}), "3 channels (only mono or stereo)"},
      {BuildWav(Fmt(1, 1, 22050, 3, 24), {}), "24 bits per sample"},
      {BuildWav(Fmt(1, 1, 0, 2, 16), {}), "sample rate 0"},
      {BuildWav(Fmt(1, 2, 22050, 2, 16), {}), "block align 2 does not fit"},
      {BuildWav(Fmt(3, 1, 22050, 4, 32), {}), "format tag 3 is not PCM"},
      {BuildWav(Fmt(0xFFFE, 1, 22050, 2, 16, 3), {}), "subformat is not PCM"},
      {BuildWav(Fmt(0xFFFE, 1, 22050, 2, 16), {}), "extensible 'fmt ' chunk too short"},
      {BuildWav(Bytes(14, 0), {}), "'fmt ' chunk too short"},
      {riffCut(36), "no 'data' chunk"},
      {riffCut(40), "truncated chunk header"},
  };
  for (const auto& [bytes, reason] : cases) {
    auto sound = ParseWav(bytes);
    ASSERT_FALSE(sound.ok()) << reason;
    EXPECT_NE(sound.error().find(reason), std::string::npos) << sound.error();
  }
  // Every cut of a file is refused, not read past its end.
  for (std::size_t size = 0; size < good.size(); ++size)
    EXPECT_FALSE(ParseWav(std::span(good).first(size)).ok()) << size;
}

// ---- The encoder ----

TEST(SoundEncoderTest, RecordRatesFollowTheSource) {
  const std::vector<std::pair<std::uint32_t, std::uint32_t>> rates = {
      {8000, 11025},  {11025, 11025}, {16000, 22050}, {22050, 22050},
      {32000, 44100}, {44100, 44100}, {48000, 44100}, {1, 11025}};
  for (const auto& [source, record] : rates) EXPECT_EQ(DefaultRecordRate(source), record);
  const PcmSound one = MakeSound(22050, 1, 10, [](double, int) { return 0.0; });
  EXPECT_FALSE(SoundTargets(one, 8000).ok());
  const PcmSound slow = MakeSound(1, 1, 20000, [](double, int) { return 0.0; });
  EXPECT_NE(SoundTargets(slow, 44100).error().find("more than"), std::string::npos);
}

TEST(SoundEncoderTest, BlocksFillExactlyTheirSizeAndUseAllTheirCode) {
  std::mt19937 random(7);
  std::uniform_real_distribution<float> anywhere(0, kValueCount - 1);
  for (const SoundCodec& codec : kSoundCodecs) {
    // Noise, steps, a slow ramp and a flat end: set codes, deltas and runs.
    std::vector<float> targets;
    for (std::size_t i = 0; i < codec.blockSize; ++i) {
      const std::size_t part = 4 * i / codec.blockSize;
      targets.push_back(part == 0   ? anywhere(random)
                        : part == 1 ? static_cast<float>(i / 100 % 2 * 90)
                        : part == 2 ? static_cast<float>(i % 128) / 3
                                    : 64.0F);
    }
    for (std::size_t length :
         {std::size_t{0}, std::size_t{1}, targets.size() - 3, targets.size()}) {
      const std::span<const float> part = std::span(targets).first(length);
      const Bytes code = EncodeSoundBlock(part, codec.blockSize);
      Bytes out(codec.blockSize);
      ASSERT_FALSE(DecodeSoundBlock(code, out).failed()) << codec.sampleRate << ' ' << length;
      // Without its last byte the code no longer fills the block.
      EXPECT_TRUE(DecodeSoundBlock(std::span(code).first(code.size() - 1), out).failed());
      double worst = 0;
      for (std::size_t i = 0; i < length; ++i)
        worst = std::max(worst, std::abs(out[i] - kSoundSampleBias - double{part[i]}));
      EXPECT_LT(worst, 4.0) << codec.sampleRate << ' ' << length;
    }
  }
}

TEST(SoundEncoderTest, RecordsDecodeWithTheRuntimeDecoder) {
  for (const SoundCodec& codec : kSoundCodecs) {
    const std::size_t frames = 2 * codec.blockSize + codec.blockSize / 2 + 7;
    const PcmSound source = MakeSound(codec.sampleRate, 2, frames,
                                      [](double t, int c) { return 0.5 * Sine(300 + 200 * c, t); });
    auto record = EncodeSound(source, codec.sampleRate);
    ASSERT_TRUE(record.ok()) << record.error();
    const std::vector<double> values = DecodeValues(*record, frames);
    ASSERT_EQ(values.size(), frames);
    auto targets = SoundTargets(source, codec.sampleRate);
    ASSERT_TRUE(targets.ok());
    EXPECT_GT(SnrDb(*targets, values, kSilenceValue), 30.0) << codec.sampleRate;
  }
  // An empty sound is one silent block of which nothing is sound.
  const PcmSound empty{22050, 1, 16, {}};
  auto record = EncodeSound(empty, 22050);
  ASSERT_TRUE(record.ok());
  EXPECT_TRUE(DecodeValues(*record, 0).empty());
}

// A second of two tones and noise at 22050 Hz, 16-bit.
PcmSound TonesAndNoise() {
  std::mt19937 random(1);
  std::normal_distribution<double> noise(0, 0.02);
  return MakeSound(22050, 1, 22050, [&](double t, int) {
    return 0.4 * Sine(220, t) + 0.3 * Sine(1870, t) + noise(random);
  });
}

TEST(SoundEncoderTest, SignalToNoiseFloorAndSize) {
  const PcmSound source = TonesAndNoise();
  for (const SoundCodec& codec : kSoundCodecs) {
    auto targets = SoundTargets(source, codec.sampleRate);
    ASSERT_TRUE(targets.ok());
    const Bytes record = BuildSoundRecord(*targets, codec);
    const std::vector<double> values = DecodeValues(record, targets->size());
    ASSERT_EQ(values.size(), targets->size());
    // Plain 7-bit rounding is the best the format holds, and costs a set code per sample; the
    // code keeps within 1 dB of it, and where the samples are close enough together for deltas
    // (at 44100 Hz) it takes little more than half a byte per sample.
    const double ideal = SnrDb(*targets, Rounded(*targets), kSilenceValue);
    const double coded = SnrDb(*targets, values, kSilenceValue);
    EXPECT_GT(ideal, 35.0);
    EXPECT_GT(coded, ideal - 1.0) << codec.sampleRate;
    const double bytesPerSample =
        static_cast<double>(record.size()) / static_cast<double>(targets->size());
    EXPECT_LT(bytesPerSample, codec.sampleRate == 44100 ? 0.6 : 1.02) << codec.sampleRate;
  }
}

TEST(SoundEncoderTest, SilenceBecomesRunsSharedByEveryBlock) {
  std::mt19937 random(3);
  std::uniform_int_distribution<int> hiss(-40, 40);  // well below one step of the running value
  PcmSound source =
      MakeSound(22050, 1, 2 * 22050, [&](double, int) { return hiss(random) / 32768.0; });
  auto record = EncodeSound(source, 22050);
  ASSERT_TRUE(record.ok());
  const std::vector<double> values = DecodeValues(*record, source.samples.size());
  EXPECT_TRUE(
      std::all_of(values.begin(), values.end(), [](double v) { return v == kSilenceValue; }));
  const std::size_t blocks = (source.samples.size() + 1023) / 1024;
  // The header and table, then one block: its first byte and 16 runs of 64.
  EXPECT_LE(record->size(), kSoundBlockTableOffset + 4 * blocks + 2 * 17);
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
  const PcmSound long48 = MakeSound(48000, 1, 48013, [](double, int) { return 0.0; });
  EXPECT_EQ(SoundTargets(long48, 44100)->size(), 44112u);
  // A 9 kHz tone at 44100 Hz is above the Nyquist frequency of 11025 Hz: it must not fold down.
  const PcmSound high =
      MakeSound(44100, 1, 44100, [](double t, int) { return 0.9 * Sine(9000, t); });
  auto targets = SoundTargets(high, 11025);
  ASSERT_TRUE(targets.ok());
  double power = 0;
  for (std::size_t i = 1000; i < targets->size() - 1000; ++i)
    power += (targets->at(i) - kSilenceValue) * (targets->at(i) - kSilenceValue);
  EXPECT_LT(power / static_cast<double>(targets->size() - 2000), 0.01);
}

// The round trip of a real recording: SOUND_SNR_WAV names a WAV file (bench/sound_snr.sh makes
// speech with espeak-ng). Prints the signal-to-noise ratios and sizes for each record rate.
TEST(SoundEncoderTest, DISABLED_RecordingRoundTrip) {
  const char* path = std::getenv("SOUND_SNR_WAV");
  ASSERT_NE(path, nullptr) << "set SOUND_SNR_WAV to a WAV file";
  std::ifstream in(path, std::ios::binary);
  const Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  auto source = ParseWav(bytes);
  ASSERT_TRUE(source.ok()) << source.error();
  const double sourceBytes = 2.0 * static_cast<double>(source->samples.size());
  std::printf("%s: %u Hz, %zu frames, %.2f s\n", path, source->sampleRate, source->frames(),
              static_cast<double>(source->frames()) / source->sampleRate);
  std::printf("%6s %9s %13s %12s %12s %8s %7s\n", "rate", "bytes", "bytes/16-bit", "SNR 7-bit",
              "SNR source", "ceiling", "enc s");
  for (const SoundCodec& codec : kSoundCodecs) {
    const auto start = std::chrono::steady_clock::now();
    auto record = EncodeSound(*source, codec.sampleRate);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    ASSERT_TRUE(record.ok());
    auto targets = SoundTargets(*source, codec.sampleRate);
    const std::vector<double> values = DecodeValues(*record, targets->size());
    const std::vector<double> rounded = Rounded(*targets);
    std::printf("%6u %9zu %13.3f %9.1f dB %9.1f dB %5.1f dB %7.2f\n", codec.sampleRate,
                record->size(), static_cast<double>(record->size()) / sourceBytes,
                SnrDb(rounded, values, kSilenceValue), SnrDb(*targets, values, kSilenceValue),
                SnrDb(*targets, rounded, kSilenceValue), took.count());
  }
}

// ---- titlekit sound ----

class SoundCommandTest : public ::testing::Test {
 protected:
  void SetUp() override { std::filesystem::create_directories(dir_); }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string file(const std::string& name) const { return (dir_ / name).string(); }

  // Runs `titlekit sound ARGS`; the exit status (-1 when it did not exit), and standard error.
  std::pair<int, std::string> run(std::vector<std::string> args) const {
    args.insert(args.begin(), {TITLEKIT_PATH, "sound"});
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, file("err").c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    pid_t pid = 0;
    int status = 0;
    const bool ran =
        posix_spawn(&pid, TITLEKIT_PATH, &actions, nullptr, argv.data(), environ) == 0 &&
        waitpid(pid, &status, 0) == pid && WIFEXITED(status);
    posix_spawn_file_actions_destroy(&actions);
    std::ifstream err(file("err"));
    return {ran ? WEXITSTATUS(status) : -1,
            std::string((std::istreambuf_iterator<char>(err)), std::istreambuf_iterator<char>())};
  }

  Bytes read(const std::string& name) const {
    std::ifstream in(file(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  void write(const std::string& name, const Bytes& bytes) const {
    std::ofstream(file(name), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
  }

 private:
  const std::filesystem::path dir_ =
      std::filesystem::temp_directory_path() / ("sound_command_test_" + std::to_string(getpid()));
};

TEST_F(SoundCommandTest, EncodesAndDecodesFiles) {
  write("in.wav", FormatWav(TonesAndNoise()).value());
  ASSERT_EQ(run({"encode", file("in.wav"), "-o", file("default.snd")}).first, 0);
  ASSERT_EQ(run({"encode", file("in.wav"), "--rate", "11025", "-o", file("low.snd")}).first, 0);
  EXPECT_EQ(ReadSoundRecord(read("default.snd"))->codec.sampleRate, 22050u);
  ASSERT_EQ(run({"decode", file("low.snd"), "-o", file("out.wav")}).first, 0);
  auto wav = ParseWav(read("out.wav"));
  ASSERT_TRUE(wav.ok());
  EXPECT_EQ(wav->sampleRate, 11025u);
  EXPECT_EQ(wav->channels, 1);
  EXPECT_EQ(wav->bitsPerSample, kWavBits8);
  const Bytes decoded = DecodeSoundRecord(read("low.snd")).value();
  ASSERT_EQ(wav->samples.size(), decoded.size());
  for (std::size_t i = 0; i < decoded.size(); ++i)
    ASSERT_EQ(wav->samples[i], Sample8To16(decoded[i]));
}

TEST_F(SoundCommandTest, RefusesBadArgumentsAndBadFiles) {
  write("in.wav", FormatWav(TonesAndNoise()).value());
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {},
           {"play", file("in.wav")},
           {"encode", file("in.wav")},
           {"encode", file("in.wav"), "--rate", "8000", "-o", file("x")},
           {"decode", file("in.wav"), "--rate", "11025", "-o", file("x")},
           {"encode", file("in.wav"), file("in.wav"), "-o", file("x")}}) {
    EXPECT_EQ(run(args).first, 2) << (args.empty() ? "" : args[0]);
  }
  write("bad.wav", {'R', 'I', 'F', 'F'});
  EXPECT_EQ(run({"encode", file("bad.wav"), "-o", file("x")}),
            std::make_pair(1, file("bad.wav") + ": not a RIFF WAVE file\n"));
  // A WAV is no sound record.
  EXPECT_EQ(run({"decode", file("in.wav"), "-o", file("x")}),
            std::make_pair(
                1, file("in.wav") + ": not a sound record (its header does not fit its size)\n"));
  EXPECT_EQ(run({"decode", file("missing"), "-o", file("x")}).first, 1);
}

}  // namespace
}  // namespace lw::titlekit
