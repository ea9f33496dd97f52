// WAV files as titlekit reads and writes sounds: uncompressed PCM, 8-bit unsigned or 16-bit
// signed, mono or stereo, at any sample rate.
//
// All numbers are little-endian. A WAV file is one RIFF chunk of form "WAVE":
//
//   OFFSET   SIZE      DESCRIPTION
//   0        4         "RIFF"
//   4        u32       size of what follows: the form type and the chunks
//   8        4         "WAVE"
//   12       ...       chunks: a 4-byte id, a u32 body size, the body, and one pad byte when
//                      the size is odd. Chunks other than "fmt " and "data" are skipped.
//
// The "fmt " chunk body (16 bytes, or 40 for the extensible form):
//
//   OFFSET   SIZE      DESCRIPTION
//   0        u16       format tag: 1 PCM, 0xFFFE extensible (then the subformat decides)
//   2        u16       channels: 1 or 2
//   4        u32       sample rate in Hz, above 0
//   8        u32       bytes per second (not read; written as rate x block align)
//   12       u16       block align: bytes per frame, channels x bits per sample / 8
//   14       u16       bits per sample: 8 (unsigned, centred on 128) or 16 (signed)
//   16       u16       extensible only: size of the extension, at least 22
//   18       u16       extensible only: valid bits per sample (not read)
//   20       u32       extensible only: channel mask (not read)
//   24       16        extensible only: subformat GUID; PCM's begins with 01 00 and ends as
//                      00 00 00 00 10 00 80 00 00 AA 00 38 9B 71
//
// The "data" chunk holds the frames, each channel's sample in turn (left, then right). A
// partial frame at the end of the data is ignored.
#pragma once

#include <cstdint>
#include <span>
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

// Reads a WAV file's bytes. The error is a ready reason, such as "chunk 'data' runs past the end
// of the file"; the caller adds the file name. Nothing is allocated beyond the file's samples.
Expected<PcmSound, std::string> ParseWav(std::span<const std::uint8_t> bytes);

// The bytes of a plain PCM WAV file of `sound` at its rate, channels and sample size. A sound
// with a channel count, sample size or rate that a WAV cannot hold, or too many samples for a
// RIFF size, gives the reason instead.
Expected<std::vector<std::uint8_t>, std::string> FormatWav(const PcmSound& sound);

}  // namespace lw::authoring
