// Fuzzes the sound record reader, the block decoder and the sample converter. The input is a
// parameter prefix for the converter followed by a sound record:
//   OFFSET  SIZE  DESCRIPTION
//   0       1     rate step: below 0x80 an index into kSteps, else the byte as a signed step
//   1       1     source format, 2       1     destination format (see FormatOf)
//   3       12    mono, left and right gains (i32 each)
//   15      3     mono, left and right shifts (0 .. 39, so that some are refused)
//   18      2     groups to convert (u16)
//   20      2     destination size in bytes (u16)
//   22      ...   the sound record
// Every block is decoded in turn; the whole-record decoder must agree with the block decoder;
// the converter runs over the first decoded samples into a destination of exactly its size.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "common/byte_io.h"
#include "media/sample_convert.h"
#include "media/sound_record.h"

namespace {

constexpr std::size_t kPrefixSize = 22;
constexpr std::size_t kKeptSamples = 1 << 16;  // decoded samples kept for checks and conversion
constexpr std::array<int, 8> kSteps{-4, -2, 1, 2, 4, 8, 0, 3};
constexpr std::uint8_t kRawStep = 0x80;
constexpr std::uint8_t kRawFormat = 0x10;
constexpr std::uint8_t kShiftRange = 40;

// A format byte: usually a valid one from its two low bits, raw (possibly invalid) with 0x10.
lw::SampleFormat FormatOf(std::uint8_t b) {
  if (b & kRawFormat) {
    return {static_cast<std::uint8_t>(b & 3), static_cast<std::uint8_t>((b >> 2) & 3)};
  }
  return {static_cast<std::uint8_t>(1 + (b & 1)), static_cast<std::uint8_t>(1 + ((b >> 1) & 1))};
}

bool KnownSite(lw::FatalSite site) {
  switch (site.errorLine) {
    case lw::errline::kSoundBlockBehindLast:
    case lw::errline::kSoundBlockOverrun:
    case lw::errline::kSoundRate:
    case lw::errline::kSoundHeader:
    case lw::errline::kSoundBlockTruncated: return true;
    default: return false;
  }
}

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < kPrefixSize) return 0;
  lw::ByteReader prefix(std::span<const std::uint8_t>(data, kPrefixSize));
  std::uint8_t step = prefix.u8();
  lw::SampleConversion conversion;
  conversion.rateStep =
      step < kRawStep ? kSteps[step % kSteps.size()] : static_cast<std::int8_t>(step);
  conversion.source = FormatOf(prefix.u8());
  conversion.dest = FormatOf(prefix.u8());
  conversion.gains.mono.gain = prefix.i32();
  conversion.gains.left.gain = prefix.i32();
  conversion.gains.right.gain = prefix.i32();
  conversion.gains.mono.shift = prefix.u8() % kShiftRange;
  conversion.gains.left.shift = prefix.u8() % kShiftRange;
  conversion.gains.right.shift = prefix.u8() % kShiftRange;
  std::size_t groups = prefix.u16();
  std::size_t room = prefix.u16();
  std::span<const std::uint8_t> record(data + kPrefixSize, size - kPrefixSize);

  auto info = lw::ReadSoundRecord(record);
  if (!info) {
    Check(KnownSite(info.error()));
    return 0;
  }
  // Decode every block; keep the first samples of the sound.
  const std::size_t blockSize = info->codec.blockSize;
  const std::size_t length = static_cast<std::size_t>(info->decodedLength);
  std::vector<std::uint8_t> kept;
  std::array<std::uint8_t, lw::kMaxSoundBlockSize> block;
  lw::SoundBlockDecoder decoder(record, *info);
  bool neededBlocksOk = true;
  for (std::size_t index = 0; !decoder.finished(); ++index) {
    lw::FatalSite site = decoder.decodeNext(block);
    Check(!site.failed() || KnownSite(site));
    if (index * blockSize >= length) continue;
    neededBlocksOk = neededBlocksOk && !site.failed();
    if (neededBlocksOk && kept.size() < kKeptSamples) {
      std::size_t take =
          std::min({blockSize, length - index * blockSize, kKeptSamples - kept.size()});
      kept.insert(kept.end(), block.begin(), block.begin() + static_cast<std::ptrdiff_t>(take));
    }
  }
  Check(decoder.decodeNext(block).errorLine == lw::errline::kSoundBlockBehindLast);

  if (length <= kKeptSamples) {
    auto whole = lw::DecodeSoundRecord(record);
    Check(whole.ok() == neededBlocksOk);
    if (whole.ok()) Check(whole.value() == kept);
  }

  std::vector<std::uint8_t> dest(room);
  std::size_t written = lw::ConvertSamples(conversion, kept, groups, dest);
  Check(written <= room);
  return 0;
}
