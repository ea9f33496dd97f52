#include "support/storage_sound_channels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include "support/storage_sound_records.h"

namespace lw::test {

SoundChannelsRig::SoundChannelsRig() {
  std::vector<std::uint8_t> ramp(60);
  std::iota(ramp.begin(), ramp.end(), std::uint8_t{130});
  using Flat = std::vector<std::uint8_t>;
  std::vector<Bytes> records = {
      SoundRecordOf(22050, ramp),
      SoundRecordOf(22050, Flat(2000, 160)),
      SoundRecordOf(22050, Flat(2000, 144)),
      SoundRecordOf(22050, Flat(20000, 150)),
      SoundRecordOf(11025, {130, 140, 150}),
      SoundRecordOf(44100, {130, 140, 150, 160}),
      SoundRecordOf(22050, Flat(100, 131)),
      SoundRecordOf(22050, Flat(100, 132)),
      SoundRecordOf(22050, Flat(100, 133)),
      SoundRecordOf(8000, {}),
      SoundRecordOf(22050, Flat(30, 150), 3),
      SoundRecordOf(22050, Flat(2000, 150)),
      SoundRecordOf(22050, Flat(3 * 8192 + 100, 140)),
      SoundRecordOf(44100, {130}),
  };
  for (int i = 0; i < 4; ++i)
    records[kCorrupt][48 + i] = static_cast<std::uint8_t>(100000 >> (8 * i));
  WriteStarFile(disk.stack.files, TitlePath("sounds.str"), records);
  EXPECT_EQ(disk.stack.library.StarOpen(TitlePath("sounds.str"), file), ProgramCode::kOk);
}

SoundChannelsRig::~SoundChannelsRig() {
  channels.Shutdown();
  for (SoundItem& item : items) channels.ReleaseSound(item);
}

SoundItem& SoundChannelsRig::Load(std::int32_t id) {
  items.emplace_back();
  EXPECT_TRUE(channels.LoadSound(*file, id, "sound", items.back())) << id;
  return items.back();
}

Samples SoundChannelsRig::Mixed() {
  channels.Pump();
  const std::vector<std::uint8_t> all = platform.audio->written();
  Samples samples;
  for (std::size_t at = seen; at + 1 < all.size(); at += 2)
    samples.push_back(static_cast<std::int16_t>(all[at] | all[at + 1] << 8));
  seen = all.size();
  while (platform.audio->finishOldest()) {
  }
  return samples;
}

Samples SoundChannelsRig::First(std::size_t count) {
  Samples samples = Mixed();
  samples.resize(std::min(count, samples.size()));
  return samples;
}

std::string SoundChannelsRig::Busy() {
  std::string busy;
  for (int c = 0; c < SoundChannels::kChannels; ++c) busy += channels.Busy(c) ? "v12t"[c] : '-';
  return busy;
}

}  // namespace lw::test
