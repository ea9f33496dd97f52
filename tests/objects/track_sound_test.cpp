// The sound a headless title makes with its track files, as the WAV capture records it: sounds
// of known samples played by the track built-ins, and the capture compared sample for sample
// with values worked out by hand from the mixer's rules (a side's gain g / 2^15 with g = volume x
// share x 2^15 / (255 x 128) rounded, mono the mean of the sides; an 8-bit sample s heard as
// (s - 128) x 256, or as s - 128 by a device of 8-bit samples alone; tracks summed and
// saturated; the output level n as x n / 9, towards 0).
//
// The mixer keeps three buffers of 2048 frames queued, so a sound is heard some time after the
// line that starts it: the checks find its onset in the capture, within that latency (0.28 s).
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
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

// A sawtooth that never meets the centre, so that every sample of it is heard as non-zero.
Samples Saw(std::size_t count) {
  Samples saw(count);
  for (std::size_t i = 0; i < count; ++i) saw[i] = static_cast<std::uint8_t>(129 + i % 62);
  return saw;
}
// The saw heard at full volume in 16-bit output, each sample `repeat` times.
Heard SawHeard(std::size_t count, std::size_t repeat = 1) {
  Heard heard;
  for (std::uint8_t s : Saw(count)) heard.insert(heard.end(), repeat, (s - 128) * 256);
  return heard;
}
// Output samples: `count` of `value` for each run.
Heard Runs(std::initializer_list<std::pair<std::size_t, int>> runs) {
  Heard heard;
  for (const auto& [count, value] : runs) heard.insert(heard.end(), count, value);
  return heard;
}

// The sounds of the track "Tones" (TONES.SNG) in record order, at 22050 Hz but "slow" at 11025;
// the last two are its theme parts, played two, (no part 9), one, over and over.
const std::vector<std::string> kTones = {"low", "high", "loud", "hush",
                                         "saw", "slow", "one",  "two"};
const Samples& Tone(const std::string& name) {
  static const std::map<std::string, Samples> tones{
      {"low", Samples(8000, 160)}, {"high", Samples(5000, 80)}, {"loud", Samples(3000, 191)},
      {"hush", Samples(3000, 64)}, {"saw", Saw(44100)},         {"slow", Saw(3000)},
      {"one", Samples(4410, 150)}, {"two", Samples(2205, 100)}};
  return tones.at(name);
}

constexpr std::string_view kScript =
    "code boot()\n\topentrackfile(\"tones.sng\")\nendcode\n"
    "code keydown(key)\n\tsinglesound(\"saw\")\nendcode\n";

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

std::size_t FrameAtTick(std::uint64_t tick) {
  return static_cast<std::size_t>(tick * 1000 / kTicksPerSecond * kOutputRate / 1000);
}

class TrackSoundTest : public TitleTest {
 protected:
  // Writes TONES.SNG.
  TrackSoundTest() {
    std::vector<std::string> sounds(kTones.begin(), kTones.end() - 2);
    std::vector<test::Bytes> records{WriteTrackHeader(TrackHeader{
        .name = "Tones", .sounds = sounds, .themeParts = {"one", "two"}, .sequence = {2, 9, 1}})};
    for (const std::string& tone : kTones)
      records.push_back(test::SoundRecordOf(tone == "slow" ? 11025 : 22050, Tone(tone)));
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

// Lines run at one tick; the capture holds silence, then within the latency the expected
// sound, then silence again (but for a theme, which goes on). "low" is heard as 32 x 256 =
// 8192, "high" as -48 x 256 = -12288, "loud" as 63 x 256 and "hush" as -64 x 256, so that three
// of them clip.
struct PlayCase {
  std::string name;
  std::string lines;  // separated by "|"
  Heard expected;
  bool ends = true;
  int bits = 16;  // of the device's samples
};

TEST_F(TrackSoundTest, CapturedSoundIsTheMixOfWhatPlays) {
  const PlayCase cases[] = {
      {"single", "singlesound(\"low\")", Runs({{8000, 8192}})},
      {"voice11025", "voicesound(\"slow\")", SawHeard(3000, 2)},
      {"clipsHigh", "multiplesound(\"loud\")|multiplesound(\"loud\")|voicesound(\"loud\")",
       Runs({{3000, 32767}})},
      {"clipsLow", "multiplesound(\"hush\")|multiplesound(\"hush\")|voicesound(\"hush\")",
       Runs({{3000, -32768}})},
      // Left share 55 x 128 / 127 = 55: sides 5522 and 12850, mono 9186, 8192 x 9186 >> 15.
      {"volumePanRight", "soundvol(\"low\", 100)|soundpan(\"low\", 200)|singlesound(\"low\")",
       Runs({{8000, 2296}})},
      // Right share 40: sides 32768 and 10240, mono 21504; -12288 x 21504 >> 15 = -8064.
      {"twoEffectsPanLeft", "soundpan(\"high\", 40)|multiplesound(\"low\")|multiplesound(\"high\")",
       Runs({{5000, 8192 - 8064}, {3000, 8192}})},
      {"level4", "wavevolume(4)|singlesound(\"low\")", Runs({{8000, 8192 * 4 / 9}})},
      {"level0", "wavevolume(0)|singlesound(\"low\")", {}},
      {"8-bit clipsHigh", "multiplesound(\"loud\")|multiplesound(\"loud\")|voicesound(\"loud\")",
       Runs({{3000, 127}}), true, 8},
      {"8-bit clipsLow", "multiplesound(\"hush\")|multiplesound(\"hush\")|voicesound(\"hush\")",
       Runs({{3000, -128}}), true, 8},
      // (32 - 48) x 4 / 9 and 32 x 4 / 9, towards the centre.
      {"8-bit level4", "wavevolume(4)|multiplesound(\"low\")|multiplesound(\"high\")",
       Runs({{5000, -7}, {3000, 14}}), true, 8},
      // "two" is heard as -28 x 256, "one" as 22 x 256.
      {"themeLoops", "playtheme(\"tones\")",
       Runs({{2205, -7168}, {4410, 5632}, {2205, -7168}, {4410, 5632}, {2205, -7168}}), false},
  };
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
    Heard joined = Joined(heard, sound);
    EXPECT_TRUE(c.ends ? joined.size() == c.expected.size() : joined.size() > c.expected.size());
    joined.resize(c.expected.size());
    EXPECT_EQ(joined, c.expected);
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
  const Heard joined = Joined(heard, sound);
  Heard saw = SawHeard(44100);
  EXPECT_LT(joined.size(), saw.size());
  saw.resize(joined.size());
  EXPECT_EQ(joined, saw);
}

}  // namespace
}  // namespace lw::testing

namespace lw::testing {
namespace {

// The player menu holds the sound as a focus out does: silence while it is up, then the sound
// goes on from where it stopped, all of it heard.
TEST_F(TrackSoundTest, PlayerMenuHoldsTheSoundWhereItWas) {
  constexpr std::uint64_t kOpenTick = 120, kCloseTick = 180;
  TitleRun& run = BootRecorded("menu", "wait 30\nkey p\nwait 90\nkey f10\nwait 60\nkey esc\n");
  run.RunUntilTick(kCloseTick + 120);
  const Heard heard = Capture();
  const Stretches sound = SoundIn(heard);
  ASSERT_EQ(sound.size(), 2u);
  const double tick = static_cast<double>(kOutputRate) / kTicksPerSecond;
  EXPECT_NEAR(sound[0].second, FrameAtTick(kOpenTick), tick);
  EXPECT_NEAR(sound[1].first - sound[0].second, FrameAtTick(kCloseTick - kOpenTick), tick);
  EXPECT_EQ(Joined(heard, sound), SawHeard(44100));
}

struct MenuSoundCase {
  std::string menuKeys;
  int level;  // 0 for muted
};

// The menu's sound level scales what the title plays (n / 9, towards 0) and its Mute silences
// it, while the title plays on.
TEST_F(TrackSoundTest, PlayerMenuLevelAndMuteApplyToTheSound) {
  const std::vector<MenuSoundCase> cases = {
      {"key down\nkey left\nkey left\nkey left\nkey left\nkey left\nkey left", 3},
      {"key down\nkey left", 8},
      {"key down\nkey down\nkey return", 0},
  };
  for (const MenuSoundCase& c : cases) {
    TitleRun& run = BootRecorded("level", "wait 30\nkey f10\n" + c.menuKeys + "\nkey esc\nkey p\n");
    run.RunUntilTick(30 + 120 + 60);
    const Heard heard = Capture();
    Heard expected = SawHeard(44100);
    for (int& sample : expected) sample = sample * c.level / 9;
    if (c.level == 0) expected.clear();
    EXPECT_EQ(Joined(heard, SoundIn(heard)), expected) << c.menuKeys;
    EXPECT_EQ(run.Calls(), "boot() keydown(\"p\")") << c.menuKeys;
  }
}

}  // namespace
}  // namespace lw::testing
