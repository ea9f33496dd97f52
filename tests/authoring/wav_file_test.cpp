// WAV files: every format titlekit writes reads back unchanged, the forms other tools write are
// read, and malformed files are refused with their reason, never read past their end.
#include "authoring/wav_file.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "common/byte_io.h"
#include "support/common_signals.h"

namespace lw::authoring {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Overwrites the little-endian u32 at `at`.
void PatchU32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// The body of a "fmt " chunk; with a `subformat`, the extensible form naming it (1 is PCM).
Bytes WavFmt(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate,
             std::uint16_t blockAlign, std::uint16_t bits, std::uint16_t subformat = 0) {
  ByteWriter w;
  w.u16(tag);
  w.u16(channels);
  w.u32(rate);
  w.u32(rate * blockAlign);
  w.u16(blockAlign);
  w.u16(bits);
  if (subformat != 0) {
    constexpr std::uint16_t kExtensionSize = 22;
    constexpr std::uint32_t kChannelMask = 3;
    w.u16(kExtensionSize);
    w.u16(bits);
    w.u32(kChannelMask);
    w.u16(subformat);
    w.bytes(std::vector<std::uint8_t>{0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71});
  }
  return w.take();
}

// A RIFF WAVE file of a "fmt " and a "data" chunk, after a "LIST" chunk of `before` if any.
Bytes WavFile(const Bytes& fmt, const Bytes& data, const Bytes& before = {}) {
  ByteWriter w;
  auto chunk = [&w](std::string_view id, const std::vector<std::uint8_t>& body) {
    for (char c : id) w.u8(static_cast<std::uint8_t>(c));
    w.u32(static_cast<std::uint32_t>(body.size()));
    w.bytes(body);
    if (body.size() % 2 != 0) w.u8(0);
  };
  for (char c : std::string_view("RIFF\0\0\0\0WAVE", 12)) w.u8(static_cast<std::uint8_t>(c));
  if (!before.empty()) chunk("LIST", before);
  chunk("fmt ", fmt);
  chunk("data", data);
  std::vector<std::uint8_t> bytes = w.take();
  constexpr std::size_t kRiffHeader = 8;  // "RIFF" and the size, which counts what follows
  PatchU32(bytes, 4, static_cast<std::uint32_t>(bytes.size() - kRiffHeader));
  return bytes;
}

TEST(WavFileTest, EachFormatRoundTrips) {
  for (std::uint16_t bits : {kWavBits8, kWavBits16}) {
    for (std::uint16_t channels : {1, 2}) {
      // An odd count of 8-bit mono samples also needs the data chunk's pad byte.
      const PcmSound sound{11025u * channels, channels, bits,
                           test::SampleSignal(
                               11025 * channels, channels, 1001,
                               [](double t, int c) { return c == 0 ? test::Sine(440, t) : -1.0; },
                               bits == kWavBits8)};
      auto bytes = FormatWav(sound);
      ASSERT_TRUE(bytes.ok());
      EXPECT_EQ(bytes->size() % 2, 0u);
      auto back = ParseWav(*bytes);
      ASSERT_TRUE(back.ok()) << back.error();
      EXPECT_EQ(std::vector<std::uint32_t>({back->sampleRate, back->channels, back->bitsPerSample}),
                std::vector<std::uint32_t>({sound.sampleRate, channels, bits}));
      EXPECT_EQ(back->samples, sound.samples) << bits << " bits, " << channels << " channels";
    }
  }
  // Three channels, 12 bits or no rate do not fit a WAV file.
  for (const PcmSound& wrong : {PcmSound{22050, 3, 16, {}}, {22050, 1, 12, {}}, {0, 1, 16, {}}})
    EXPECT_FALSE(FormatWav(wrong).ok()) << wrong.channels << ' ' << wrong.bitsPerSample;
}

TEST(WavFileTest, ExtensiblePcmAndOtherChunksAreRead) {
  const Bytes data = {0x00, 0x80, 0xFF, 0x7F, 0x01, 0x00, 0x00, 0x80};
  auto sound = ParseWav(WavFile(WavFmt(0xFFFE, 2, 48000, 4, 16, 1), data, {'o', 'd', 'd'}));
  ASSERT_TRUE(sound.ok()) << sound.error();
  EXPECT_EQ(sound->sampleRate, 48000u);
  EXPECT_EQ(sound->samples, (std::vector<std::int16_t>{-32768, 32767, 1, -32768}));
  // A partial frame behind the last whole one is left out.
  sound = ParseWav(WavFile(WavFmt(1, 2, 8000, 2, 8), {0x80, 0xFF, 0x00}));
  ASSERT_TRUE(sound.ok());
  EXPECT_EQ(sound->samples.size(), 2u);
}

TEST(WavFileTest, MalformedFilesAreRefusedWithTheirReason) {
  const Bytes good = WavFile(WavFmt(1, 1, 22050, 2, 16), Bytes(64, 1));
  ASSERT_TRUE(ParseWav(good).ok());
  auto patched = [&](std::size_t at, std::uint32_t value) {
    Bytes bytes = good;
    PatchU32(bytes, at, value);
    return bytes;
  };
  const std::size_t dataSizeAt = good.size() - 64 - 4;
  const std::pair<Bytes, std::string> cases[] = {
      // clang-format off
      {patched(8, 0x45564157 ^ 0x20), "not a RIFF WAVE file"},
      {patched(4, 0xFFFFFFF0), "RIFF size 4294967280 does not fit"},
      {patched(dataSizeAt, 0xFFFFFFFF), "chunk 'data' runs past the end of the file"},
      {patched(16, 1000), "chunk 'fmt ' runs past the end"},
      {WavFile(WavFmt(1, 0, 22050, 0, 16), {}), "0 channels (only mono or stereo)"},
      {WavFile(WavFmt(1, 3, 22050, 6, 16), {}), "3 channels (only mono or stereo)"},
      {WavFile(WavFmt(1, 1, 22050, 3, 24), {}), "24 bits per sample"},
      {WavFile(WavFmt(1, 1, 0, 2, 16), {}), "sample rate 0"},
      {WavFile(WavFmt(1, 2, 22050, 2, 16), {}), "block align 2 does not fit"},
      {WavFile(WavFmt(3, 1, 22050, 4, 32), {}), "format tag 3 is not PCM"},
      {WavFile(WavFmt(0xFFFE, 1, 22050, 2, 16, 3), {}), "subformat is not PCM"},
      {WavFile(WavFmt(0xFFFE, 1, 22050, 2, 16), {}), "extensible 'fmt ' chunk too short"},
      {WavFile(Bytes(14, 0), {}), "'fmt ' chunk too short"},
      // clang-format on
  };
  for (const auto& [bytes, reason] : cases) {
    auto sound = ParseWav(bytes);
    ASSERT_FALSE(sound.ok()) << reason;
    EXPECT_NE(sound.error().find(reason), std::string::npos) << sound.error();
  }
  // Every cut of a file is refused, not read past its end.
  for (std::size_t size = 0; size < good.size(); ++size)
    EXPECT_FALSE(ParseWav(std::span(good).first(size)).ok()) << size;
}

}  // namespace
}  // namespace lw::authoring
