// The sound channels over the fake platform's audio stream, with a scratch star file of sound
// records written by hand (storage_sound_records.h), so that every sample heard is one a test
// chose: the record's sample s is heard as (s - 128) x 256 in 16-bit output.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "media/sound_channels.h"
#include "support/shell_fake_platform.h"
#include "support/storage_scratch.h"

namespace lw::test {

using Samples = std::vector<int>;

// What the 16-bit output has for sample s at full volume.
constexpr int Wide(int s) { return (s - 128) * 256; }

// Record ids of the scratch file, in the order its records are written.
enum SoundId : std::int32_t {
  kRamp,       // 130, 131, ... 189
  kFlat160,    // 2000 of 160: heard as 8192
  kFlat144,    // 2000 of 144: heard as 4096
  kLong,       // 20000 of 150
  kSlow,       // 130, 140, 150 at 11025 Hz
  kFast,       // 130, 140, 150, 160 at 44100 Hz
  kPartA,      // 100 of 131
  kPartB,      // 100 of 132
  kPartC,      // 100 of 133
  kBadRate,    // at 8000 Hz, which the mixer does not play
  kWideFrame,  // 3 bytes to a frame
  kCorrupt,    // 2000 of 150, its second block's offset past the end
  kVoiceLong,  // 3 x 8192 + 100 of 140
  kHalfGroup,  // one sample at 44100 Hz: less than an output frame
  kSoundCount
};

struct SoundChannelsRig {
  SoundChannelsRig();
  ~SoundChannelsRig();

  // Loads record `id` into a new item, released at the end.
  SoundItem& Load(std::int32_t id);
  // Pumps, and gives the 16-bit samples of the buffers that pump queued, then lets them play out.
  Samples Mixed();
  // The first `count` samples of the next pump.
  Samples First(std::size_t count);
  // Which channels are busy: "v" the voice, "1" and "2" the effects, "t" the theme, "-" idle.
  std::string Busy();

  ScratchStorage<> disk;
  testing::FakePlatform platform;
  SoundOutput output{platform, disk.stack.boxes, disk.stack.errors};
  SoundChannels channels{disk.stack.library, disk.stack.errors, output};
  StarFile* file = nullptr;
  std::deque<SoundItem> items;
  std::size_t seen = 0;  // bytes of the stream's output already given
};

}  // namespace lw::test
