// The reader of the delta codes in a frame's bit runs (frame_codec.h describes the code). It
// keeps up to 64 bits in a word and refills eight bytes at a time while the record has them (byte
// by byte near its end). One table look-up decodes a single code, or a group of up to four short
// codes at once, which is how the common small deltas are decoded.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace lw {

namespace delta_code {

inline constexpr int kByteBits = 8;
inline constexpr int kMaxZeros = 7;              // codes with more zeros are the escape
inline constexpr int kPeekBits = kMaxZeros + 2;  // the longest short code: zeros, 1, sign
inline constexpr int kEscapeZeros = kMaxZeros + 1;
inline constexpr int kLongestCode = kEscapeZeros + kByteBits;  // the escape and its value byte
inline constexpr int kGroupBits = 10;  // the bits one group look-up decodes from
inline constexpr int kGroupSize = 4;   // codes (and pixels) of a group at most

// One short code: its delta and its length in bits (0 for the escape or a cut-off code).
struct Code {
  std::uint8_t delta = 0;
  std::uint8_t length = 0;
};

// Decodes the short code at the top of a `bits`-bit prefix.
constexpr Code DecodePrefix(unsigned prefix, int bits) {
  int zeros = 0;
  while (zeros < bits && (prefix & (1u << (bits - 1 - zeros))) == 0) ++zeros;
  if (zeros >= kEscapeZeros || zeros + (zeros == 0 ? 1 : 2) > bits) return {};
  if (zeros == 0) return {0, 1};
  bool plus = (prefix >> (bits - 2 - zeros)) & 1u;
  auto magnitude = static_cast<std::uint8_t>(zeros);
  return {static_cast<std::uint8_t>(plus ? magnitude : -magnitude),
          static_cast<std::uint8_t>(zeros + 2)};
}

using CodeTable = std::array<Code, 1u << kPeekBits>;
constexpr CodeTable MakeCodeTable() {
  CodeTable table{};
  for (unsigned prefix = 0; prefix < table.size(); ++prefix)
    table[prefix] = DecodePrefix(prefix, kPeekBits);
  return table;
}
inline constexpr CodeTable kCodes = MakeCodeTable();

// The short codes that lie whole in a 10-bit prefix, up to four. `deltas` are in pixel order;
// `sums` are their running totals, the offsets of the pixels from a base when each pixel is
// coded against its left neighbour; `total` is the last running total. Entries are 16 bytes so
// that the look-up is a shift.
inline constexpr std::uint8_t kNoGroup = 0xFF;  // a length no word holds: the look-up fails
struct alignas(16) Group {
  std::array<std::uint8_t, kGroupSize> deltas{};
  std::array<std::uint8_t, kGroupSize> sums{};
  std::uint8_t count = 0;
  std::uint8_t length = kNoGroup;  // when the first code is an escape or does not fit the prefix
  std::uint8_t total = 0;
};

using GroupTable = std::array<Group, 1u << kGroupBits>;
constexpr GroupTable MakeGroupTable() {
  GroupTable table{};
  for (unsigned prefix = 0; prefix < table.size(); ++prefix) {
    Group& group = table[prefix];
    int length = 0;
    while (group.count < kGroupSize) {
      int left = kGroupBits - length;
      Code code = DecodePrefix(prefix & ((1u << left) - 1), left);
      if (code.length == 0) break;
      group.total = static_cast<std::uint8_t>(group.total + code.delta);
      group.deltas[group.count] = code.delta;
      group.sums[group.count] = group.total;
      length += code.length;
      ++group.count;
    }
    if (group.count != 0) group.length = static_cast<std::uint8_t>(length);
  }
  return table;
}
inline constexpr GroupTable kGroups = MakeGroupTable();

}  // namespace delta_code

class DeltaBitReader {
 public:
  // Reads the codes of one run, starting at `start`; it never reads at or beyond `end`.
  DeltaBitReader(const std::uint8_t* start, const std::uint8_t* end)
      : start_(start), next_(start), end_(end) {}

  // Decodes the next code into its delta (modulo 256). False when the record ends inside it.
  bool next(std::uint8_t& delta) {
    using namespace delta_code;
    if (bits_ < kLongestCode) refill();
    Code code = kCodes[window_ >> (kWordBits - kPeekBits)];
    int length = code.length;
    delta = code.delta;
    if (length == 0) {
      length = kLongestCode;
      delta = static_cast<std::uint8_t>(window_ >> (kWordBits - kLongestCode));
    }
    if (length > bits_) return false;
    consume(length);
    return true;
  }

  // The group of short codes that comes next, consumed; null (nothing consumed) when the next
  // code is an escape or the record ends within the group's bits. Use next() then.
  const delta_code::Group* nextGroup() {
    using namespace delta_code;
    if (bits_ < kLongestCode) refill();
    const Group& group = kGroups[window_ >> (kWordBits - kGroupBits)];
    if (group.length > bits_) return nullptr;
    consume(group.length);
    return &group;
  }

  // The bytes from `start` that hold bits of the codes read so far; the next field of the
  // record follows them.
  [[nodiscard]] std::size_t bytesUsed() const {
    constexpr std::size_t kByteBits = delta_code::kByteBits;
    std::size_t bitsUsed =
        static_cast<std::size_t>(next_ - start_) * kByteBits - static_cast<std::size_t>(bits_);
    return (bitsUsed + kByteBits - 1) / kByteBits;
  }

 private:
  static constexpr int kWordBits = 64;
  static constexpr int kWordBytes = 8;
  // A whole byte fits after the valid bits while at most this many are held.
  static constexpr int kRoomForByte = kWordBits - delta_code::kByteBits;

  void consume(int length) {
    window_ <<= length;
    bits_ -= length;
  }

  // Tops the word up to at least 56 valid bits, or to every byte left in the record. The bits
  // below the valid ones belong to the byte at next_, which a later refill ORs in again.
  void refill() {
    using delta_code::kByteBits;
    if (end_ - next_ >= kWordBytes) {
      std::uint64_t word;
      std::memcpy(&word, next_, kWordBytes);
      if constexpr (std::endian::native == std::endian::little) word = __builtin_bswap64(word);
      window_ |= word >> bits_;
      int whole = (kWordBits - 1 - bits_) / kByteBits;  // bytes that fit in full
      next_ += whole;
      bits_ += whole * kByteBits;
      return;
    }
    while (bits_ <= kRoomForByte && next_ != end_) {
      window_ |= static_cast<std::uint64_t>(*next_++) << (kRoomForByte - bits_);
      bits_ += kByteBits;
    }
  }

  const std::uint8_t* start_;
  const std::uint8_t* next_;
  const std::uint8_t* end_;
  std::uint64_t window_ = 0;  // valid bits at the top, most significant first
  int bits_ = 0;              // how many bits of window_ are valid
};

}  // namespace lw
