// Sound records and the block decoder (that no malformed record reads or writes out of bounds is
// the fuzz target's job: fuzz/sound_block_fuzz.cpp); then the four sound channels and the mixer,
// heard through the fake platform's audio stream, with a scratch star file of sound records
// written by hand (storage_sound_records.h), so that every sample heard is one a test chose: the
// record's sample s is heard as (s - 128) x 256 in 16-bit output. Gains, pan, saturation, the
// output level, 11025 Hz sound and halting mid-sound are checked in the title's WAV capture
// (tests/objects/track_sound_test.cpp); here is what that cannot reach.
#include "media/sound_channels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <string>
#include <vector>

#include "media/sound_record.h"
#include "support/shell_fake_platform.h"
#include "support/storage_scratch.h"
#include "support/storage_sound_records.h"

namespace lw {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Samples = std::vector<int>;
using test::SoundRecordOf;

// The samples the block code `code` decodes to, `size` of them.
Bytes Decode(const Bytes& code, std::size_t size) {
  Bytes out(size);
  EXPECT_FALSE(DecodeSoundBlock(code, out).failed());
  return out;
}

void ExpectSite(FatalSite site, std::int16_t line, std::int16_t programCode) {
  EXPECT_EQ(site.errorLine, line);
  EXPECT_EQ(site.programCode, programCode);
}

TEST(SoundRecordTest, RejectedHeaders) {
  for (std::uint32_t rate : {8000u, 0u, 22051u})
    ExpectSite(ReadSoundRecord(SoundRecordOf(rate, {})).error(), 2707, 111);
  const Bytes good = SoundRecordOf(22050, Bytes(1024, 128));
  // The error line for the good record with `width` bytes at `at` set to `value`, cut to `keep`.
  auto headerSite = [&](std::size_t at, std::uint32_t value, int width, std::size_t keep = 999) {
    Bytes r = good;
    for (int i = 0; i < width; ++i) r[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
    r.resize(std::min(keep, r.size()));
    auto info = ReadSoundRecord(r);
    return info.ok() ? 0 : info.error().errorLine;
  };
  EXPECT_EQ(headerSite(0, 0, 0, 43), 2713);        // shorter than the header
  EXPECT_EQ(headerSite(40, 0x40000000, 4), 2713);  // more blocks than the record holds
  EXPECT_EQ(headerSite(36, 1025, 4), 2713);        // more bytes than the blocks give
  EXPECT_EQ(headerSite(26, 0, 2), 2713);           // 0 bytes per frame
  EXPECT_EQ(headerSite(36, 1024, 4), 0);
}

TEST(SoundRecordTest, BlockCodesAndCorruptBlocks) {
  // 0x8F changes the value by -8, then by -1.
  EXPECT_EQ(Decode({0x50, 0x80, 0x8F}, 3), (Bytes{0x90, 0x88, 0x87}));
  // The running value wraps both ways; a first byte from 0x80 is taken as it is.
  EXPECT_EQ(Decode({0x00, 0x80, 0x88, 0x7F, 0x80, 0x77, 0xC0}, 7),
            (Bytes{0x40, 0x38, 0x30, 0xBF, 0xC6, 0xCD, 0xCD}));
  EXPECT_EQ(Decode({0xC0, 0x81, 0x7F, 0x11}, 5), (Bytes{0x00, 0x07, 0x06, 0x07, 0x08}));
  // The longest delta (64 bytes, 128 samples) and run (64 samples); bytes behind are not read.
  Bytes code{0x00, 0xBF};
  code.insert(code.end(), 64, 0x11);
  code.insert(code.end(), {0xFF, 0x80});
  Bytes want(193, 0xC0);
  for (int i = 0; i <= 128; ++i) want[i] = static_cast<std::uint8_t>(0x40 + i);
  EXPECT_EQ(Decode(code, 193), want);

  Bytes out(8);
  // A run one too long; a delta of 2 samples with room for 1; a missing delta byte; no bytes.
  ExpectSite(DecodeSoundBlock(Bytes{0x40, 0xC7}, out), 2701, 111);
  ExpectSite(DecodeSoundBlock(Bytes{0x40, 0xC5, 0x80, 0x00}, out), 2701, 111);
  ExpectSite(DecodeSoundBlock(Bytes{0x40, 0xC0, 0x81, 0x00}, out), 2714, 111);
  ExpectSite(DecodeSoundBlock(Bytes{}, out), 2714, 111);
  Bytes record = SoundRecordOf(11025, Bytes(512, 64));
  record.resize(48);  // the block's offset at the record's end
  ExpectSite(DecodeSoundRecord(record).error(), 2714, 111);
}

// What the 16-bit output has for sample s at full volume.
constexpr int Wide(int s) { return (s - 128) * 256; }

// Record ids of the scratch file, in the order its records are written.
enum SoundId : std::int32_t {
  kRamp,       // 130, 131, 132
  kFlat160,    // 2000 of 160: heard as 8192
  kFlat144,    // 2000 of 144: heard as 4096
  kLong,       // 20000 of 150
  kSlow,       // 130, 140, 150 at 11025 Hz
  kFast,       // 130, 140, 150, 160 at 44100 Hz
  kPartA,      // 100 of 131
  kPartB,      // 100 of 132
  kPartC,      // 100 of 133
  kBadRate,    // at 8000 Hz, which the mixer does not play
  kCorrupt,    // 2000 of 150, its second block's offset past the end
  kHalfGroup,  // one sample at 44100 Hz: less than an output frame
  kSoundCount
};

class SoundChannelsTest : public ::testing::Test {
 protected:
  SoundChannelsTest() {
    const std::pair<std::uint32_t, Bytes> sounds[] = {
        {22050, {130, 131, 132}},  {22050, Bytes(2000, 160)},
        {22050, Bytes(2000, 144)}, {22050, Bytes(20000, 150)},
        {11025, {130, 140, 150}},  {44100, {130, 140, 150, 160}},
        {22050, Bytes(100, 131)},  {22050, Bytes(100, 132)},
        {22050, Bytes(100, 133)},  {8000, {}},
        {22050, Bytes(2000, 150)}, {44100, {130}}};
    std::vector<test::Bytes> records;
    for (const auto& [rate, samples] : sounds) records.push_back(SoundRecordOf(rate, samples));
    records[kCorrupt][49] = 0xFF;  // the second block's offset past the record's end
    test::WriteStarFile(disk.stack.files, test::TitlePath("sounds.str"), records);
    EXPECT_EQ(disk.stack.library.StarOpen(test::TitlePath("sounds.str"), file), ProgramCode::kOk);
  }
  ~SoundChannelsTest() override {
    channels.Shutdown();
    for (SoundItem& item : items) channels.ReleaseSound(item);
  }

  // Loads record `id` into a new item, released at the end.
  SoundItem& Load(std::int32_t id) {
    items.emplace_back();
    EXPECT_TRUE(channels.LoadSound(*file, id, "sound", items.back())) << id;
    return items.back();
  }
  // Pumps; the first `count` 16-bit samples of the buffers that pump queued, which then play out.
  Samples First(std::size_t count = 3 * 2048) {
    channels.Pump();
    const std::vector<std::uint8_t> all = platform.audio->written();
    Samples samples;
    for (std::size_t at = seen; at + 1 < all.size() && samples.size() < count; at += 2)
      samples.push_back(static_cast<std::int16_t>(all[at] | all[at + 1] << 8));
    seen = all.size();
    while (platform.audio->finishOldest()) {
    }
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
  std::size_t seen = 0;  // bytes of the stream's output already given
};

// Samples of `value` for each of `parts`, `count` a part, then `after`.
Samples Parts(std::initializer_list<int> parts, std::size_t count, Samples after = {}) {
  Samples samples;
  for (int part : parts) samples.insert(samples.end(), count, Wide(part));
  samples.insert(samples.end(), after.begin(), after.end());
  return samples;
}

// Each case plays a voice on a device opened afresh; the three buffers of 2048 frames the pump
// queues hold the samples given, then silence.
TEST_F(SoundChannelsTest, WhatOnePumpMixes) {
  const struct {
    const char* name;
    SoundId id;
    bool loop;
    Samples heard;
    std::string busy = "----";
  } cases[] = {
      {"44100 Hz: each frame the mean of two", kFast, false, {1792, 6912}},
      {"looping from the start", kSlow, true, {512, 512, 3072, 3072, 5632, 5632, 512, 512}, "v---"},
      {"looping with no whole frame ends", kHalfGroup, true, {}},
      // A block that points behind its record ends the sound after the first block.
      {"corrupt block", kCorrupt, false, Samples(1024, Wide(150))},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    channels.Shutdown();
    channels.Start();
    seen = 0;
    SoundItem& item = Load(c.id);
    item.loop = c.loop;
    channels.PlayVoice(item);
    Samples expected = c.heard;
    expected.resize(c.loop && !c.heard.empty() ? c.heard.size() : 3 * 2048, 0);
    EXPECT_EQ(First(expected.size()), expected);
    EXPECT_EQ(Busy(), c.busy);
  }
  EXPECT_TRUE(disk.BoxSaid("line 2714"));
}

// Misuse and bad records, each reported with its line; none loads or plays.
TEST_F(SoundChannelsTest, MisuseAndBadRecordsAreReported) {
  const auto reported = [&](const char* line) {
    const bool said = disk.BoxSaid(line);
    disk.boxTexts.clear();
    return said && Busy() == "----";
  };
  SoundItem item;
  channels.Start();
  channels.Start();
  EXPECT_TRUE(reported("line 2703"));
  EXPECT_FALSE(channels.LoadSound(*file, kSoundCount + 5, "x", item));
  EXPECT_TRUE(reported("line 2706"));
  EXPECT_FALSE(channels.LoadSound(*file, kBadRate, "x", item));
  EXPECT_TRUE(reported("line 2707"));
  channels.PlayVoice(SoundItem{});
  EXPECT_TRUE(reported("line 2706"));
  channels.PlayPlaylist(Playlist{{Load(kPartA)}, 1});
  EXPECT_TRUE(reported("line 2708"));
  // The bad record's lock was given back: one more release is one too many.
  EXPECT_EQ(disk.stack.library.StarReleaseResource(*file, kBadRate), ProgramCode::kPackUseCount);
  channels.Shutdown();
  platform.refuseAudio = 2;
  channels.Start();
  EXPECT_FALSE(channels.LoadSound(*file, kRamp, "x", item));
  channels.PlayVoice(item);
  EXPECT_TRUE(reported("line 2704"));
}

// Each step plays an effect; then channels 1 and 2 play the records given, -1 for none.
// Priorities are the record ids (kRamp 0 < kFlat160 1 < kFlat144 2 < kLong 3) unless a step
// gives one.
TEST_F(SoundChannelsTest, EffectChannelsByModeAndPriority) {
  channels.Start();
  const struct {
    SoundId id;
    EffectMode mode;
    std::string effects;
    int priority = -1;
  } steps[] = {
      {kFlat160, EffectMode::kSingle, "1 -1"},
      {kFlat160, EffectMode::kSingle, "1 -1"},   // restarts where it plays
      {kFlat160, EffectMode::kMultiple, "1 1"},  // overlaps itself
      {kRamp, EffectMode::kMultiple, "1 1"},     // lower than both: not played
      {kFlat144, EffectMode::kMultiple, "2 1"},  // the earlier of the tie gives way
      {kLong, EffectMode::kMultiple, "2 3", 1},  // equal to the lower: it gives way
      {kRamp, EffectMode::kBoth, "0 -1"},        // both stopped, on channel 1 alone
      {kFlat144, EffectMode::kSingle, "0 2"},    // not playing: chosen like kMultiple
  };
  for (const auto& step : steps) {
    SoundItem& item = Load(step.id);
    if (step.priority >= 0) item.priority = static_cast<std::uint32_t>(step.priority);
    channels.PlayEffect(item, step.mode);
    std::string effects;
    for (int c : {1, 2})
      effects += (c == 2 ? " " : "") +
                 std::to_string(channels.Playing(c) ? channels.Playing(c)->recordId : -1);
    EXPECT_EQ(effects, step.effects) << "step " << (&step - steps);
  }
}

// A playlist plays on to its end and then from its loop entry; played again it starts from the
// first item; without a loop entry it ends after its last.
TEST_F(SoundChannelsTest, PlaylistLoopsToItsEntryAndRestartsFromTheFirst) {
  channels.Start();
  Playlist playlist{{Load(kPartA), Load(kPartB), Load(kPartC)}, 1};
  channels.PlayPlaylist(playlist);
  EXPECT_EQ(First(700), Parts({131, 132, 133, 132, 133, 132, 133}, 100));
  EXPECT_EQ(Busy(), "---t");
  channels.PlayPlaylist(playlist);
  EXPECT_EQ(First(101), Parts({131}, 100, {Wide(132)}));
  playlist.loopEntry.reset();
  channels.PlayPlaylist(playlist);
  EXPECT_EQ(First(301), Parts({131, 132, 133}, 100, {0}));
  EXPECT_EQ(Busy(), "----");
}

// Stop's flags are channels 1, 2, 3, then 0; an item released while it plays stops wherever it
// plays, also in a playlist, and gives its lock back. (The voice waited for is heard in
// tests/objects/movie_play_test.cpp.)
TEST_F(SoundChannelsTest, StopAndReleaseSilenceTheirChannels) {
  channels.Start();
  SoundItem& longer = Load(kLong);
  channels.PlayVoice(longer);
  channels.PlayEffect(longer, EffectMode::kMultiple);
  channels.PlayPlaylist(Playlist{{Load(kFlat144), longer}, 0});
  SoundItem& looping = Load(kFlat160);
  looping.loop = true;
  channels.PlayEffect(looping, EffectMode::kMultiple);
  EXPECT_EQ(First(1), (Samples{2 * Wide(150) + 4096 + 8192}));
  channels.Stop(false, true, false, false);
  EXPECT_EQ(Busy(), "v1-t");
  EXPECT_EQ(First(1), (Samples{3 * Wide(150)}));  // the theme on to its second item
  channels.ReleaseSound(longer);
  EXPECT_EQ(Busy(), "----");
  EXPECT_EQ(First(), Samples(3 * 2048, 0));
  EXPECT_EQ(disk.stack.library.StarReleaseResource(*file, kLong), ProgramCode::kPackUseCount);
}

}  // namespace
}  // namespace lw
