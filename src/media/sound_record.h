// Sound records: the stored form of every sound of a title (movie sounds, theme music, voices and
// effects), 8-bit samples compressed with a 4-bit delta code in blocks of a fixed decoded size.
// This module reads a record's header and decodes its blocks; playing them is the mixer's job.
// The functions are pure: a failure comes back as a FatalSite for the caller to report.
//
// All numbers are little-endian; offsets are from the start of the record.
//
//   OFFSET   SIZE      DESCRIPTION
//   0        26        not read (an encoder writes zeros)
//   26       i16       bytes per sample frame, at least 1
//   28       u32       sample rate: 11025, 22050 or 44100
//   32       4         not read (zeros)
//   36       i32       decoded length in bytes, 0 .. block count x block size
//   40       u32       block count N
//   44       N x u32   block offsets: each block's first byte, as an offset from the record start
//   44+4N    ...       the compressed blocks, in any order; several offsets may share one block
//
// The rate chooses the codec and with it the decoded size of every block (the last block is
// decoded in full too; the decoded length says how much of it is sound):
//
//   RATE    CODEC   BLOCK SIZE   RATE MULTIPLE (of 11025 Hz)
//   11025   2       512          1
//   22050   3       1024         2
//   44100   4       2048         4
//
// Block code. A running 8-bit value a (wrapping) gives every sample as a + 64, so the samples
// carry 7 bits centred on 128. The block's first byte is the first a and gives the first sample.
// Code bytes b follow until the block holds exactly its block size of samples:
//
//   CODE         BYTES AFTER        SAMPLES       MEANING
//   0x00..0x7F   0                  1             set: a = b, one sample
//   0x80..0xBF   n = (b & 63) + 1   2n            delta: for each byte d, a += hi(d), one sample,
//                                                 then a += lo(d), one sample
//   0xC0..0xFF   0                  (b & 63) + 1  run: that many samples of the current a
//
// hi(d) and lo(d) are d's high and low nibbles read as signed 4-bit numbers (-8 .. 7); 0x8F adds
// -8 and then -1. Bytes behind a full block are not read. A code whose samples would not fit in
// the block, or whose bytes run past the end of the record, is a corrupt block.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "common/expected.h"
#include "media/fatal_site.h"

namespace lw {

// Error lines of the sound record reader and the block decoder.
namespace errline {
inline constexpr std::int16_t kSoundBlockBehindLast = 2700;  // asked for block N or later
inline constexpr std::int16_t kSoundBlockOverrun = 2701;     // a code writes past the block size
inline constexpr std::int16_t kSoundRate = 2707;             // rate other than the three
inline constexpr std::int16_t kSoundHeader = 2713;           // header disagrees with the record
inline constexpr std::int16_t kSoundBlockTruncated = 2714;   // a code runs past the record's end
}  // namespace errline

inline constexpr std::size_t kSoundFrameBytesOffset = 26;
inline constexpr std::size_t kSoundRateOffset = 28;
inline constexpr std::size_t kSoundLengthOffset = 36;
inline constexpr std::size_t kSoundBlockCountOffset = 40;
inline constexpr std::size_t kSoundBlockTableOffset = 44;
inline constexpr std::size_t kSoundBlockOffsetSize = 4;

// The block code's numbers, for the decoder and for encoders.
inline constexpr std::uint8_t kSoundSampleBias = 64;   // sample = a + 64
inline constexpr std::uint8_t kSoundDeltaCode = 0x80;  // first delta code; below are set codes
inline constexpr std::uint8_t kSoundRunCode = 0xC0;    // first run code
inline constexpr std::uint8_t kSoundCountMask = 63;    // count - 1 in a delta or run code
inline constexpr std::size_t kSoundMaxCodeCount = kSoundCountMask + 1;

struct SoundCodec {
  std::uint32_t number = 0;
  std::uint32_t sampleRate = 0;
  std::uint32_t blockSize = 0;     // decoded bytes per block
  std::uint32_t rateMultiple = 0;  // sample rate / 11025
};

inline constexpr std::array<SoundCodec, 3> kSoundCodecs{{
    {2, 11025, 512, 1},
    {3, 22050, 1024, 2},
    {4, 44100, 2048, 4},
}};
inline constexpr std::size_t kMaxSoundBlockSize = 2048;

// The codec of a sample rate, or nullptr for a rate that no codec plays.
[[nodiscard]] const SoundCodec* FindSoundCodecByRate(std::uint32_t sampleRate);

// What a record's header says, checked against the record's size.
struct SoundRecordInfo {
  SoundCodec codec;
  std::int16_t bytesPerFrame = 1;
  std::int32_t decodedLength = 0;
  std::uint32_t blockCount = 0;

  [[nodiscard]] std::int32_t sampleFrames() const { return decodedLength / bytesPerFrame; }
};

// Reads and checks a record's header: an unknown rate is site 2707; a record too short for its
// header or block table, bytes per frame below 1, or a decoded length that is negative or larger
// than the blocks give is site 2713. Block offsets are checked when their block is decoded.
Expected<SoundRecordInfo, FatalSite> ReadSoundRecord(std::span<const std::uint8_t> record);

// Decodes one block whose code starts at code[0] into exactly out.size() samples. A code that
// would write past `out` is site 2701; a code that needs bytes behind `code` is site 2714.
FatalSite DecodeSoundBlock(std::span<const std::uint8_t> code, std::span<std::uint8_t> out);

// Decodes block `index` of a record into the first info.codec.blockSize bytes of `out`. An index
// of info.blockCount or more is site 2700; an offset behind the record is site 2714.
FatalSite DecodeSoundBlockAt(std::span<const std::uint8_t> record, const SoundRecordInfo& info,
                             std::uint32_t index, std::span<std::uint8_t, kMaxSoundBlockSize> out);

// Decodes a record's blocks one after another, as a sound plays: each call gives the next block.
// Holds a view of the record, which must outlive it; allocates nothing.
class SoundBlockDecoder {
 public:
  SoundBlockDecoder(std::span<const std::uint8_t> record, const SoundRecordInfo& info)
      : record_(record), info_(info) {}

  [[nodiscard]] std::uint32_t blockSize() const { return info_.codec.blockSize; }
  [[nodiscard]] std::uint32_t nextBlock() const { return next_; }
  [[nodiscard]] bool finished() const { return next_ >= info_.blockCount; }

  // Decodes the next block into the first blockSize() bytes of `out` and moves on; behind the
  // last block it is site 2700 and the position stays.
  FatalSite decodeNext(std::span<std::uint8_t, kMaxSoundBlockSize> out);

 private:
  std::span<const std::uint8_t> record_;
  SoundRecordInfo info_;
  std::uint32_t next_ = 0;
};

// The whole sound: the first decodedLength bytes of the blocks in order. The result's size is
// the header's decoded length, which ReadSoundRecord bounds by the record's block table.
Expected<std::vector<std::uint8_t>, FatalSite> DecodeSoundRecord(
    std::span<const std::uint8_t> record);

}  // namespace lw
