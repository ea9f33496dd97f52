// The four sound channels and the mixer, heard through the fake platform's audio stream
// (tests/support/storage_sound_channels.h). Gains, pan, saturation of 16-bit and 8-bit sound (on
// a device refusing 16-bit samples), the output level, 11025 Hz sound, theme sequences and
// halting mid-sound are checked in the title's WAV capture (tests/objects/track_sound_test.cpp);
// here is what that cannot reach.
#include "media/sound_channels.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

#include "support/storage_sound_channels.h"

namespace lw {
namespace {

using namespace test;  // the rig's record ids and sample helpers

class SoundChannelsTest : public ::testing::Test, protected SoundChannelsRig {};

// Each case plays its sounds on a device opened afresh and checks the three buffers of 2048
// frames the pump queues: the samples given, then silence.
TEST_F(SoundChannelsTest, WhatOnePumpMixes) {
  enum How { kVoice, kLoopVoice };
  struct Case {
    const char* name;
    std::vector<std::pair<SoundId, How>> plays;
    Samples heard;
    std::string busy = "----";
    std::size_t compared = 3 * 2048;
  };
  const Case cases[] = {
      {"44100 Hz: each frame the mean of two", {{kFast, kVoice}}, {1792, 6912}},
      {"looping from the start",
       {{kSlow, kLoopVoice}},
       {512, 512, 3072, 3072, 5632, 5632, 512, 512},
       "v---",
       8},
      {"looping with no whole frame ends", {{kHalfGroup, kLoopVoice}}, {}},
      // A block that points behind its record ends the sound after the first block.
      {"corrupt block", {{kCorrupt, kVoice}}, Samples(1024, Wide(150))},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    channels.Shutdown();
    channels.Start();
    seen = 0;
    for (const auto& [id, how] : c.plays) {
      SoundItem& item = Load(id);
      item.loop = how == kLoopVoice;
      channels.PlayVoice(item);
    }
    Samples expected = c.heard;
    expected.resize(3 * 2048, 0);
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
      {"line 2706", [&] { EXPECT_FALSE(channels.LoadSound(*file, kSoundCount + 5, "x", item)); }},
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
// Priorities are the record ids (kRamp 0 < kFlat160 1 < kFlat144 2 < kLong 3) unless a step
// gives one.
TEST_F(SoundChannelsTest, EffectChannelsByModeAndPriority) {
  channels.Start();
  struct Step {
    SoundId id;
    EffectMode mode;
    std::string effects;
    std::optional<std::uint32_t> priority = std::nullopt;
  };
  const Step steps[] = {
      {kFlat160, EffectMode::kSingle, "1 -1"},
      {kFlat160, EffectMode::kSingle, "1 -1"},   // restarts where it plays
      {kFlat160, EffectMode::kMultiple, "1 1"},  // overlaps itself
      {kRamp, EffectMode::kMultiple, "1 1"},     // lower than both: not played
      {kFlat144, EffectMode::kMultiple, "2 1"},  // the earlier of the tie gives way
      {kLong, EffectMode::kMultiple, "2 3", 1},  // equal to the lower: it gives way
      {kRamp, EffectMode::kBoth, "0 -1"},        // both stopped, on channel 1 alone
      {kFlat144, EffectMode::kSingle, "0 2"},    // not playing: chosen like kMultiple
  };
  for (const Step& step : steps) {
    SoundItem& item = Load(step.id);
    item.priority = step.priority.value_or(item.priority);
    channels.PlayEffect(item, step.mode);
    std::string effects;
    for (int c : {1, 2})
      effects += (c == 2 ? " " : "") +
                 std::to_string(channels.Playing(c) ? channels.Playing(c)->recordId : -1);
    EXPECT_EQ(effects, step.effects) << "step " << (&step - steps);
  }
}

// Samples of `value` for each of `parts`, `count` a part.
Samples Parts(std::initializer_list<int> parts, std::size_t count = 100) {
  Samples samples;
  for (int part : parts) samples.insert(samples.end(), count, Wide(part));
  return samples;
}

// A playlist plays on to its end and then from its loop entry; played again it starts from the
// first item; without a loop entry it ends after its last.
TEST_F(SoundChannelsTest, PlaylistLoopsToItsEntryAndRestartsFromTheFirst) {
  channels.Start();
  Playlist playlist{{Load(kPartA), Load(kPartB), Load(kPartC)}, 1};
  channels.PlayPlaylist(playlist);
  EXPECT_EQ(First(700), Parts({131, 132, 133, 132, 133, 132, 133}));
  EXPECT_EQ(Busy(), "---t");
  channels.PlayPlaylist(playlist);
  Samples restart = Parts({131});
  restart.push_back(Wide(132));
  EXPECT_EQ(First(101), restart);
  playlist.loopEntry.reset();
  channels.PlayPlaylist(playlist);
  Samples once = Parts({131, 132, 133});
  once.push_back(0);
  EXPECT_EQ(First(301), once);
  EXPECT_EQ(Busy(), "----");
}

// StopRecord stops a record everywhere; Stop's flags are channels 1, 2, 3, then 0; an item
// released while it plays stops and gives its lock back.
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
  channels.StopRecord(file->serial(), kLong);
  EXPECT_EQ(Busy(), "--2-");
  EXPECT_EQ(First(1), (Samples{8192}));
  channels.PlayVoice(longer);
  channels.Stop(false, true, false, false);
  EXPECT_EQ(Busy(), "v---");
  EXPECT_EQ(First(2001), Samples(2001, Wide(150)));
  channels.Stop(false, false, false, true);
  EXPECT_EQ(Mixed(), Samples(3 * 2048, 0));
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
  seen = 2 * (3 * 8192 + 99);  // the voice's last sample
  EXPECT_EQ(First(2), (Samples{Wide(140), 0}));
}

}  // namespace
}  // namespace lw
