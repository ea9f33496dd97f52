// The four sound channels and the mixer, heard through the fake platform's audio stream: sound
// records are written by hand into a scratch star file, and every expected sample is the record's
// sample s as the output has it, (s - 128) x 256 for 16-bit. Volume, pan, the high limit and the
// output level are checked in the title's WAV capture (tests/objects/track_sound_test.cpp).
#include "media/sound_channels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <numeric>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "support/shell_fake_platform.h"
#include "support/storage_scratch.h"
#include "support/storage_sound_records.h"

namespace lw {
namespace {

using Samples = std::vector<int>;

std::vector<std::uint8_t> Flat(std::uint8_t sample, std::size_t count) {
  return std::vector<std::uint8_t>(count, sample);
}

// What the 16-bit output has for sample s at full volume.
int Wide(int s) { return (s - 128) * 256; }

// Record ids of the test file.
enum Id : std::int32_t {
  kRamp,       // 130, 131, ... 189 at 22050 Hz
  kLoud,       // 2000 samples of 255
  kQuiet,      // 2000 samples of 0
  kFlat160,    // 2000 samples of 160: 8192
  kFlat144,    // 2000 samples of 144: 4096
  kLong,       // 20000 samples of 150
  kSlow,       // 130, 140, 150 at 11025 Hz
  kFast,       // 130, 140, 150, 160 at 44100 Hz
  kPartA,      // 100 x 131
  kPartB,      // 100 x 132
  kPartC,      // 100 x 133
  kBadRate,    // rate 8000
  kWideFrame,  // 3 bytes to a frame
  kCorrupt,    // its second block's offset points behind the record
  kVoiceLong,  // 3 x 8192 + 100 samples of 140
  kHalfGroup,  // one sample at 44100 Hz: less than the two that make an output frame
  kIdCount
};

class SoundChannelsTest : public ::testing::Test {
 protected:
  SoundChannelsTest() {
    std::vector<test::Bytes> records(kIdCount);
    std::vector<std::uint8_t> ramp(60);
    std::iota(ramp.begin(), ramp.end(), std::uint8_t{130});
    records[kRamp] = test::SoundRecordOf(22050, ramp);
    records[kLoud] = test::SoundRecordOf(22050, Flat(255, 2000));
    records[kQuiet] = test::SoundRecordOf(22050, Flat(0, 2000));
    records[kFlat160] = test::SoundRecordOf(22050, Flat(160, 2000));
    records[kFlat144] = test::SoundRecordOf(22050, Flat(144, 2000));
    records[kLong] = test::SoundRecordOf(22050, Flat(150, 20000));
    records[kSlow] = test::SoundRecordOf(11025, {130, 140, 150});
    records[kFast] = test::SoundRecordOf(44100, {130, 140, 150, 160});
    records[kPartA] = test::SoundRecordOf(22050, Flat(131, 100));
    records[kPartB] = test::SoundRecordOf(22050, Flat(132, 100));
    records[kPartC] = test::SoundRecordOf(22050, Flat(133, 100));
    records[kBadRate] = test::SoundRecordOf(8000, {}, 1);
    records[kWideFrame] = test::SoundRecordOf(22050, Flat(150, 30), 3);
    records[kCorrupt] = test::SoundRecordOf(22050, Flat(150, 2000));
    StoreU32At(records[kCorrupt], 48, 100000);
    records[kVoiceLong] = test::SoundRecordOf(22050, Flat(140, 3 * 8192 + 100));
    records[kHalfGroup] = test::SoundRecordOf(44100, {130});
    test::WriteStarFile(disk.stack.files, test::TitlePath("sounds.str"), records);
    EXPECT_EQ(disk.stack.library.StarOpen(test::TitlePath("sounds.str"), file), ProgramCode::kOk);
  }
  ~SoundChannelsTest() override {
    channels.Shutdown();
    for (SoundItem& item : items) channels.ReleaseSound(item);
  }

  static void StoreU32At(test::Bytes& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
  }

  // Loads record `id` into a new item, released at the end of the test.
  SoundItem& Load(std::int32_t id) {
    items.emplace_back();
    EXPECT_TRUE(channels.LoadSound(*file, id, "sound", items.back())) << id;
    return items.back();
  }

  // Pumps, and gives the samples of the buffers that pump queued, then lets them play out.
  Samples Mixed() {
    channels.Pump();
    const std::vector<std::uint8_t> all = platform.audio->written();
    Samples samples;
    if (channels.isOpen() && output.bytesPerSample() == 2) {
      for (std::size_t at = seen; at + 1 < all.size(); at += 2)
        samples.push_back(static_cast<std::int16_t>(all[at] | all[at + 1] << 8));
    } else {
      for (std::size_t at = seen; at < all.size(); ++at) samples.push_back(all[at]);
    }
    seen = all.size();
    while (platform.audio->finishOldest()) {
    }
    return samples;
  }
  // The first `count` samples of the next pump.
  Samples First(std::size_t count) {
    Samples samples = Mixed();
    samples.resize(std::min(count, samples.size()));
    return samples;
  }

  test::ScratchStorage<> disk;
  testing::FakePlatform platform;
  SoundOutput output{platform, disk.stack.boxes, disk.stack.errors};
  SoundChannels channels{disk.stack.library, disk.stack.errors, output};
  StarFile* file = nullptr;
  std::deque<SoundItem> items;
  std::size_t seen = 0;
};

TEST_F(SoundChannelsTest, OpensSixteenBitsElseEightAndReportsMisuse) {
  channels.Start();
  ASSERT_TRUE(channels.isOpen());
  EXPECT_EQ(platform.audioOpens.back().samplesPerSecond, 22050);
  EXPECT_EQ(platform.audioOpens.back().bytesPerSample, 2);
  EXPECT_EQ(platform.audioOpens.back().channels, 1);
  channels.Start();
  EXPECT_TRUE(disk.BoxSaid("line 2703"));
  channels.Shutdown();
  EXPECT_FALSE(output.isOpen());

  platform.refuseAudio = 1;
  channels.Start();
  ASSERT_TRUE(channels.isOpen());
  EXPECT_EQ(output.bytesPerSample(), 1);
  EXPECT_TRUE(disk.BoxSaid("Sound Error 1:"));
  channels.Shutdown();

  platform.refuseAudio = 2;
  channels.Start();
  EXPECT_FALSE(channels.isOpen());
  EXPECT_TRUE(disk.BoxSaid("Logic error at line 2704"));
  // Closed: nothing plays and nothing loads.
  SoundItem item;
  EXPECT_FALSE(channels.LoadSound(*file, kRamp, "ramp", item));
  channels.PlayVoice(item);
  EXPECT_FALSE(channels.Busy(0));
}

TEST_F(SoundChannelsTest, BadRecordsAreReportedAndReleaseGivesBackTheLock) {
  channels.Start();
  SoundItem item;
  for (const auto& [id, line] : std::vector<std::pair<std::int32_t, const char*>>{
           {kIdCount + 5, "line 2706"}, {kBadRate, "line 2707"}, {kWideFrame, "line 2713"}}) {
    EXPECT_FALSE(channels.LoadSound(*file, id, "bad", item)) << id;
    EXPECT_TRUE(disk.BoxSaid(line)) << line;
  }
  // The bad records' locks were given back: one more release is one too many.
  EXPECT_EQ(disk.stack.library.StarReleaseResource(*file, kBadRate), ProgramCode::kPackUseCount);
  // Playing an item never loaded is reported too.
  disk.boxTexts.clear();
  channels.PlayVoice(SoundItem{});
  EXPECT_TRUE(disk.BoxSaid("line 2706"));
  // A block that points behind its record is reported when it plays, and ends the sound.
  channels.PlayVoice(Load(kCorrupt));
  const Samples samples = Mixed();
  EXPECT_EQ((Samples{samples[0], samples[1023], samples[1024]}),
            (Samples{Wide(150), Wide(150), 0}));
  EXPECT_TRUE(disk.BoxSaid("line 2714"));
  EXPECT_FALSE(channels.Busy(0));
  // Released while it plays, an item stops and gives its lock back.
  ASSERT_TRUE(channels.LoadSound(*file, kLong, "long", item));
  channels.PlayVoice(item);
  channels.ReleaseSound(item);
  EXPECT_FALSE(channels.Busy(0));
  EXPECT_EQ(item.record, nullptr);
  EXPECT_EQ(disk.stack.library.StarReleaseResource(*file, kLong), ProgramCode::kPackUseCount);
}

TEST_F(SoundChannelsTest, OneSoundComesOutExactlyThenSilenceAtEitherRate) {
  channels.Start();
  channels.PlayVoice(Load(kRamp));
  EXPECT_TRUE(channels.Busy(0));
  EXPECT_EQ(channels.Playing(0)->recordId, kRamp);
  const Samples samples = Mixed();
  ASSERT_EQ(samples.size(), 3u * 2048);  // three buffers ahead, 2048 frames each
  Samples expected(samples.size(), 0);
  for (int i = 0; i < 60; ++i) expected[i] = Wide(130 + i);
  EXPECT_EQ(samples, expected);
  EXPECT_FALSE(channels.Busy(0));
  EXPECT_EQ(channels.Playing(0), nullptr);
  // 44100 Hz: each output frame the mean of two samples (11025 Hz is in the looping test).
  channels.PlayVoice(Load(kFast));
  EXPECT_EQ(First(3), (Samples{(512 + 3072) / 2, (5632 + 8192) / 2, 0}));
}

// Two effects summing above the limit are checked in the title's capture; here the low limit, and
// all four tracks summed.
TEST_F(SoundChannelsTest, TracksAreSummedAndSaturateLow) {
  channels.Start();
  channels.PlayEffect(Load(kQuiet), EffectMode::kMultiple);
  channels.PlayEffect(Load(kQuiet), EffectMode::kMultiple);
  EXPECT_EQ(First(1), (Samples{-32768}));
  // With the voice and the theme as well: four tracks summed.
  channels.PlayVoice(Load(kFlat144));
  channels.PlayEffect(Load(kFlat144), EffectMode::kMultiple);
  channels.PlayEffect(Load(kFlat144), EffectMode::kMultiple);
  channels.PlayPlaylist(Playlist{{Load(kFlat144)}, std::nullopt});
  EXPECT_EQ(First(1), (Samples{4 * 4096}));
}

TEST_F(SoundChannelsTest, EightBitOutputCentresOn128AndSaturates) {
  platform.refuseAudio = 1;
  channels.Start();
  ASSERT_EQ(output.bytesPerSample(), 1);
  channels.PlayEffect(Load(kLoud), EffectMode::kMultiple);
  channels.PlayEffect(Load(kFlat160), EffectMode::kMultiple);
  const Samples samples = Mixed();
  ASSERT_EQ(samples.size(), 3u * 2048);
  EXPECT_EQ((Samples{samples[0], samples[1999], samples[2000]}), (Samples{255, 255, 128}));
  channels.PlayEffect(Load(kQuiet), EffectMode::kMultiple);
  channels.PlayEffect(Load(kFlat144), EffectMode::kMultiple);
  EXPECT_EQ(First(1), (Samples{0 + 16}));  // -128 + 16 around 128
}

// Each step plays an effect; then channels 1 and 2 play the records given, -1 for none.
// Priorities are the record ids (kRamp 0 < kFlat160 3 < kFlat144 4 < kLong 5) unless a step
// gives one.
TEST_F(SoundChannelsTest, EffectChannelsByModeAndPriority) {
  channels.Start();
  struct Step {
    Id id;
    EffectMode mode;
    std::string effects;
    std::optional<std::uint32_t> priority = std::nullopt;
  };
  const Step steps[] = {
      {kFlat160, EffectMode::kSingle, "3 -1"},
      {kFlat160, EffectMode::kSingle, "3 -1"},   // restarts where it plays
      {kFlat160, EffectMode::kMultiple, "3 3"},  // overlaps itself
      {kRamp, EffectMode::kMultiple, "3 3"},     // lower than both: not played
      {kFlat144, EffectMode::kMultiple, "4 3"},  // the earlier of the tie gives way
      {kLong, EffectMode::kMultiple, "4 5", 3},  // equal to the lower: it gives way
      {kRamp, EffectMode::kBoth, "0 -1"},        // both stopped, on channel 1 alone
      {kFlat144, EffectMode::kSingle, "0 4"},    // not playing: chosen like kMultiple
  };
  for (const Step& step : steps) {
    SoundItem& item = Load(step.id);
    item.priority = step.priority.value_or(item.priority);
    channels.PlayEffect(item, step.mode);
    const SoundItem* one = channels.Playing(1);
    const SoundItem* two = channels.Playing(2);
    EXPECT_EQ(
        std::to_string(one ? one->recordId : -1) + " " + std::to_string(two ? two->recordId : -1),
        step.effects)
        << "step " << (&step - steps);
  }
}

TEST_F(SoundChannelsTest, PlaylistLoopsToItsEntryAndRestartsFromTheFirst) {
  channels.Start();
  Playlist playlist{{Load(kPartA), Load(kPartB), Load(kPartC)}, 1};
  channels.PlayPlaylist(playlist);
  Samples expected;
  for (int part : {131, 132, 133, 132, 133, 132, 133})
    expected.insert(expected.end(), 100, Wide(part));
  EXPECT_EQ(First(700), expected);
  EXPECT_TRUE(channels.Busy(3));
  // Played again: from the first item, whatever was playing.
  channels.PlayPlaylist(playlist);
  Samples restarted(100, Wide(131));
  restarted.push_back(Wide(132));
  EXPECT_EQ(First(101), restarted);
  // Without a loop entry the list ends after its last item.
  playlist.loopEntry.reset();
  channels.PlayPlaylist(playlist);
  Samples once = First(301);
  EXPECT_EQ((Samples{once[0], once[150], once[299], once[300]}),
            (Samples{Wide(131), Wide(132), Wide(133), 0}));
  EXPECT_FALSE(channels.Busy(3));
  // A loop entry behind the items is refused.
  playlist.loopEntry = 3;
  channels.PlayPlaylist(playlist);
  EXPECT_TRUE(disk.BoxSaid("line 2708"));
  EXPECT_FALSE(channels.Busy(3));
}

TEST_F(SoundChannelsTest, LoopingItemPlaysAgainFromItsStart) {
  channels.Start();
  SoundItem slow = Load(kSlow);
  slow.loop = true;
  channels.PlayVoice(slow);
  EXPECT_EQ(First(8), (Samples{512, 512, 3072, 3072, 5632, 5632, 512, 512}));
  EXPECT_TRUE(channels.Busy(0));
  // A looping item that gives no output frame at all ends instead of spinning.
  SoundItem half = Load(kHalfGroup);
  half.loop = true;
  channels.PlayVoice(half);
  EXPECT_EQ(Mixed(), Samples(3 * 2048, 0));
  EXPECT_FALSE(channels.Busy(0));
}

TEST_F(SoundChannelsTest, StopAndStopRecordSilenceTheirChannels) {
  channels.Start();
  const SoundItem& longer = Load(kLong);
  channels.PlayVoice(longer);
  channels.PlayEffect(longer, EffectMode::kMultiple);
  channels.PlayPlaylist(Playlist{{Load(kFlat144), longer}, 0});
  SoundItem looping = Load(kFlat160);
  looping.loop = true;
  channels.PlayEffect(looping, EffectMode::kMultiple);
  EXPECT_EQ(First(1), (Samples{2 * Wide(150) + 4096 + 8192}));
  // The record stops everywhere: the voice, effect 1 and the playlist that holds it.
  channels.StopRecord(file->serial(), kLong);
  EXPECT_EQ(
      (std::vector<bool>{channels.Busy(0), channels.Busy(1), channels.Busy(2), channels.Busy(3)}),
      (std::vector<bool>{false, false, true, false}));
  EXPECT_EQ(First(1), (Samples{8192}));
  // Stop pumps at once; its flags are channels 1, 2, 3, then 0.
  channels.PlayVoice(longer);
  channels.Stop(false, true, false, false);
  EXPECT_TRUE(channels.Busy(0));
  EXPECT_FALSE(channels.Busy(2));
  Samples stopped = Mixed();
  EXPECT_EQ((Samples{stopped[0], stopped[1999], stopped[2000]}),
            (Samples{Wide(150), Wide(150), Wide(150)}));
  channels.Stop(false, false, false, true);
  EXPECT_EQ(Mixed(), Samples(3 * 2048, 0));
}

TEST_F(SoundChannelsTest, WaitVoiceDoneMixesUntilTheVoiceEnds) {
  channels.Start();
  channels.PlayVoice(Load(kVoiceLong));
  {
    // The stream's thread plays buffers out while the mixer waits.
    std::jthread player([this](const std::stop_token& stop) {
      while (!stop.stop_requested()) {
        platform.audio->finishOldest();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
    });
    channels.WaitVoiceDone();
  }
  EXPECT_FALSE(channels.Busy(0));
  const std::vector<std::uint8_t> all = platform.audio->written();
  ASSERT_GE(all.size(), 2u * (3 * 8192 + 101));
  // The last voice sample and the first after it.
  const std::size_t last = 2 * (3 * 8192 + 99);
  EXPECT_EQ((Samples{static_cast<std::int16_t>(all[last] | all[last + 1] << 8),
                     static_cast<std::int16_t>(all[last + 2] | all[last + 3] << 8)}),
            (Samples{Wide(140), 0}));

  // A wait step stands for a clock that moves only when the runtime takes messages: each step
  // plays one buffer out. The voice's 24676 frames fill 13 pumps of 2048: three in the first
  // pump, then one a step.
  channels.PlayVoice(Load(kVoiceLong));
  while (platform.audio->finishOldest()) {
  }
  int steps = 0;
  channels.setWaitStep([&] {
    ++steps;
    platform.audio->finishOldest();
  });
  channels.WaitVoiceDone();
  EXPECT_FALSE(channels.Busy(0));
  EXPECT_EQ(steps, 10);
}

}  // namespace
}  // namespace lw
