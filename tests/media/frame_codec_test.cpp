#include "media/frame_codec.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "common/byte_io.h"

namespace lw {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A bitmap inside a vector with `slack` spare bytes before and after its rows, filled with a
// pattern whose neighbouring bytes differ. Rows run down or (with `upward`) up in memory.
struct TestBitmap {
  Bytes memory;
  std::ptrdiff_t row0 = 0;
  std::int32_t stride = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;

  TestBitmap(int w, int h, int strideMagnitude, bool upward, int slack)
      : memory(static_cast<std::size_t>(2 * slack + (h - 1) * strideMagnitude + w)),
        row0(slack + (upward ? (h - 1) * strideMagnitude : 0)),
        stride(upward ? -strideMagnitude : strideMagnitude),
        width(w),
        height(h) {
    for (std::size_t i = 0; i < memory.size(); ++i)
      memory[i] = static_cast<std::uint8_t>(i * 13 + 5);
  }

  [[nodiscard]] BitmapView view() { return {memory, row0, stride, width, height}; }
  [[nodiscard]] std::size_t offset(int r, int c) const {
    return static_cast<std::size_t>(row0 + static_cast<std::ptrdiff_t>(r) * stride + c);
  }
};

// A sub-op byte of `kind` over `count` pixels, with the count byte when count is 32 or more.
Bytes Sub(int kind, int count) {
  if (count < 32) return {static_cast<std::uint8_t>(count << 3 | kind)};
  return {static_cast<std::uint8_t>(kind), static_cast<std::uint8_t>(count - 32)};
}

// A bit run of `values`; `escape` selects the 16-bit form for every code.
Bytes Codes(const std::vector<int>& values, bool escape = false) {
  std::vector<bool> bits;
  for (int value : values) {
    const auto delta = static_cast<std::uint8_t>(value);
    const int magnitude = delta < 128 ? delta : 256 - delta;
    if (escape || magnitude > 7) {
      bits.insert(bits.end(), 8, false);
      for (int b = 7; b >= 0; --b) bits.push_back((delta >> b) & 1);
      continue;
    }
    bits.insert(bits.end(), static_cast<std::size_t>(magnitude), false);
    bits.push_back(true);
    if (magnitude != 0) bits.push_back(delta < 128);
  }
  Bytes packed((bits.size() + 7) / 8, 0);
  for (std::size_t i = 0; i < bits.size(); ++i) packed[i / 8] |= bits[i] << (7 - i % 8);
  return packed;
}

// A frame record: its header, then `parts` one after another.
Bytes Frame(int rows, int width, std::initializer_list<Bytes> parts = {}) {
  ByteWriter out;
  out.i16(static_cast<std::int16_t>(rows));
  out.i16(static_cast<std::int16_t>(width));
  for (const Bytes& part : parts) out.bytes(part);
  return out.take();
}

// A decode result in comparable form: "used N" or the error's text.
using Outcome = std::string;

Outcome Used(std::size_t bytes) { return "used " + std::to_string(bytes); }
Outcome Failed(FrameError error) { return std::string(FrameErrorText(error)); }
Outcome From(const Expected<std::size_t, FrameError>& result) {
  return result.ok() ? Used(result.value()) : Failed(result.error());
}

// The decoder written as plainly as possible, a byte and a bit at a time with checked indexing,
// as the oracle for the real one. It checks the same faults in the same order (destinations are
// always valid here); `loose` gets the
// memory offsets whose bytes a bit run cut off by the end of the record leaves unspecified.
struct ReferenceDecoder {
  using Fault = std::optional<FrameError>;
  static constexpr int kDistance[8] = {-4, -3, -2, -1, 1, 2, 3, 4};

  const Bytes& rec;
  TestBitmap& bmp;
  std::pair<std::size_t, std::size_t> loose{};
  std::size_t pos = 4;
  int width = 0;

  Outcome run() {
    const Fault fault = frame();
    return fault ? Failed(*fault) : Used(pos);
  }
  Fault frame() {
    if (rec.size() < 4) return FrameError::kTruncated;
    const int rows = static_cast<std::int16_t>(rec[0] | rec[1] << 8);
    width = static_cast<std::int16_t>(rec[2] | rec[3] << 8);
    if (rows > static_cast<int>(rec.size()) - 4) return FrameError::kTruncated;
    if (rows < 0 || width < 0 || rows > bmp.height || width > bmp.width)
      return FrameError::kBadSize;
    for (int r = 0; r < rows; ++r)
      if (Fault fault = row(r)) return fault;
    return {};
  }
  bool take(int& value) {
    if (pos >= rec.size()) return false;
    value = rec[pos++];
    return true;
  }
  bool has(std::size_t count) const { return rec.size() - pos >= count; }
  bool hasRow(int r) const { return r >= 0 && r < bmp.height; }
  std::uint8_t& mem(std::size_t offset) { return bmp.memory.at(offset); }

  Fault row(int r) {
    int op = 0;
    if (!take(op)) return FrameError::kTruncated;
    const int even = width - width % 2;
    if (op == 4) {
      if (!has(static_cast<std::size_t>(even))) return FrameError::kTruncated;
      for (int i = 0; i < even; ++i) mem(bmp.offset(r, i)) = rec[pos++];
    } else if (op % 4 != 0 || op < 8 || op > 72) {
      return FrameError::kBadRowOp;
    } else if (op < 40) {
      for (int x = 0, b = 0, c = 0; x < width; x += c) {
        if (!take(b)) return FrameError::kTruncated;
        if ((c = b >> 3) == 0 && !take(c)) return FrameError::kTruncated;
        c += b >> 3 == 0 ? 32 : 0;
        if (c > width - x) return FrameError::kBadCount;
        if (Fault fault = sub(b & 7, r, r + kDistance[(op - 8) / 4], x, c)) return fault;
      }
    } else if (op > 40) {
      const int source = r + kDistance[(op - 44) / 4];
      if (!hasRow(source)) return FrameError::kBadReferenceRow;
      copy(bmp.offset(r, 0), bmp.offset(source, 0), even);
    }
    return {};
  }

  Fault sub(int kind, int r, int ref, int x, int c) {
    const std::size_t out = bmp.offset(r, x);
    int value = 0, high = 0;
    if ((kind == 1 || kind == 3) && !hasRow(ref)) return FrameError::kBadReferenceRow;
    if (kind == 0 && c < 2) return FrameError::kBadCount;
    if (kind == 4 && out == 0) return FrameError::kBadCopySource;
    if ((kind == 0 || kind == 6) && !take(value)) return FrameError::kTruncated;
    if ((kind == 5 && !has(static_cast<std::size_t>(c))) || (kind == 7 && !has(2)))
      return FrameError::kTruncated;
    switch (kind) {
      case 0:
        mem(out) = static_cast<std::uint8_t>(value);
        return bits(out + 1, c - 1, [&](int i, int d) { mem(out + i + 1) = mem(out + i) + d; });
      case 1:
        return bits(out, c, [&](int i, int d) { mem(out + i) = mem(bmp.offset(ref, x + i)) + d; });
      case 3: copy(out, bmp.offset(ref, x), c); break;
      case 4:
      case 6:
        for (int i = 0; i < c; ++i) mem(out + i) = kind == 4 ? mem(out - 1) : value;
        break;
      case 5:
        for (int i = 0; i < c; ++i) mem(out + i) = rec[pos++];
        break;
      case 7:
        (void)take(value);
        (void)take(high);
        if (static_cast<std::size_t>(value | high << 8) > out) return FrameError::kBadCopySource;
        copy(out, out - static_cast<std::size_t>(value | high << 8), c);
        break;
    }
    return {};
  }

  // Decodes `count` codes bit by bit, calling put(index, delta) for each, and moves the record
  // position to the byte after the last one holding bits of the run.
  template <typename Put>
  Fault bits(std::size_t first, int count, Put put) {
    const std::size_t start = pos;
    std::size_t bit = 0;
    const auto next = [&](int& b) {
      if (start + bit / 8 >= rec.size()) return false;
      b = (rec[start + bit / 8] >> (7 - bit % 8)) & 1;
      return ++bit, true;
    };
    for (int i = 0; i < count; ++i) {
      int zeros = 0, b = 0, delta = 0;
      bool whole = true;
      while ((whole = next(b)) && b == 0 && ++zeros < 8) {
      }
      for (int k = 0; whole && zeros == 8 && k < 8; ++k) {
        whole = next(b);
        delta = delta << 1 | b;
      }
      if (whole && zeros > 0 && zeros < 8) {
        whole = next(b);
        delta = b ? zeros : -zeros;
      }
      if (!whole) {
        loose = {first + static_cast<std::size_t>(i), first + static_cast<std::size_t>(count)};
        return FrameError::kTruncated;
      }
      put(i, delta);
    }
    pos = start + (bit + 7) / 8;
    return {};
  }

  // The unit rule as written: an odd byte, a 2-byte unit, then 4-byte units, each read first.
  void copy(std::size_t dst, std::size_t src, int count) {
    for (int at = 0, size = 0; at < count; at += size) {
      size = (count - at) & 1 ? 1 : (count - at) & 2 ? 2 : 4;
      std::uint8_t held[4];
      for (int i = 0; i < size; ++i) held[i] = mem(src + at + i);
      for (int i = 0; i < size; ++i) mem(dst + at + i) = held[i];
    }
  }
};

// Decodes `record` into copies of `bitmap` with both decoders and expects the same outcome and
// the same memory (but for pixels that a cut-off bit run leaves unspecified); gives the outcome.
Outcome ExpectSameAsReference(const Bytes& record, const TestBitmap& bitmap) {
  TestBitmap fast = bitmap, plain = bitmap;
  const Outcome got = From(DecodeFrame(record, fast.view()));
  ReferenceDecoder reference{record, plain};
  const Outcome want = reference.run();
  EXPECT_EQ(got, want);
  for (auto [at, end] = reference.loose; at < end; ++at) fast.memory[at] = plain.memory[at];
  EXPECT_EQ(fast.memory, plain.memory);
  return got;
}

// Sizes are checked before any row is decoded. Each row takes at least its op byte, so a record
// cannot claim more rows than it has bytes after the header: a tiny record claiming 32767 rows
// is refused before a caller sizes a picture by it.
TEST(FrameCodecTest, SizesAreCheckedBeforeAnyRowIsDecoded) {
  const TestBitmap bitmap(8, 6, 10, false, 4);
  EXPECT_FALSE(ReadFrameSize(Frame(32767, 32767, {{40}})).ok());
  EXPECT_EQ(ReadFrameSize(Frame(2, 32767, {{40, 40}})).value().rows, 2);
  for (auto [widthAfter, strideFactor] : {std::pair{8, 2}, {0, 3}}) {
    TestBitmap broken = bitmap;
    broken.width = widthAfter;
    broken.stride *= strideFactor;
    EXPECT_EQ(From(DecodeFrame(Frame(0, 0), broken.view())), Failed(FrameError::kBadDestination));
  }
}

// Random frames: mostly well-formed, with random neighbours, kinds, lengths, distances and codes,
// whole, cut short, or with a byte changed or lost; the reference decides every outcome.
class RandomFrames {
 public:
  explicit RandomFrames(std::uint32_t seed) : rng_(seed) {}

  int below(int n) { return static_cast<int>(rng_() % static_cast<std::uint32_t>(n)); }
  bool chance(int percent) { return below(100) < percent; }

  Bytes frame(const TestBitmap& bitmap) {
    const int rows = below(bitmap.height + 1);
    const int width = bitmap.width - (chance(20) ? below(bitmap.width + 1) : 0);
    Bytes out = Frame(rows, width);
    for (int r = 0; r < rows; ++r) {
      const int choice = below(100);
      const int neighbour = this->neighbour(r, bitmap.height);
      if (choice < 15) {
        out.push_back(4);
        for (int i = 0; i < width / 2 * 2; ++i) out.push_back(Byte());
      } else if (choice < 25) {
        out.push_back(40);
      } else if (choice < 40) {
        out.push_back(static_cast<std::uint8_t>(44 + 4 * neighbour));
      } else {
        out.push_back(static_cast<std::uint8_t>(8 + 4 * neighbour));
        deltaRow(out, bitmap.offset(r, 0), width);
      }
    }
    return out;
  }

 private:
  std::uint8_t Byte() { return static_cast<std::uint8_t>(below(256)); }
  // Mostly a neighbour inside the bitmap, sometimes any of the eight.
  int neighbour(int r, int height) {
    std::vector<int> inside;
    for (int i = 0; i < 8; ++i) {
      const int row = r + (i < 4 ? i - 4 : i - 3);
      if (row >= 0 && row < height) inside.push_back(i);
    }
    if (inside.empty() || chance(5)) return below(8);
    return inside[static_cast<std::size_t>(below(static_cast<int>(inside.size())))];
  }
  void deltaRow(Bytes& out, std::size_t rowOffset, int width) {
    for (int x = 0; x < width;) {
      const int count = 1 + below(std::min(width - x, chance(80) ? 8 : chance(50) ? 31 : 287));
      int kind = below(8);
      if (kind == 0 && count < 2) kind = 2;
      const Bytes sub = Sub(kind, count);
      out.insert(out.end(), sub.begin(), sub.end());
      if (kind == 0) out.push_back(Byte());
      if (kind == 0 || kind == 1) {
        const Bytes run = Codes(codes(kind == 0 ? count - 1 : count), chance(10));
        out.insert(out.end(), run.begin(), run.end());
      }
      for (int i = 0; kind == 5 && i < count; ++i) out.push_back(Byte());
      if (kind == 6) out.push_back(Byte());
      if (kind == 7) {
        const int reach = static_cast<int>(std::min<std::size_t>(rowOffset + x, 0xFFFF));
        const int d = chance(60) ? std::min(below(9), reach) : below(reach + 1);
        out.insert(out.end(),
                   {static_cast<std::uint8_t>(d & 0xFF), static_cast<std::uint8_t>(d >> 8)});
      }
      x += count;
    }
  }
  std::vector<int> codes(int count) {
    std::vector<int> values;
    for (int i = 0; i < count; ++i) values.push_back(chance(70) ? below(15) - 7 : below(256));
    return values;
  }

  std::mt19937 rng_;
};

TEST(FrameCodecRandomTest, MatchesTheReferenceDecoder) {
  RandomFrames random(20240611);
  int decoded = 0;
  constexpr int kRounds = 3000;
  for (int round = 0; round < kRounds && !HasFailure(); ++round) {
    const int width = 1 + (random.chance(10) ? random.below(320) : random.below(40));
    const int height = 1 + random.below(12);
    // Mostly separate rows; sometimes rows that overlap, down to strides of 0 .. 3.
    const int choice = random.below(10);
    const int stride = choice < 6   ? width + random.below(6)
                       : choice < 8 ? std::max(1, width / 2)
                                    : random.below(4);
    const TestBitmap bitmap(width, height, stride, random.chance(50), random.below(9));
    // Data stored behind the frame, which the bytes used must leave out.
    Bytes frame = random.frame(bitmap);
    const std::size_t length = frame.size();
    frame.insert(frame.end(), {'T', 'A', 'I', 'L'});
    const Outcome outcome = ExpectSameAsReference(frame, bitmap);
    if (outcome.starts_with("used ")) {
      EXPECT_EQ(outcome, Used(length));
      ++decoded;
    }
    // Damaged copies: a changed byte, a cut, a lost byte.
    for (int damage = 0; damage < 3 && !frame.empty(); ++damage) {
      Bytes bad = frame;
      const auto at = static_cast<std::size_t>(random.below(static_cast<int>(bad.size())));
      if (damage == 0) bad[at] = static_cast<std::uint8_t>(random.below(256));
      if (damage == 1) bad.resize(at);
      if (damage == 2) bad.erase(bad.begin() + static_cast<std::ptrdiff_t>(at));
      ExpectSameAsReference(bad, bitmap);
    }
  }
  EXPECT_GT(decoded, kRounds / 3) << "too few random frames were well-formed to mean much";
}

}  // namespace
}  // namespace lw
