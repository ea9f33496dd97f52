// WAV reading and writing: the RIFF chunk walk, the format checks and the sample conversion.
#include "authoring/wav_file.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <limits>
#include <optional>
#include <string_view>

#include "common/byte_io.h"

namespace lw::authoring {
namespace {

constexpr std::size_t kIdSize = 4;
constexpr std::size_t kChunkHeaderSize = 8;  // id and size
constexpr std::size_t kRiffHeaderSize = 12;  // "RIFF", size, "WAVE"
constexpr std::size_t kFmtSize = 16;
constexpr std::size_t kFmtExtensibleSize = 40;
constexpr std::uint16_t kExtensionMinSize = 22;
constexpr std::size_t kSubformatOffset = 24;
constexpr std::uint16_t kFormatPcm = 1;
constexpr std::uint16_t kFormatExtensible = 0xFFFE;
constexpr int kBitsPerByte = 8;
constexpr int kSample8Centre = 128;
constexpr int kSample8Shift = 8;  // an 8-bit sample's place in a 16-bit value, as Sample8To16

// The GUID that follows the format tag in an extensible format's subformat.
constexpr std::array<std::uint8_t, 14> kGuidTail = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                                    0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

bool HasId(std::span<const std::uint8_t> bytes, std::string_view id) {
  return bytes.size() >= kIdSize && std::equal(id.begin(), id.end(), bytes.begin());
}

void PutId(ByteWriter& w, std::string_view id) {
  for (char c : id) w.u8(static_cast<std::uint8_t>(c));
}

// A chunk id for messages: its four characters, or hex when any is not printable.
std::string IdText(std::span<const std::uint8_t> id) {
  const bool printable =
      std::all_of(id.begin(), id.end(), [](std::uint8_t c) { return c >= 0x20 && c < 0x7F; });
  if (printable) return "'" + std::string(id.begin(), id.end()) + "'";
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%02X%02X%02X%02X", id[0], id[1], id[2], id[3]);
  return hex;
}

struct Chunks {
  std::span<const std::uint8_t> fmt;
  std::span<const std::uint8_t> data;
  bool hasFmt = false;
  bool hasData = false;
};

// Walks the chunks of the RIFF body and keeps the first "fmt " and "data" chunks.
Expected<Chunks, std::string> FindChunks(std::span<const std::uint8_t> body) {
  Chunks chunks;
  while (body.size() >= kChunkHeaderSize) {
    const std::span<const std::uint8_t> id = body.first(kIdSize);
    const std::uint32_t size = LoadU32(body.data() + kIdSize);
    body = body.subspan(kChunkHeaderSize);
    if (size > body.size()) {
      return Unexpected{"chunk " + IdText(id) + " runs past the end of the file (" +
                        std::to_string(size) + " bytes, " + std::to_string(body.size()) + " left)"};
    }
    if (HasId(id, "fmt ") && !chunks.hasFmt) {
      chunks.fmt = body.first(size);
      chunks.hasFmt = true;
    } else if (HasId(id, "data") && !chunks.hasData) {
      chunks.data = body.first(size);
      chunks.hasData = true;
    }
    // An odd chunk is followed by a pad byte, which the file's last chunk may lack.
    body = body.subspan(std::min<std::size_t>(body.size(), std::size_t{size} + (size & 1)));
  }
  if (!body.empty()) return Unexpected{std::string("truncated chunk header at the end")};
  if (!chunks.hasFmt) return Unexpected{std::string("no 'fmt ' chunk")};
  if (!chunks.hasData) return Unexpected{std::string("no 'data' chunk")};
  return chunks;
}

struct Format {
  std::uint16_t channels = 0;
  std::uint32_t rate = 0;
  std::uint16_t blockAlign = 0;
  std::uint16_t bits = 0;
};

// Reads the format tag; the extensible form must name PCM as its subformat.
std::optional<std::string> CheckFormatTag(std::span<const std::uint8_t> fmt) {
  const std::uint16_t tag = LoadU16(fmt.data());
  if (tag == kFormatPcm) return std::nullopt;
  if (tag != kFormatExtensible)
    return "format tag " + std::to_string(tag) + " is not PCM (only PCM is read)";
  if (fmt.size() < kFmtExtensibleSize || LoadU16(fmt.data() + kFmtSize) < kExtensionMinSize)
    return std::string("extensible 'fmt ' chunk too short");
  const std::uint8_t* guid = fmt.data() + kSubformatOffset;
  if (LoadU16(guid) != kFormatPcm || !std::equal(kGuidTail.begin(), kGuidTail.end(), guid + 2))
    return std::string("extensible format whose subformat is not PCM (only PCM is read)");
  return std::nullopt;
}

Expected<Format, std::string> ReadFormat(std::span<const std::uint8_t> fmt) {
  if (fmt.size() < kFmtSize) return Unexpected{std::string("'fmt ' chunk too short")};
  if (auto failure = CheckFormatTag(fmt)) return Unexpected{*failure};
  ByteReader reader(fmt.subspan(sizeof(std::uint16_t)));
  Format format;
  format.channels = reader.u16();
  format.rate = reader.u32();
  reader.skip(sizeof(std::uint32_t));
  format.blockAlign = reader.u16();
  format.bits = reader.u16();
  if (format.channels == 0 || format.channels > kWavMaxChannels)
    return Unexpected{std::to_string(format.channels) + " channels (only mono or stereo)"};
  if (format.bits != kWavBits8 && format.bits != kWavBits16)
    return Unexpected{std::to_string(format.bits) + " bits per sample (only 8 or 16)"};
  if (format.rate == 0) return Unexpected{std::string("sample rate 0")};
  if (format.blockAlign != format.channels * format.bits / kBitsPerByte)
    return Unexpected{"block align " + std::to_string(format.blockAlign) + " does not fit " +
                      std::to_string(format.channels) + " channels of " +
                      std::to_string(format.bits) + " bits"};
  return format;
}

// The data chunk's whole frames as 16-bit values.
std::vector<std::int16_t> ReadSamples(std::span<const std::uint8_t> data, const Format& format) {
  const std::size_t bytesPerSample = format.bits / kBitsPerByte;
  const std::size_t count = data.size() / format.blockAlign * format.channels;
  std::vector<std::int16_t> samples(count);
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t* p = data.data() + i * bytesPerSample;
    samples[i] = format.bits == kWavBits8 ? Sample8To16(*p) : static_cast<std::int16_t>(LoadU16(p));
  }
  return samples;
}

}  // namespace

Expected<PcmSound, std::string> ParseWav(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < kRiffHeaderSize || !HasId(bytes, "RIFF") ||
      !HasId(bytes.subspan(kChunkHeaderSize), "WAVE")) {
    return Unexpected{std::string("not a RIFF WAVE file")};
  }
  const std::uint32_t riffSize = LoadU32(bytes.data() + kIdSize);
  if (riffSize < kIdSize || riffSize > bytes.size() - kChunkHeaderSize) {
    return Unexpected{"RIFF size " + std::to_string(riffSize) + " does not fit the file's " +
                      std::to_string(bytes.size()) + " bytes"};
  }
  auto chunks = FindChunks(bytes.subspan(kRiffHeaderSize, riffSize - kIdSize));
  if (!chunks) return Unexpected{chunks.error()};
  auto format = ReadFormat(chunks->fmt);
  if (!format) return Unexpected{format.error()};
  PcmSound sound;
  sound.sampleRate = format->rate;
  sound.channels = format->channels;
  sound.bitsPerSample = format->bits;
  sound.samples = ReadSamples(chunks->data, *format);
  return sound;
}

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
