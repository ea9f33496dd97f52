// WAV writing: the RIFF header, the format and the sample conversion.
#include "authoring/wav_file.h"

#include <limits>
#include <string_view>

#include "common/byte_io.h"

namespace lw::authoring {
namespace {

constexpr std::size_t kIdSize = 4;
constexpr std::size_t kChunkHeaderSize = 8;  // id and size
constexpr std::size_t kFmtSize = 16;
constexpr std::uint16_t kFormatPcm = 1;
constexpr int kBitsPerByte = 8;
constexpr int kSample8Centre = 128;
constexpr int kSample8Shift = 8;  // an 8-bit sample's place in a 16-bit value, as Sample8To16

void PutId(ByteWriter& w, std::string_view id) {
  for (char c : id) w.u8(static_cast<std::uint8_t>(c));
}

}  // namespace

Expected<std::vector<std::uint8_t>, std::string> FormatWav(const PcmSound& sound) {
  if (sound.channels == 0 || sound.channels > kWavMaxChannels)
    return Unexpected{std::to_string(sound.channels) + " channels (only mono or stereo)"};
  if (sound.bitsPerSample != kWavBits8 && sound.bitsPerSample != kWavBits16)
    return Unexpected{std::to_string(sound.bitsPerSample) + " bits per sample (only 8 or 16)"};
  if (sound.sampleRate == 0) return Unexpected{std::string("sample rate 0")};
  const std::uint16_t bytesPerSample = sound.bitsPerSample / kBitsPerByte;
  const std::uint16_t blockAlign = static_cast<std::uint16_t>(sound.channels * bytesPerSample);
  const std::uint64_t dataSize = std::uint64_t{sound.frames()} * blockAlign;
  const std::uint64_t padded = dataSize + (dataSize & 1);
  const std::uint64_t riffSize = kIdSize + 2 * kChunkHeaderSize + kFmtSize + padded;
  const std::uint64_t byteRate = std::uint64_t{sound.sampleRate} * blockAlign;
  constexpr std::uint32_t kMaxU32 = std::numeric_limits<std::uint32_t>::max();
  if (riffSize > kMaxU32 || byteRate > kMaxU32)
    return Unexpected{std::string("too much sound for a WAV file")};

  ByteWriter w;
  PutId(w, "RIFF");
  w.u32(static_cast<std::uint32_t>(riffSize));
  PutId(w, "WAVE");
  PutId(w, "fmt ");
  w.u32(kFmtSize);
  w.u16(kFormatPcm);
  w.u16(sound.channels);
  w.u32(sound.sampleRate);
  w.u32(static_cast<std::uint32_t>(byteRate));
  w.u16(blockAlign);
  w.u16(sound.bitsPerSample);
  PutId(w, "data");
  w.u32(static_cast<std::uint32_t>(dataSize));
  const std::size_t count = sound.frames() * sound.channels;
  for (std::size_t i = 0; i < count; ++i) {
    const std::int16_t v = sound.samples[i];
    if (sound.bitsPerSample == kWavBits8) {
      w.u8(static_cast<std::uint8_t>((v >> kSample8Shift) + kSample8Centre));
    } else {
      w.i16(v);
    }
  }
  w.zeros(padded - dataSize);
  return w.take();
}

}  // namespace lw::authoring
