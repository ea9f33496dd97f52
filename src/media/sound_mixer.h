// The mixer's parts: one channel's play of a sound item (its record's blocks decoded on demand
// and converted to the output's format and rate with the item's gains, added into a mix of
// 32-bit values) and the store of the summed mix into an output buffer.
//
// Rate steps to the 22050 Hz output:
//   RECORD RATE   RATE STEP
//   11025         2 (each frame twice)
//   22050         1
//   44100         -2 (the mean of each two frames)
//
// Gains. Each side's share of a pan value, on a scale of 128 (a linear balance: the side the
// sound moves away from fades, the other stays whole):
//   PAN          LEFT SHARE                RIGHT SHARE
//   0            128                       0
//   1 .. 127     128                       pan
//   128          128                       128         (centre: unchanged)
//   129 .. 254   (255 - pan) x 128 / 127   128
//   255          0                         128
// A side's gain is volume x share / (255 x 128) as g / 2^15, g rounded to nearest, so that
// volume 255 at the centre is exactly 1 and no gain exceeds 1. Volumes above 255 count as 255
// and pans above 255 as 255. A mono output takes the mean of the two sides' g: the panned sound
// as a stereo output folded to mono would give it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "media/fatal_site.h"
#include "media/sample_convert.h"
#include "media/sound_channels.h"
#include "media/sound_record.h"

namespace lw {

inline constexpr std::uint8_t kMixGainShift = 15;

// The gains of an item's volume and pan, as the table above gives them.
[[nodiscard]] TrackGains GainsFor(std::uint16_t volume, std::uint16_t pan);

// The rate step from a record's codec to the 22050 Hz output, as the table above gives it.
[[nodiscard]] int RateStepFor(const SoundCodec& codec);

// The source format of a record: unsigned 8-bit samples, one channel for one byte per frame,
// two (left, right) for two; nullopt for any other frame size, which the mixer cannot play.
[[nodiscard]] std::optional<SampleFormat> SourceFormatOf(const SoundRecordInfo& info);

// Stores the summed mix (values on the output's scale, interleaved as the output's channels)
// into `out` in the output's sample size, SATURATED at the sample limits: 16-bit values to
// -32768 .. 32767, 8-bit ones to -128 .. 127 around 128. Loud sounds together thus clip rather
// than wrap around to the opposite sign, which would crack.
void StoreMix(std::span<const std::int32_t> mix, int bytesPerSample, std::span<std::uint8_t> out);

// One channel's play of an item.
class SoundTrack {
 public:
  // Plays `item` (whose record must be set) from its start, to `output`.
  void Start(const SoundItem& item, SampleFormat output);
  // Plays the current item again from its start.
  void Restart();
  void Stop();

  [[nodiscard]] bool busy() const { return busy_; }
  [[nodiscard]] const SoundItem& item() const { return item_; }
  // Every whole group of the item's samples has been mixed.
  [[nodiscard]] bool playedOut() const;

  // Adds up to mix.size() / output channels frames, converted, to `mix` from where play stands,
  // and gives how many it added: fewer when the item played out, or when a block fails to
  // decode (the site comes back in `site`).
  std::size_t MixInto(std::span<std::int32_t> mix, FatalSite& site);

 private:
  // Decodes the next block; false with the site set when it fails.
  bool NextBlock(FatalSite& site);

  SoundItem item_;
  bool busy_ = false;
  SampleConversion conversion_;
  std::size_t groupBytes_ = 1;   // source bytes per rate group
  std::size_t groupFrames_ = 1;  // output frames per rate group
  std::optional<SoundBlockDecoder> decoder_;
  std::array<std::uint8_t, kMaxSoundBlockSize> block_{};
  std::size_t blockFill_ = 0;  // bytes of sound in block_
  std::size_t blockPos_ = 0;
  std::size_t remaining_ = 0;  // bytes of sound not yet decoded
};

}  // namespace lw
