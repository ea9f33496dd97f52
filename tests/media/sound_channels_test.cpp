// The four sound channels and the mixer, heard through the fake platform's audio stream: sound
// records are written by hand into a scratch star file, and every expected sample is the record's
// sample s as the output has it, (s - 128) x 256 for 16-bit. Gains, pan, the high limit of 16-bit
// sound, the output level, 11025 Hz sound, theme sequences and halting mid-sound are checked in
// the title's WAV capture (tests/objects/track_sound_test.cpp); here is what that cannot reach.
#include "media/sound_channels.h"

#include <gtest/gtest.h>

#include <functional>
#include <numeric>
#include <optional>
#include <string>
#include <vector>

#include "support/shell_fake_platform.h"
#include "support/storage_scratch.h"
#include "support/storage_sound_records.h"

namespace lw {
namespace {

using Samples = std::vector<int>;

// What the 16-bit output has for sample s at full volume.
int Wide(int s) { return (s - 128) * 256; }
// `count` samples of `value`.
Samples Repeat(int value, std::size_t count) { return Samples(count, value); }

// Record ids of the test file, in the order of its records below.
enum Id : std::int32_t {
  kRamp,
  kLoud,
  kQuiet,
  kFlat160,
  kFlat144,
  kLong,
  kSlow,
  kFast,
  kPartA,
  kPartB,
  kPartC,
  kBadRate,
  kWideFrame,
  kCorrupt,
  kVoiceLong,
  kHalfGroup,
  kIdCount
};

class SoundChannelsTest : public ::testing::Test {
 protected:
  SoundChannelsTest() {
    std::vector<std::uint8_t> ramp(60);  // 130, 131, ... 189
    std::iota(ramp.begin(), ramp.end(), std::uint8_t{130});
    using Flat = std::vector<std::uint8_t>;
    const auto at = [](std::uint32_t rate, std::vector<std::uint8_t> samples, int bytes = 1) {
      return test::SoundRecordOf(rate, std::move(samples), bytes);
    };
    std::vector<test::Bytes> records = {
        at(22050, ramp),
        at(22050, Flat(2000, 255)),
        at(22050, Flat(2000, 0)),
        at(22050, Flat(2000, 160)),  // heard as 8192
        at(22050, Flat(2000, 144)),  // heard as 4096
        at(22050, Flat(20000, 150)),
        at(11025, {130, 140, 150}),
        at(44100, {130, 140, 150, 160}),
        at(22050, Flat(100, 131)),
        at(22050, Flat(100, 132)),
        at(22050, Flat(100, 133)),
        at(8000, {}),                 // a rate the mixer does not play
        at(22050, Flat(30, 150), 3),  // 3 bytes to a frame
        at(22050, Flat(2000, 150)),   // corrupt: its second block's offset points past the end
        at(22050, Flat(3 * 8192 + 100, 140)),
        at(44100, {130}),  // less than the two samples that make an output frame
    };
    for (int i = 0; i < 4; ++i)
      records[kCorrupt][48 + i] = static_cast<std::uint8_t>(100000 >> (8 * i));
    test::WriteStarFile(disk.stack.files, test::TitlePath("sounds.str"), records);
    EXPECT_EQ(disk.stack.library.StarOpen(test::TitlePath("sounds.str"), file), ProgramCode::kOk);
  }
  ~SoundChannelsTest() override {
    channels.Shutdown();
    for (SoundItem& item : items) channels.ReleaseSound(item);
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
    const bool wide = output.bytesPerSample() == 2;
    for (std::size_t at = seen; at + (wide ? 1 : 0) < all.size(); at += wide ? 2 : 1)
      samples.push_back(wide ? static_cast<std::int16_t>(all[at] | all[at + 1] << 8) : all[at]);
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
  // Which channels are busy: "v" the voice, "1" and "2" the effects, "t" the theme, "-" idle.
  std::string Busy() {
    std::string busy;
    for (int c = 0; c < SoundChannels::kChannels; ++c) busy += channels.Busy(c) ? "v12t"[c] : '-';
    return busy;
  }

  test::ScratchStorage<> disk;
  testing::FakePlatform platform;
  SoundOutput output{platform, disk.stack.boxes, disk.stack.errors};
  SoundChannels channels{disk.stack.library, disk.stack.errors, output};
  StarFile* file = nullptr;
  std::deque<SoundItem> items;
  std::size_t seen = 0;
};

// Each case plays its sounds on a device opened afresh, 16-bit or (refused that) 8-bit, and
// checks the three buffers of 2048 frames the pump queues: the samples given, then silence.
TEST_F(SoundChannelsTest, WhatOnePumpMixes) {
  enum How { kVoice, kLoopVoice, kEffect, kTheme };
  struct Case {
    const char* name;
    bool eightBit;
    std::vector<std::pair<Id, How>> plays;
    Samples heard;
    std::string busy = "----";
    std::size_t compared = 3 * 2048;
  };
  Samples ramp;
  for (int s = 130; s < 190; ++s) ramp.push_back(Wide(s));
  const Case cases[] = {
      {"one sound exactly", false, {{kRamp, kVoice}}, ramp},
      {"44100 Hz: each frame the mean of two", false, {{kFast, kVoice}}, {1792, 6912}},
      {"looping from the start",
       false,
       {{kSlow, kLoopVoice}},
       {512, 512, 3072, 3072, 5632, 5632, 512, 512},
       "v---",
       8},
      {"looping with no whole frame ends", false, {{kHalfGroup, kLoopVoice}}, {}},
      {"saturates low", false, {{kQuiet, kEffect}, {kQuiet, kEffect}}, Repeat(-32768, 2000)},
      {"four tracks summed",
       false,
       {{kFlat144, kVoice}, {kFlat144, kEffect}, {kFlat144, kEffect}, {kFlat144, kTheme}},
       Repeat(16384, 2000)},
      {"8 bits saturate high", true, {{kLoud, kEffect}, {kFlat160, kEffect}}, Repeat(255, 2000)},
      {"8 bits around 128", true, {{kQuiet, kEffect}, {kFlat144, kEffect}}, Repeat(16, 2000)},
      // A block that points behind its record ends the sound after the first block.
      {"corrupt block", false, {{kCorrupt, kVoice}}, Repeat(Wide(150), 1024)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    channels.Shutdown();
    platform.refuseAudio = c.eightBit ? 1 : 0;
    channels.Start();
    seen = 0;
    for (const auto& [id, how] : c.plays) {
      SoundItem& item = Load(id);
      item.loop = how == kLoopVoice;
      if (how == kEffect) channels.PlayEffect(item, EffectMode::kMultiple);
      if (how == kTheme) channels.PlayPlaylist(Playlist{{item}, std::nullopt});
      if (how == kVoice || how == kLoopVoice) channels.PlayVoice(item);
    }
    Samples expected = c.heard;
    expected.resize(3 * 2048, c.eightBit ? 128 : 0);
    expected.resize(c.compared);
    EXPECT_EQ(First(c.compared), expected);
    EXPECT_EQ(Busy(), c.busy);
  }
  EXPECT_TRUE(disk.BoxSaid("line 2714"));
}

// Misuse and bad records, each reported with its line; none loads or plays.
TEST_F(SoundChannelsTest, MisuseAndBadRecordsAreReported) {
  SoundItem item;
  const std::pair<const char*, std::function<void()>> cases[] = {
      {"line 2703", [&] { channels.Start(), channels.Start(); }},
      {"line 2706", [&] { EXPECT_FALSE(channels.LoadSound(*file, kIdCount + 5, "x", item)); }},
      {"line 2707", [&] { EXPECT_FALSE(channels.LoadSound(*file, kBadRate, "x", item)); }},
      {"line 2713", [&] { EXPECT_FALSE(channels.LoadSound(*file, kWideFrame, "x", item)); }},
      {"line 2706", [&] { channels.PlayVoice(SoundItem{}); }},
      {"line 2708",
       [&] {
         channels.PlayPlaylist(Playlist{{Load(kPartA)}, 1});
       }},
      {"line 2704",
       [&] {
         channels.Shutdown();
         platform.refuseAudio = 2;
         channels.Start();
         EXPECT_FALSE(channels.isOpen());
         EXPECT_FALSE(channels.LoadSound(*file, kRamp, "x", item));
         channels.PlayVoice(item);
       }},
  };
  for (const auto& [line, misuse] : cases) {
    disk.boxTexts.clear();
    misuse();
    EXPECT_TRUE(disk.BoxSaid(line)) << line;
    EXPECT_EQ(Busy(), "----") << line;
  }
  // The bad records' locks were given back: one more release is one too many.
  EXPECT_EQ(disk.stack.library.StarReleaseResource(*file, kBadRate), ProgramCode::kPackUseCount);
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

// A playlist plays on to its end and then from its loop entry; played again it starts from the
// first item; without a loop entry it ends after its last.
TEST_F(SoundChannelsTest, PlaylistLoopsToItsEntryAndRestartsFromTheFirst) {
  channels.Start();
  Playlist playlist{{Load(kPartA), Load(kPartB), Load(kPartC)}, 1};
  channels.PlayPlaylist(playlist);
  Samples expected;
  for (int part : {131, 132, 133, 132, 133, 132, 133})
    expected.insert(expected.end(), 100, Wide(part));
  EXPECT_EQ(First(700), expected);
  EXPECT_EQ(Busy(), "---t");
  channels.PlayPlaylist(playlist);
  expected = Repeat(Wide(131), 100);
  expected.push_back(Wide(132));
  EXPECT_EQ(First(101), expected);
  playlist.loopEntry.reset();
  channels.PlayPlaylist(playlist);
  expected = Repeat(Wide(131), 100);
  for (int part : {132, 133}) expected.insert(expected.end(), 100, Wide(part));
  expected.push_back(0);
  EXPECT_EQ(First(301), expected);
  EXPECT_EQ(Busy(), "----");
}

TEST_F(SoundChannelsTest, StopAndStopRecordSilenceTheirChannels) {
  channels.Start();
  SoundItem& longer = Load(kLong);
  channels.PlayVoice(longer);
  channels.PlayEffect(longer, EffectMode::kMultiple);
  channels.PlayPlaylist(Playlist{{Load(kFlat144), longer}, 0});
  SoundItem& looping = Load(kFlat160);
  looping.loop = true;
  channels.PlayEffect(looping, EffectMode::kMultiple);
  EXPECT_EQ(First(1), (Samples{2 * Wide(150) + 4096 + 8192}));
  // The record stops everywhere: the voice, effect 1 and the playlist that holds it.
  channels.StopRecord(file->serial(), kLong);
  EXPECT_EQ(Busy(), "--2-");
  EXPECT_EQ(First(1), (Samples{8192}));
  // Stop pumps at once; its flags are channels 1, 2, 3, then 0.
  channels.PlayVoice(longer);
  channels.Stop(false, true, false, false);
  EXPECT_EQ(Busy(), "v---");
  EXPECT_EQ(First(2001), Repeat(Wide(150), 2001));
  channels.Stop(false, false, false, true);
  EXPECT_EQ(Mixed(), Repeat(0, 3 * 2048));
  // Released while it plays, an item stops and gives its lock back.
  channels.PlayVoice(longer);
  channels.ReleaseSound(longer);
  EXPECT_EQ(Busy(), "----");
  EXPECT_EQ(disk.stack.library.StarReleaseResource(*file, kLong), ProgramCode::kPackUseCount);
}

// A wait step stands for a clock that moves only when the runtime takes messages: each step
// plays one buffer out. The voice's 24676 frames fill 13 pumps of 2048: three in the first pump,
// then one a step; its last sample is followed by silence.
TEST_F(SoundChannelsTest, WaitVoiceDoneMixesUntilTheVoiceEnds) {
  channels.Start();
  int steps = 0;
  channels.setWaitStep([&] {
    ++steps;
    platform.audio->finishOldest();
  });
  channels.PlayVoice(Load(kVoiceLong));
  while (platform.audio->finishOldest()) {
  }
  channels.WaitVoiceDone();
  EXPECT_EQ(Busy(), "----");
  EXPECT_EQ(steps, 10);
  const std::vector<std::uint8_t> all = platform.audio->written();
  ASSERT_GE(all.size(), 2u * (3 * 8192 + 101));
  const std::size_t last = 2 * (3 * 8192 + 99);
  EXPECT_EQ((Samples{static_cast<std::int16_t>(all[last] | all[last + 1] << 8),
                     static_cast<std::int16_t>(all[last + 2] | all[last + 3] << 8)}),
            (Samples{Wide(140), 0}));
}

}  // namespace
}  // namespace lw
