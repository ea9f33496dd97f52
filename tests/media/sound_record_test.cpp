// Sound records, the block decoder and the sample converter. That no malformed record reads or
// writes out of bounds is the fuzz target's job (fuzz/sound_block_fuzz.cpp).
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "media/sample_convert.h"
#include "media/sound_record.h"
#include "support/storage_sound_records.h"

namespace lw {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::SoundRecordOf;
using Block = std::array<std::uint8_t, kMaxSoundBlockSize>;

Bytes Decode(const Bytes& code, std::size_t size) {
  Bytes out(size);
  EXPECT_FALSE(DecodeSoundBlock(code, out).failed());
  return out;
}

void ExpectSite(FatalSite site, std::int16_t line, std::int16_t programCode) {
  EXPECT_EQ(site.errorLine, line);
  EXPECT_EQ(site.programCode, programCode);
}

// Records of every rate are read by the sound encoder's tests, one byte to a sample frame.
TEST(SoundRecordTest, HeaderFieldsAndRejectedHeaders) {
  auto info = ReadSoundRecord(SoundRecordOf(44100, Bytes(2 * 2048 - 10, 64), 2));
  ASSERT_TRUE(info.ok());
  EXPECT_EQ((std::vector<std::int64_t>{info->codec.number, info->blockCount, info->sampleFrames()}),
            (std::vector<std::int64_t>{4, 2, 2048 - 5}));
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
  EXPECT_EQ(headerSite(0, 0, 0, 47), 2713);        // block table cut short
  EXPECT_EQ(headerSite(40, 0x40000000, 4), 2713);  // more blocks than the record holds
  EXPECT_EQ(headerSite(36, 0xFFFFFFFF, 4), 2713);  // negative length
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
  // Deltas of every nibble, many to a code, from a value near the wrap: the running value steps by
  // each signed nibble, high first, and wraps.
  Bytes varied{0x7A, 0xBF};
  std::vector<int> steps;
  for (int i = 0; i < 64; ++i) {
    const auto byte = static_cast<std::uint8_t>(i * 37 + 11);
    varied.push_back(byte);
    steps.push_back(((byte >> 4) ^ 8) - 8);
    steps.push_back(((byte & 15) ^ 8) - 8);
  }
  Bytes wantVaried{0xBA};
  for (const int step : steps)
    wantVaried.push_back(static_cast<std::uint8_t>(wantVaried.back() + step));
  EXPECT_EQ(Decode(varied, 129), wantVaried);

  Bytes out(8);
  // A run one too long; a delta of 2 samples with room for 1; a missing delta byte; no bytes.
  ExpectSite(DecodeSoundBlock(Bytes{0x40, 0xC7}, out), 2701, 111);
  ExpectSite(DecodeSoundBlock(Bytes{0x40, 0xC5, 0x80, 0x00}, out), 2701, 111);
  ExpectSite(DecodeSoundBlock(Bytes{0x40, 0xC0, 0x81, 0x00}, out), 2714, 111);
  ExpectSite(DecodeSoundBlock(Bytes{}, out), 2714, 111);
  Bytes record = SoundRecordOf(11025, Bytes(512, 64));
  record[44] = static_cast<std::uint8_t>(record.size());  // the block's offset at the record's end
  ExpectSite(DecodeSoundRecord(record).error(), 2714, 111);
  // A header that does not belong to the record names a table entry it does not have.
  SoundRecordInfo info = ReadSoundRecord(record).value();
  info.blockCount = 1000;
  Block buffer;
  ExpectSite(DecodeSoundBlockAt(record, info, 999, buffer), 2713, 111);
  ExpectSite(DecodeSoundBlockAt(record, info, 1000, buffer), 2700, 110);
}

TEST(SoundRecordTest, BlockSizesAndStreaming) {
  // Whole records of many blocks, and lengths that end inside a block, are decoded by the sound
  // encoder's tests.
  for (const SoundCodec& codec : kSoundCodecs) {
    // The block of a record of one block follows its 44 header bytes and 4 of table.
    const Bytes first = SoundRecordOf(codec.sampleRate, Bytes(codec.blockSize, 71));
    const Bytes record = test::SoundRecordOfBlocks(
        codec.sampleRate, {Bytes(first.begin() + 48, first.end()), {0x40, 0xC0}},
        static_cast<std::int32_t>(2 * codec.blockSize));
    SoundBlockDecoder decoder(record, ReadSoundRecord(record).value());
    Block buffer;
    buffer.fill(0xEE);
    ASSERT_FALSE(decoder.decodeNext(buffer).failed());
    Bytes want(kMaxSoundBlockSize, 0xEE);
    std::fill_n(want.begin(), codec.blockSize, 71);
    EXPECT_EQ(Bytes(buffer.begin(), buffer.end()), want);
    // The second block fills 2 of its samples: the code runs out before the block is full.
    ExpectSite(decoder.decodeNext(buffer), 2714, 111);
    ExpectSite(decoder.decodeNext(buffer), 2700, 110);
    EXPECT_EQ(decoder.nextBlock(), 2u);
  }
}

// Converts with the destination filled with 0xEE and checks that nothing behind the returned
// position changed.
Bytes Convert(const SampleConversion& c, const Bytes& source, std::size_t groups,
              std::size_t room = 64) {
  Bytes dest(room, 0xEE);
  const std::size_t written = ConvertSamples(c, source, groups, dest);
  EXPECT_EQ(std::count(dest.begin() + static_cast<std::ptrdiff_t>(written), dest.end(), 0xEE),
            static_cast<std::ptrdiff_t>(room - written));
  dest.resize(written);
  return dest;
}

SampleConversion Conv(std::uint8_t srcCh, std::uint8_t srcBytes, std::uint8_t dstCh,
                      std::uint8_t dstBytes, int rate = kRateSame, TrackGains gains = {}) {
  return {{srcCh, srcBytes}, {dstCh, dstBytes}, rate, gains};
}
TrackGains Mono(std::int32_t gain, std::uint8_t shift) { return {{gain, shift}, {}, {}}; }

TEST(SampleConvertTest, RateStepsSampleSizesChannelsAndGains) {
  const Bytes source{136, 132, 127, 126, 127, 127, 127, 126};  // 8, 4, -1, -2, -1, -1, -1, -2
  const TrackGains gains{{5, 0}, {1, 0}, {3, 1}};
  const TrackGains mix{{5, 0}, {2, 0}, {1, 1}};
  const Bytes wide{0x34, 0x12, 0xFF, 0xFF, 0x00, 0x80, 0xFF, 0x7F};  // 4660, -1, -32768, 32767
  const struct {
    SampleConversion conversion;
    Bytes source;
    std::size_t groups;
    Bytes converted;
  } cases[] = {
      // Averages round towards minus infinity: (8+4-1-2)/4 = 2, (-1-1-1-2)/4 = -2.
      {Conv(1, 1, 1, 1, kRateDown4), source, 2, {130, 126}},
      {Conv(1, 1, 1, 1, kRateDown2), source, 4, {134, 126, 127, 126}},
      {Conv(1, 1, 1, 1, kRateSame), source, 8, source},
      {Conv(1, 1, 1, 1, kRateUp2), source, 2, {136, 136, 132, 132}},
      {Conv(1, 1, 1, 1, kRateUp4), source, 1, Bytes(4, 136)},
      {Conv(1, 1, 1, 2), {129, 127}, 2, {0x00, 0x01, 0x00, 0xFF}},
      {Conv(1, 1, 1, 2, kRateDown2), {129, 130}, 1, {0x80, 0x01}},
      {Conv(1, 2, 1, 1), wide, 4, {0x92, 0x7F, 0, 0xFF}},
      {Conv(1, 2, 1, 2, kRateUp2), {0x34, 0x12}, 1, {0x34, 0x12, 0x34, 0x12}},
      // Mono to stereo: one value, each channel's own gain (10 and 30 >> 1).
      {Conv(1, 1, 2, 1, kRateSame, gains), {138}, 1, {138, 143}},
      // Stereo to stereo keeps the channels apart; the mono gain plays no part.
      {Conv(2, 1, 2, 1, kRateSame, gains), {138, 120}, 1, {138, 116}},
      // Stereo to mono: (10 x 2 + (-6 >> 1)) >> 1 = 8, and (0 + (-6 >> 1)) >> 1 = -2.
      {Conv(2, 1, 1, 1, kRateSame, mix), {138, 122, 128, 122}, 2, {136, 126}},
      // Averages (256 + 768) / 2 and (512 + 512) / 2, then (512 x 2 + (512 >> 1)) >> 1 = 640.
      {Conv(2, 2, 1, 2, kRateDown2, mix), {0, 1, 0, 2, 0, 3, 0, 2}, 1, {0x80, 0x02}},
      // No saturation: 100 x 3 + 128 wraps to 172; -5 >> 1 rounds down to -3.
      {Conv(1, 1, 1, 1, kRateSame, Mono(3, 0)), {228}, 1, {172}},
      {Conv(1, 1, 1, 1, kRateSame, Mono(1, 1)), {123}, 1, {125}},
      // 20000 x 2 keeps its low 16 bits; 32767 x 0x20000 wraps to -131072 before the shift.
      {Conv(1, 2, 1, 2, kRateSame, Mono(2, 0)), {0x20, 0x4E}, 1, {0x40, 0x9C}},
      {Conv(1, 2, 1, 2, kRateSame, Mono(0x20000, 24)), {0xFF, 0x7F}, 1, {0xFF, 0xFF}},
      {Conv(1, 2, 1, 1, kRateSame, Mono(-1, 31)), {0x00, 0x01}, 1, {127}},
      // Only whole groups that both sides hold are converted; bad formats convert nothing.
      {Conv(1, 1, 1, 1, kRateDown4), Bytes(7, 128), 9, {128}},
      {Conv(3, 1, 1, 1), {128, 128, 128}, 1, {}},
      {Conv(1, 1, 1, 4), {128}, 1, {}},
      {Conv(1, 1, 1, 1, kRateSame, Mono(1, 32)), {128}, 1, {}},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i)
    EXPECT_EQ(Convert(cases[i].conversion, cases[i].source, cases[i].groups), cases[i].converted)
        << "case " << i;
  for (int other : {0, 3, 8, -1, -8})
    EXPECT_TRUE(Convert(Conv(1, 1, 1, 1, other), source, 2).empty()) << other;
  EXPECT_EQ(Convert(Conv(1, 1, 1, 1, kRateUp4), source, 8, 10).size(), 8u);
}

// The mixer's form: the same values added to 32-bit sums, a 1-byte destination's without its 128.
TEST(SampleConvertTest, AddingToSums) {
  using Sums = std::vector<std::int32_t>;
  const auto add = [](const SampleConversion& c, const Bytes& source, std::size_t groups,
                      Sums sums) {
    sums.resize(AddConvertedSamples(c, source, groups, sums));
    return sums;
  };
  const Bytes wide{0x34, 0x12, 0xFF, 0xFF, 0x00, 0x80, 0xFF, 0x7F};
  EXPECT_EQ(add(Conv(1, 1, 1, 2, kRateUp2), {129, 127}, 2, {1000, 1000, 1000, 1000, 7}),
            (Sums{1256, 1256, 744, 744}));
  EXPECT_EQ(add(Conv(1, 2, 1, 1), wide, 4, Sums(4, 0)), (Sums{18, -1, -128, 127}));
  EXPECT_EQ(add(Conv(1, 1, 2, 1, kRateSame, {{5, 0}, {1, 0}, {3, 1}}), {138}, 1, {1, 2}),
            (Sums{11, 17}));
  EXPECT_EQ(add(Conv(1, 1, 1, 2, kRateDown4), Bytes(8, 129), 9, Sums(3, 5)), (Sums{261, 261}));
  EXPECT_TRUE(add(Conv(1, 1, 1, 2, 3), {129}, 1, Sums(1, 0)).empty());
}

}  // namespace
}  // namespace lw
