// Sound record header checks and the block decoder.
#include "media/sound_record.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "common/byte_io.h"
#include "shell/program_code.h"

namespace lw {
namespace {

// A corrupt record is a bad file; asking for a block the record does not have is the caller's
// logic going wrong.
constexpr FatalSite BadRecord(std::int16_t line) {
  return {CodeNumber(ProgramCode::kBadFileType), line};
}
constexpr FatalSite BadRequest(std::int16_t line) {
  return {CodeNumber(ProgramCode::kLogic), line};
}

constexpr unsigned kNibbleBits = 4;

// The high and low nibble of a delta byte as signed 4-bit numbers.
inline std::uint8_t HighDelta(std::uint8_t d) {
  return static_cast<std::uint8_t>(static_cast<std::int8_t>(d) >> kNibbleBits);
}
inline std::uint8_t LowDelta(std::uint8_t d) {
  return static_cast<std::uint8_t>(
      static_cast<std::int8_t>(static_cast<std::uint8_t>(d << kNibbleBits)) >> kNibbleBits);
}

// Decodes `count` delta bytes from `in` to 2 x `count` samples at `dst`, starting from the
// running value `a`; gives the running value behind them.
std::uint8_t DecodeDeltas(const std::uint8_t* in, std::size_t count, std::uint8_t a,
                          std::uint8_t* dst) {
#if defined(__SSE2__)
  // Eight bytes at a time: their nibbles, made signed and interleaved high then low, are the
  // 16 steps, whose running sums (four shifted adds) added to the running value are the 16
  // values. The running value is kept in every byte of `base`, so that the chain from one chunk
  // to the next is a single add.
  const __m128i nibble = _mm_set1_epi8(0x0F);
  const __m128i signBit = _mm_set1_epi8(8);
  const auto signedNibbles = [&](__m128i n) {
    return _mm_sub_epi8(_mm_xor_si128(_mm_and_si128(n, nibble), signBit), signBit);
  };
  // Every byte of the result is byte 15 of `v`.
  const auto lastByteEverywhere = [](__m128i v) {
    const __m128i high = _mm_unpackhi_epi8(v, v);
    return _mm_shuffle_epi32(_mm_unpackhi_epi16(high, high), 0xFF);
  };
  constexpr std::size_t kChunk = 8;
  __m128i base = _mm_set1_epi8(static_cast<char>(a + kSoundSampleBias));
  for (; count >= kChunk; count -= kChunk, in += kChunk, dst += 2 * kChunk) {
    const __m128i bytes = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(in));
    __m128i sums =
        _mm_unpacklo_epi8(signedNibbles(_mm_srli_epi16(bytes, kNibbleBits)), signedNibbles(bytes));
    sums = _mm_add_epi8(sums, _mm_slli_si128(sums, 1));
    sums = _mm_add_epi8(sums, _mm_slli_si128(sums, 2));
    sums = _mm_add_epi8(sums, _mm_slli_si128(sums, 4));
    sums = _mm_add_epi8(sums, _mm_slli_si128(sums, 8));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), _mm_add_epi8(base, sums));
    base = _mm_add_epi8(base, lastByteEverywhere(sums));
  }
  a = static_cast<std::uint8_t>(_mm_cvtsi128_si32(base) - kSoundSampleBias);
#endif
  for (const std::uint8_t* end = in + count; in != end; ++in) {
    a = static_cast<std::uint8_t>(a + HighDelta(*in));
    *dst++ = static_cast<std::uint8_t>(a + kSoundSampleBias);
    a = static_cast<std::uint8_t>(a + LowDelta(*in));
    *dst++ = static_cast<std::uint8_t>(a + kSoundSampleBias);
  }
  return a;
}

}  // namespace

const SoundCodec* FindSoundCodecByRate(std::uint32_t sampleRate) {
  for (const SoundCodec& codec : kSoundCodecs) {
    if (codec.sampleRate == sampleRate) return &codec;
  }
  return nullptr;
}

Expected<SoundRecordInfo, FatalSite> ReadSoundRecord(std::span<const std::uint8_t> record) {
  if (record.size() < kSoundBlockTableOffset) return Unexpected(BadRecord(errline::kSoundHeader));
  ByteReader reader(record);
  reader.skip(kSoundFrameBytesOffset);
  SoundRecordInfo info;
  info.bytesPerFrame = reader.i16();
  std::uint32_t rate = reader.u32();
  reader.skip(kSoundLengthOffset - kSoundRateOffset - sizeof(rate));
  info.decodedLength = reader.i32();
  info.blockCount = reader.u32();

  const SoundCodec* codec = FindSoundCodecByRate(rate);
  if (codec == nullptr) return Unexpected(BadRecord(errline::kSoundRate));
  info.codec = *codec;

  std::uint64_t tableBytes = std::uint64_t{info.blockCount} * kSoundBlockOffsetSize;
  std::uint64_t decodable = std::uint64_t{info.blockCount} * info.codec.blockSize;
  if (tableBytes > record.size() - kSoundBlockTableOffset || info.bytesPerFrame < 1 ||
      info.decodedLength < 0 || static_cast<std::uint64_t>(info.decodedLength) > decodable) {
    return Unexpected(BadRecord(errline::kSoundHeader));
  }
  return info;
}

FatalSite DecodeSoundBlock(std::span<const std::uint8_t> code, std::span<std::uint8_t> out) {
  const std::uint8_t* in = code.data();
  const std::uint8_t* const inEnd = in + code.size();
  std::uint8_t* dst = out.data();
  std::uint8_t* const dstEnd = dst + out.size();
  if (dst == dstEnd) return {};
  if (in == inEnd) return BadRecord(errline::kSoundBlockTruncated);

  std::uint8_t a = *in++;
  *dst++ = static_cast<std::uint8_t>(a + kSoundSampleBias);
  while (dst != dstEnd) {
    if (in == inEnd) return BadRecord(errline::kSoundBlockTruncated);
    std::uint8_t b = *in++;
    if (b < kSoundDeltaCode) {
      a = b;
      *dst++ = static_cast<std::uint8_t>(a + kSoundSampleBias);
      continue;
    }
    std::size_t count = static_cast<std::size_t>(b & kSoundCountMask) + 1;
    std::size_t room = static_cast<std::size_t>(dstEnd - dst);
    if (b >= kSoundRunCode) {
      if (count > room) return BadRecord(errline::kSoundBlockOverrun);
      std::memset(dst, static_cast<std::uint8_t>(a + kSoundSampleBias), count);
      dst += count;
      continue;
    }
    if (2 * count > room) return BadRecord(errline::kSoundBlockOverrun);
    if (count > static_cast<std::size_t>(inEnd - in)) {
      return BadRecord(errline::kSoundBlockTruncated);
    }
    a = DecodeDeltas(in, count, a, dst);
    in += count;
    dst += 2 * count;
  }
  return {};
}

namespace {

// The code of block `index`: the bytes from its offset to the end of the record.
FatalSite FindBlockCode(std::span<const std::uint8_t> record, const SoundRecordInfo& info,
                        std::uint32_t index, std::span<const std::uint8_t>& code) {
  if (index >= info.blockCount) return BadRequest(errline::kSoundBlockBehindLast);
  // The info may not come from this record; its table entry is checked again.
  std::size_t entry = kSoundBlockTableOffset + std::size_t{index} * kSoundBlockOffsetSize;
  if (info.codec.blockSize > kMaxSoundBlockSize || entry > record.size() ||
      record.size() - entry < kSoundBlockOffsetSize) {
    return BadRecord(errline::kSoundHeader);
  }
  std::uint32_t offset = LoadU32(record.data() + entry);
  code = offset < record.size() ? record.subspan(offset) : std::span<const std::uint8_t>{};
  return {};
}

}  // namespace

FatalSite DecodeSoundBlockAt(std::span<const std::uint8_t> record, const SoundRecordInfo& info,
                             std::uint32_t index, std::span<std::uint8_t, kMaxSoundBlockSize> out) {
  std::span<const std::uint8_t> code;
  if (FatalSite site = FindBlockCode(record, info, index, code); site.failed()) return site;
  return DecodeSoundBlock(code, out.first(info.codec.blockSize));
}

FatalSite SoundBlockDecoder::decodeNext(std::span<std::uint8_t, kMaxSoundBlockSize> out) {
  std::uint32_t index = next_;
  if (!finished()) ++next_;
  return DecodeSoundBlockAt(record_, info_, index, out);
}

Expected<std::vector<std::uint8_t>, FatalSite> DecodeSoundRecord(
    std::span<const std::uint8_t> record) {
  auto info = ReadSoundRecord(record);
  if (!info) return Unexpected(info.error());
  const std::size_t blockSize = info->codec.blockSize;
  std::vector<std::uint8_t> sound(static_cast<std::size_t>(info->decodedLength));
  std::array<std::uint8_t, kMaxSoundBlockSize> partial;
  std::uint32_t index = 0;
  for (std::size_t done = 0; done < sound.size(); done += blockSize, ++index) {
    std::span<const std::uint8_t> code;
    if (FatalSite site = FindBlockCode(record, *info, index, code); site.failed()) {
      return Unexpected(site);
    }
    // Full blocks decode in place; the last one, of which only a part is sound, aside.
    std::size_t take = std::min(blockSize, sound.size() - done);
    std::span<std::uint8_t> out = take == blockSize
                                      ? std::span<std::uint8_t>(sound).subspan(done, blockSize)
                                      : std::span<std::uint8_t>(partial).first(blockSize);
    if (FatalSite site = DecodeSoundBlock(code, out); site.failed()) return Unexpected(site);
    if (take != blockSize)
      std::copy_n(partial.begin(), take, sound.begin() + static_cast<std::ptrdiff_t>(done));
  }
  return sound;
}

}  // namespace lw
