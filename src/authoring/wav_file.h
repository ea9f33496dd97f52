// PCM sound as titlekit holds it, and the WAV files titlekit writes: uncompressed PCM, 8-bit
// unsigned or 16-bit signed, mono or stereo, at any sample rate. Sound files are read through
// libsndfile (audio_file.h).
//
// All numbers are little-endian. The file is one RIFF chunk of form "WAVE" holding a "fmt " and
// a "data" chunk:
//
//   OFFSET   SIZE      DESCRIPTION
//   0        4         "RIFF"
//   4        u32       size of what follows: 36 + the data size, padded to even
//   8        4         "WAVE"
//   12       4         "fmt "
//   16       u32       16, the size of the format
//   20       u16       format tag: 1 PCM
//   22       u16       channels: 1 or 2
//   24       u32       sample rate in Hz, above 0
//   28       u32       bytes per second: rate x block align
//   32       u16       block align: bytes per frame, channels x bits per sample / 8
//   34       u16       bits per sample: 8 (unsigned, centred on 128) or 16 (signed)
//   36       4         "data"
//   40       u32       data size in bytes
//   44       ...       the frames, each channel's sample in turn (left, then right), and one pad
//                      byte when the data size is odd
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/expected.h"

namespace lw::authoring {

inline constexpr std::uint16_t kWavBits8 = 8;
inline constexpr std::uint16_t kWavBits16 = 16;
inline constexpr std::uint16_t kWavMaxChannels = 2;

// An 8-bit sample (unsigned, centred on 128) at 16-bit scale.
constexpr std::int16_t Sample8To16(std::uint8_t sample) {
  constexpr int kCentre = 128;
  constexpr int kScale = 256;
  return static_cast<std::int16_t>((sample - kCentre) * kScale);
}

struct PcmSound {
  std::uint32_t sampleRate = 0;
  std::uint16_t channels = 1;        // 1 or 2
  std::uint16_t bitsPerSample = 16;  // the file's sample size: 8 or 16
  // Interleaved frames at 16-bit scale: an 8-bit sample s is held as (s - 128) x 256, so an
  // 8-bit sound writes back unchanged.
  std::vector<std::int16_t> samples;

  [[nodiscard]] std::size_t frames() const { return channels == 0 ? 0 : samples.size() / channels; }
};

// The bytes of a plain PCM WAV file of `sound` at its rate, channels and sample size. A sound
// with a channel count, sample size or rate that a WAV cannot hold, or too many samples for a
// RIFF size, gives the reason instead.
Expected<std::vector<std::uint8_t>, std::string> FormatWav(const PcmSound& sound);

}  // namespace lw::authoring
