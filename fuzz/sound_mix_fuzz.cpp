// Fuzzes the mixer's path from a sound record to the output buffer: a record that reads is played
// by one SoundTrack for a few buffers, with the fuzzed volume, pan, loop and output format, and
// every buffer is stored with StoreMix. The input is a prefix followed by a sound record:
//   OFFSET  SIZE  DESCRIPTION
//   0       2     volume (u16; above 255 counts as 255)
//   2       2     pan (u16; above 255 counts as 255)
//   4       1     flags: bit 0 loop, bit 1 8-bit output (else 16-bit), bit 2 stereo output
//   5       1     buffers to mix, 1 + (byte % 8)
//   6       2     frames per buffer, 1 + (u16 % 4096)
//   8       ...   the sound record
// Checks: a track never adds more frames than asked, fails only at the decoder's sites, and
// StoreMix saturates each 16-bit value. For a mono record without loop played to mono 16-bit
// output, the stored samples must also equal the mix worked out here from the decoded samples
// and the documented conversion rules (rate step, side gains, mean of the sides, clipping).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "common/byte_io.h"
#include "media/sound_mixer.h"
#include "media/sound_record.h"

namespace {

constexpr std::size_t kPrefixSize = 8;
constexpr std::size_t kMaxBuffers = 8;
constexpr std::size_t kMaxBufferFrames = 4096;
// Passes in a row that add nothing before a looping track counts as ended, as the channels do.
constexpr int kSilentPassLimit = 1;

void Check(bool condition) {
  if (!condition) std::abort();
}

bool KnownSite(lw::FatalSite site) {
  switch (site.errorLine) {
    case lw::errline::kSoundBlockBehindLast:
    case lw::errline::kSoundBlockOverrun:
    case lw::errline::kSoundBlockTruncated: return true;
    default: return false;
  }
}

// A side's gain on the scale of 2^15: volume x share / (255 x 128), rounded.
std::int64_t SideGain(std::int64_t volume, std::int64_t share) {
  return (volume * share * 32768 + 255 * 64) / (255 * 128);
}

// The mono gain of a volume and pan: the mean of the two sides'.
std::int64_t MonoGain(std::uint16_t volume, std::uint16_t pan) {
  const std::int64_t v = std::min<std::int64_t>(volume, 255);
  const std::int64_t p = std::min<std::int64_t>(pan, 255);
  const std::int64_t left = p <= 128 ? 128 : (255 - p) * 128 / 127;
  const std::int64_t right = p >= 128 ? 128 : p;
  return (SideGain(v, left) + SideGain(v, right)) / 2;
}

// The 16-bit mono output of a mono 8-bit sound played once, from its decoded samples: 11025 Hz
// samples twice each, 44100 Hz pairs as their mean (a last odd sample is dropped).
std::vector<std::int32_t> ExpectedMono(const std::vector<std::uint8_t>& samples,
                                       std::uint32_t rateMultiple, std::int64_t gain) {
  const auto value = [](std::uint8_t s) { return (std::int32_t{s} - 128) * 256; };
  const auto scaled = [gain](std::int32_t v) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>((v * gain) >> 15, -32768, 32767));
  };
  std::vector<std::int32_t> out;
  if (rateMultiple == 4) {
    for (std::size_t i = 0; i + 1 < samples.size(); i += 2)
      out.push_back(scaled((value(samples[i]) + value(samples[i + 1])) >> 1));
  } else {
    for (std::uint8_t s : samples)
      for (std::uint32_t r = 0; r < (rateMultiple == 1 ? 2u : 1u); ++r)
        out.push_back(scaled(value(s)));
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < kPrefixSize) return 0;
  lw::ByteReader prefix(std::span<const std::uint8_t>(data, kPrefixSize));
  lw::SoundItem item;
  item.volume = prefix.u16();
  item.pan = prefix.u16();
  const std::uint8_t flags = prefix.u8();
  item.loop = (flags & 1) != 0;
  const lw::SampleFormat output{static_cast<std::uint8_t>((flags & 4) != 0 ? 2 : 1),
                                static_cast<std::uint8_t>((flags & 2) != 0 ? 1 : 2)};
  const std::size_t buffers = 1 + prefix.u8() % kMaxBuffers;
  const std::size_t frames = 1 + prefix.u16() % kMaxBufferFrames;
  const lw::RecordBlock record(data + kPrefixSize, data + size);

  auto info = lw::ReadSoundRecord(record);
  if (!info || !lw::SourceFormatOf(*info)) return 0;
  item.record = &record;
  item.info = *info;

  lw::SoundTrack track;
  track.Start(item, output);
  const std::size_t values = frames * output.channels;
  std::vector<std::int32_t> mix(values);
  std::vector<std::uint8_t> out(values * output.bytesPerSample);
  std::vector<std::int32_t> stored;  // mono 16-bit output, for the model check
  bool failed = false;
  int silentPasses = 0;
  for (std::size_t b = 0; b < buffers; ++b) {
    std::fill(mix.begin(), mix.end(), 0);
    std::size_t done = 0;
    while (track.busy() && done < frames) {
      lw::FatalSite site;
      const std::size_t added = track.MixInto(std::span(mix).subspan(done * output.channels), site);
      Check(added <= frames - done);
      done += added;
      if (site.failed()) {
        Check(KnownSite(site));
        failed = true;
        track.Stop();
        break;
      }
      if (!track.playedOut()) break;
      silentPasses = added == 0 ? silentPasses + 1 : 0;
      if (!item.loop || silentPasses > kSilentPassLimit) {
        track.Stop();
        break;
      }
      track.Restart();
    }
    lw::StoreMix(mix, output.bytesPerSample, out);
    if (output.bytesPerSample == 2) {
      for (std::size_t i = 0; i < values; ++i) {
        const auto value = static_cast<std::int16_t>(lw::LoadU16(out.data() + 2 * i));
        Check(value == std::clamp(mix[i], -32768, 32767));
        if (output.channels == 1 && i < done) stored.push_back(value);
      }
    }
  }

  const bool modelled = !item.loop && !failed && output.channels == 1 &&
                        output.bytesPerSample == 2 && info->bytesPerFrame == 1;
  if (modelled && static_cast<std::size_t>(info->decodedLength) <= buffers * frames * 4) {
    auto decoded = lw::DecodeSoundRecord(record);
    if (!decoded) return 0;  // a block past what was played fails
    std::vector<std::int32_t> expected =
        ExpectedMono(decoded.value(), info->codec.rateMultiple, MonoGain(item.volume, item.pan));
    if (expected.size() > stored.size()) expected.resize(stored.size());
    Check(stored == expected);
  }
  return 0;
}
