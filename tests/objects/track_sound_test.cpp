// The sound a headless title makes with its track files, as the WAV capture records it: sounds
// of known samples played by the track built-ins, and the capture compared sample for sample
// with the mix worked out here from the mixer's documented rules (a side's gain g / 2^15 with g
// = volume x share x 2^15 / (255 x 128) rounded, mono the mean of the sides; an 8-bit sample s
// heard as (s - 128) x 256, or as s - 128 by a device of 8-bit samples alone; tracks summed and
// saturated; the output level n as x n / 9).
//
// The mixer keeps three buffers of 2048 frames queued, so a sound is heard some time after the
// line that starts it: the checks find its onset in the capture, within that latency (0.28 s).
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "objects/track_file.h"
#include "platform/wav_reading.h"
#include "stage_title.h"
#include "support/storage_sound_records.h"

namespace lw::testing {
namespace {

constexpr std::size_t kOutputRate = 22050;
constexpr std::size_t kLatencyFrames = 3 * 2048 + kOutputRate / 100;
constexpr std::uint64_t kStartTick = 30;
constexpr std::uint64_t kTicksPerSecond = 60;

using Samples = std::vector<std::uint8_t>;  // 8-bit sound samples, 128 the centre
using Heard = std::vector<int>;             // output samples, signed (8-bit ones less 128)

Samples Constant(std::uint8_t value, std::size_t count) { return Samples(count, value); }
// A sawtooth that never meets the centre, so that every sample of it is heard as non-zero.
Samples Saw(std::size_t count) {
  Samples saw(count);
  for (std::size_t i = 0; i < count; ++i) saw[i] = static_cast<std::uint8_t>(129 + i % 62);
  return saw;
}

// The sounds of the track "Tones" (TONES.SNG), by name, with their rates; then its theme parts,
// played two, (no part 9), one, over and over.
struct ToneSound {
  std::string name;
  Samples samples;
  std::uint32_t rate = 22050;
};
const std::vector<ToneSound>& Tones() {
  static const std::vector<ToneSound> tones{
      {"low", Constant(160, 8000)}, {"high", Constant(80, 5000)}, {"loud", Constant(255, 3000)},
      {"hush", Constant(0, 3000)},  {"saw", Saw(44100)},          {"slow", Saw(3000), 11025},
      {"one", Constant(150, 4410)}, {"two", Constant(100, 2205)},
  };
  return tones;
}
constexpr std::size_t kThemeParts = 2;
const Samples& Tone(std::string_view name) {
  for (const ToneSound& tone : Tones())
    if (tone.name == name) return tone.samples;
  ADD_FAILURE() << "no tone " << name;
  return Tones().front().samples;
}

constexpr std::string_view kScript =
    "code boot()\n\topentrackfile(\"tones.sng\")\nendcode\n"
    "code keydown(key)\n\tsinglesound(\"saw\")\nendcode\n";

// ---- the expected sound, from the documented rules ----

int SideGain(int volume, int share) {
  return (volume * share * 32768 + 255 * 128 / 2) / (255 * 128);
}
int MonoGain(int volume, int pan) {
  const int left = pan <= 128 ? 128 : (255 - pan) * 128 / 127;
  const int right = pan >= 128 ? 128 : pan;
  return (SideGain(volume, left) + SideGain(volume, right)) / 2;
}

// One sound in a mix: each sample heard `repeat` times (2 for an 11025 Hz sound).
struct Voice {
  std::string_view tone;
  int volume = 255;
  int pan = 128;
  std::size_t repeat = 1;
};

Heard Mix(const std::vector<Voice>& voices, int level = 9, int bits = 16) {
  const int unit = bits == 16 ? 256 : 1, top = bits == 16 ? 32767 : 127;
  std::size_t length = 0;
  for (const Voice& v : voices) length = std::max(length, Tone(v.tone).size() * v.repeat);
  Heard heard(length, 0);
  for (std::size_t i = 0; i < length; ++i) {
    int sum = 0;
    for (const Voice& v : voices) {
      const Samples& samples = Tone(v.tone);
      if (i / v.repeat >= samples.size()) continue;
      sum += ((samples[i / v.repeat] - 128) * unit * MonoGain(v.volume, v.pan)) >> 15;
    }
    heard[i] = std::clamp(sum, -top - 1, top) * level / 9;
  }
  return heard;
}

// ---- reading the capture ----

// The stretches of sound in a capture, as [start, end) frames: none of the tones is heard as 0.
using Stretches = std::vector<std::pair<std::size_t, std::size_t>>;
Stretches SoundIn(const Heard& heard) {
  Stretches stretches;
  for (std::size_t i = 0; i < heard.size(); ++i) {
    if (heard[i] == 0) continue;
    if (stretches.empty() || stretches.back().second != i) stretches.emplace_back(i, i);
    stretches.back().second = i + 1;
  }
  return stretches;
}
// The sound of the stretches, joined.
Heard Joined(const Heard& heard, const Stretches& stretches) {
  Heard joined;
  for (const auto& [start, end] : stretches)
    joined.insert(joined.end(), heard.begin() + static_cast<std::ptrdiff_t>(start),
                  heard.begin() + static_cast<std::ptrdiff_t>(end));
  return joined;
}

// "same", or the first frame where `heard` differs from `expected`, over the shorter's length.
std::string Compare(const Heard& heard, const Heard& expected) {
  for (std::size_t i = 0; i < std::min(heard.size(), expected.size()); ++i) {
    if (heard[i] != expected[i]) {
      return "frame " + std::to_string(i) + ": heard " + std::to_string(heard[i]) + ", expected " +
             std::to_string(expected[i]);
    }
  }
  return "same";
}

std::size_t FrameAtTick(std::uint64_t tick) {
  return static_cast<std::size_t>(tick * 1000 / kTicksPerSecond * kOutputRate / 1000);
}

class TrackSoundTest : public TitleTest {
 protected:
  // Writes TONES.SNG.
  TrackSoundTest() {
    std::vector<std::string> sounds, parts;
    std::vector<test::Bytes> records(1);
    for (const ToneSound& tone : Tones()) {
      (records.size() < Tones().size() - kThemeParts + 1 ? sounds : parts).push_back(tone.name);
      records.push_back(test::SoundRecordOf(tone.rate, tone.samples));
    }
    records[0] = WriteTrackHeader(
        TrackHeader{.name = "Tones", .sounds = sounds, .themeParts = parts, .sequence = {2, 9, 1}});
    WriteStageFile(title_, "TONES.SNG", records, kTrackFileType);
  }

  // Boots a fresh run that records its sound to `name`.wav, on a device of `bits`-bit samples.
  TitleRun& BootRecorded(const std::string& name, std::string_view input = "", int bits = 16) {
    run_.reset();
    audioOut_ = scratch_.path() / (name + ".wav");
    audioOutBytes_ = bits / 8;
    return Boot(kScript, input);
  }

  // The mono samples heard so far, from the clock's 0.
  Heard Capture() {
    run_->FlushAudio();
    const platform::WavRead wav = platform::ReadWav(audioOut_.string());
    const bool wide = audioOutBytes_ == 2;
    EXPECT_NE(wav.header.find(wide ? " 16 1 1 22050 44100 2 16 data " : " 16 1 1 22050 22050 1 8 "),
              std::string::npos)
        << wav.header;
    Heard heard(wav.data.size() / audioOutBytes_);
    for (std::size_t i = 0; i < heard.size(); ++i)
      heard[i] = wide ? static_cast<std::int16_t>(wav.data[2 * i] | wav.data[2 * i + 1] << 8)
                      : wav.data[i] - 128;
    return heard;
  }
};

// The expected mix against values worked by hand.
TEST_F(TrackSoundTest, ExpectedMixAgreesWithHandWorkedValues) {
  EXPECT_EQ(Mix({{"low"}}).front(), 32 * 256);
  EXPECT_EQ(Mix({{"loud"}, {"loud"}}).front(), 32767);  // 2 x 32512 clipped, not wrapped
  EXPECT_EQ(Mix({{"hush"}, {"hush"}}).front(), -32768);
  // Left share 55 x 128 / 127 = 55: sides 5522 and 12850, mono 9186, 8192 x 9186 >> 15.
  EXPECT_EQ(Mix({{"low", 100, 200}}).front(), 2296);
  EXPECT_EQ(Mix({{"high"}}, 4).front(), -48 * 256 * 4 / 9);
  EXPECT_EQ(Mix({{"high"}}, 4, 8).front(), -21);  // -48 x 4 / 9 towards the centre
  EXPECT_EQ(Mix({{"hush"}, {"hush"}}, 9, 8).front(), -128);
}

// Lines run at one tick; the capture holds silence, then within the latency the expected
// sound, then silence again (but for a theme, which goes on).
struct PlayCase {
  std::string name;
  std::string lines;  // separated by "|"
  Heard expected;
  bool ends = true;
  int bits = 16;  // of the device's samples
};

TEST_F(TrackSoundTest, CapturedSoundIsTheMixOfWhatPlays) {
  std::vector<PlayCase> cases{
      {"single", "singlesound(\"low\")", Mix({{"low"}})},
      {"voice11025", "voicesound(\"slow\")", Mix({{.tone = "slow", .repeat = 2}})},
      {"twoEffects", "multiplesound(\"low\")|multiplesound(\"high\")", Mix({{"low"}, {"high"}})},
      {"clipsHigh", "multiplesound(\"loud\")|multiplesound(\"loud\")", Mix({{"loud"}, {"loud"}})},
      {"clipsLow", "multiplesound(\"hush\")|multiplesound(\"hush\")", Mix({{"hush"}, {"hush"}})},
      {"volumePanRight", "soundvol(\"low\", 100)|soundpan(\"low\", 200)|singlesound(\"low\")",
       Mix({{"low", 100, 200}})},
      {"panLeftTogether", "soundpan(\"high\", 40)|multiplesound(\"low\")|multiplesound(\"high\")",
       Mix({{"low"}, {"high", 255, 40}})},
      {"level4", "wavevolume(4)|singlesound(\"low\")", Mix({{"low"}}, 4)},
      {"level0", "wavevolume(0)|singlesound(\"low\")", {}},
      {"8-bit clipsHigh", "multiplesound(\"loud\")|multiplesound(\"loud\")",
       Mix({{"loud"}, {"loud"}}, 9, 8), true, 8},
      {"8-bit clipsLow", "multiplesound(\"hush\")|multiplesound(\"hush\")",
       Mix({{"hush"}, {"hush"}}, 9, 8), true, 8},
      {"8-bit level4", "wavevolume(4)|multiplesound(\"low\")|multiplesound(\"high\")",
       Mix({{"low"}, {"high"}}, 4, 8), true, 8},
      {"themeLoops", "playtheme(\"tones\")", {}, false},
  };
  for (const char* part : {"two", "one", "two", "one", "two"}) {
    const Heard heard = Mix({{part}});
    cases.back().expected.insert(cases.back().expected.end(), heard.begin(), heard.end());
  }
  for (const PlayCase& c : cases) {
    SCOPED_TRACE(c.name);
    TitleRun& run = BootRecorded(c.name, "", c.bits);
    run.RunUntilTick(kStartTick);
    const std::size_t start = FrameAtTick(run.platform().ticks());
    std::istringstream lines(c.lines);
    for (std::string line; std::getline(lines, line, '|');) EXPECT_EQ(run.Eval(line), "OK") << line;
    run.RunUntilTick(kStartTick +
                     (kLatencyFrames + c.expected.size()) * kTicksPerSecond / kOutputRate +
                     kTicksPerSecond / 2);
    const Heard heard = Capture();
    const Stretches sound = SoundIn(heard);
    ASSERT_EQ(sound.size(), c.expected.empty() ? 0u : 1u);
    if (sound.empty()) continue;
    EXPECT_GE(sound[0].first, start);
    EXPECT_LE(sound[0].first, start + kLatencyFrames);
    const Heard joined = Joined(heard, sound);
    EXPECT_EQ(Compare(joined, c.expected), "same");
    EXPECT_TRUE(c.ends ? joined.size() == c.expected.size() : joined.size() > c.expected.size());
  }
}

// Focus out pauses the sound at once: silence while the player is away, then after focus in
// the sound goes on from where it stopped, until haltsound, after which what was queued before
// the halt is heard (at most the latency), and then silence.
TEST_F(TrackSoundTest, FocusPausesAndResumesWhereItStoppedAndHaltEndsWithinTheLatency) {
  constexpr std::uint64_t kOutTick = 120, kInTick = 180, kHaltTick = 185;
  TitleRun& run = BootRecorded("focus", "wait 30\nkey p\nwait 90\nfocus out\nwait 60\nfocus in\n");
  run.RunUntilTick(kHaltTick);
  EXPECT_EQ(run.Eval("haltsound()"), "OK");
  run.RunUntilTick(kHaltTick + 90);
  const Heard heard = Capture();
  const Stretches sound = SoundIn(heard);
  ASSERT_EQ(sound.size(), 2u);
  const double tick = static_cast<double>(kOutputRate) / kTicksPerSecond;
  EXPECT_NEAR(sound[0].second, FrameAtTick(kOutTick), tick);
  EXPECT_NEAR(sound[1].first - sound[0].second, FrameAtTick(kInTick - kOutTick), tick);
  EXPECT_GE(sound[1].second, FrameAtTick(kHaltTick));
  EXPECT_LE(sound[1].second, FrameAtTick(kHaltTick) + kLatencyFrames);
  const Heard joined = Joined(heard, sound), saw = Mix({{"saw"}});
  EXPECT_LT(joined.size(), saw.size());
  EXPECT_EQ(Compare(joined, saw), "same");
}

}  // namespace
}  // namespace lw::testing
