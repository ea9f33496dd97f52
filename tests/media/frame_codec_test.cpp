#include "media/frame_codec.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <tuple>
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
  std::uint8_t& at(int r, int c) { return memory[offset(r, c)]; }
  [[nodiscard]] Bytes row(int r, int count) const {
    auto first = memory.begin() + static_cast<std::ptrdiff_t>(offset(r, 0));
    return {first, first + count};
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

// A decode result in comparable form.
struct Outcome {
  std::optional<std::size_t> used;
  std::optional<FrameError> error;
  bool operator==(const Outcome&) const = default;
};

Outcome From(const Expected<std::size_t, FrameError>& result) {
  if (result.ok()) return {result.value(), std::nullopt};
  return {std::nullopt, result.error()};
}

std::string Describe(const Outcome& outcome) {
  return outcome.used ? "used " + std::to_string(*outcome.used)
                      : std::string(FrameErrorText(*outcome.error));
}

// The decoder written as plainly as possible, a byte and a bit at a time with checked indexing,
// as the oracle for the real one. It checks the same faults in the same order; `loose` gets the
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
    return fault ? Outcome{std::nullopt, fault} : Outcome{pos, std::nullopt};
  }
  Fault frame() {
    if (bmp.width < 0 || bmp.height < 0 || bmp.row0 < 0) return FrameError::kBadDestination;
    for (int r = 0; r < bmp.height; ++r) {
      const std::ptrdiff_t start = bmp.row0 + static_cast<std::ptrdiff_t>(r) * bmp.stride;
      if (start < 0 || start + bmp.width > std::ssize(bmp.memory))
        return FrameError::kBadDestination;
    }
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
  EXPECT_EQ(got, want) << Describe(got) << " vs " << Describe(want);
  for (auto [at, end] = reference.loose; at < end; ++at) fast.memory[at] = plain.memory[at];
  EXPECT_EQ(fast.memory, plain.memory);
  return got;
}

// Row operations and sub-operations, checked under both row directions (param: upward).
class FrameCodecTest : public ::testing::TestWithParam<bool> {
 protected:
  TestBitmap bitmap{16, 6, 20, GetParam(), 8};
  const TestBitmap before = bitmap;
  // Decodes `frame` into `into` and expects all of it used.
  void decodeAll(const Bytes& frame, TestBitmap& into) {
    ASSERT_EQ(From(DecodeFrame(frame, into.view())), (Outcome{frame.size(), std::nullopt}));
  }
  void decodeAll(const Bytes& frame) { decodeAll(frame, bitmap); }
};

INSTANTIATE_TEST_SUITE_P(Directions, FrameCodecTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Upward" : "Downward"; });

TEST_P(FrameCodecTest, LiteralRowsRewriteExactlyTheirBytes) {
  for (int width : {16, 15}) {
    TestBitmap expected = bitmap;
    Bytes frame = Frame(3, width);
    for (int r = 0; r < 3; ++r) {
      frame.push_back(4);
      for (int i = 0; i < width / 2 * 2; ++i) frame.push_back(expected.at(r, i) = 200 + r * 16 + i);
    }
    decodeAll(frame);
    EXPECT_EQ(bitmap.memory, expected.memory) << width;
  }
}

TEST_P(FrameCodecTest, SkipsAndUnchangedRowsLeaveEverything) {
  TestBitmap wide(48, 3, 48, GetParam(), 0);
  const TestBitmap untouched = wide;
  decodeAll(Frame(2, 45, {{40, 20, 0x2A, 0x02, 8}}), wide);
  EXPECT_EQ(wide.memory, untouched.memory);
}

TEST_P(FrameCodecTest, DeltaCodesApplyToTheirBase) {
  // Row 1 against row 0: vertical 1, 011, 0010 in 0xB2; then a fill proves the run took one
  // byte; then an escape of 0xFF. Row 2: horizontal run 0x10, then codes 1 and 00010.
  decodeAll(
      Frame(3, 5, {{40, 20, 0x19, 0xB2, 0x0E, 0x77, 0x09, 0x00, 0xFF, 8, 0x18, 0x10, 0x88, 0x14}}));
  const auto above = [&](int c, int delta) {
    return static_cast<std::uint8_t>(before.memory[before.offset(0, c)] + delta);
  };
  EXPECT_EQ(bitmap.row(1, 5), (Bytes{above(0, 0), above(1, 1), above(2, -2), 0x77, above(4, -1)}));
  EXPECT_EQ(bitmap.row(2, 5), (Bytes{0x10, 0x10, 0x0D, 0x0D, 0x0D}));
}

TEST_P(FrameCodecTest, NeighbourRowsBelowAreOldAndAboveAreNewFollowingTheStride) {
  const Bytes literal(16, 0xA5);
  // Row 0: copy of (old) row 1 through kind 3; row 1 literal; row 2 a row copy of (new) row 1;
  // row 3 a row copy of (old) row 5; row 4 unchanged; row 5 a copy of row 4, one stride back:
  // lower in memory when rows run down, higher when up.
  decodeAll(Frame(6, 16, {{24}, Sub(3, 16), {4}, literal, {56, 64, 40, 56}}));
  EXPECT_EQ(bitmap.row(0, 16), before.row(1, 16));
  EXPECT_EQ(bitmap.row(1, 16), literal);
  EXPECT_EQ(bitmap.row(2, 16), literal);
  EXPECT_EQ(bitmap.row(3, 16), before.row(5, 16));
  const std::size_t source = before.offset(5, 0) - static_cast<std::size_t>(bitmap.stride);
  EXPECT_EQ(source > before.offset(5, 0), GetParam());
  const auto from = before.memory.begin() + static_cast<std::ptrdiff_t>(source);
  EXPECT_EQ(bitmap.row(5, 16), Bytes(from, from + 16));
}

TEST_P(FrameCodecTest, RepeatFillLiteralPixelsAndCopiesOfWholeUnits) {
  // Row 2: kind 4 at column 0 repeats the byte just before the row in memory; then a fill of
  // 0x33, literal pixels, and a repeat of the last literal.
  decodeAll(
      Frame(3, 16, {{40, 40, 8}, Sub(4, 3), Sub(6, 5), {0x33}, Sub(5, 2), {7, 9}, Sub(4, 6)}));
  const std::uint8_t left = before.memory[before.offset(2, 0) - 1];
  EXPECT_EQ(bitmap.row(2, 16),
            (Bytes{left, left, left, 0x33, 0x33, 0x33, 0x33, 0x33, 7, 9, 9, 9, 9, 9, 9, 9}));
  // d = 1, c = 4: one unit of the four bytes from one byte back, read before it is written.
  decodeAll(Frame(1, 8, {{8}, Sub(5, 4), {1, 2, 3, 4}, Sub(7, 4), {1, 0}}));
  Bytes want = {1, 2, 3, 4, 4};
  for (int c = 4; c < 7; ++c) want.push_back(before.memory[before.offset(0, c)]);
  EXPECT_EQ(bitmap.row(0, 8), want);
  // d = 4, c = 12: each unit reads bytes already written, so the four bytes repeat.
  decodeAll(Frame(1, 16, {{8}, Sub(5, 4), {5, 6, 7, 8}, Sub(7, 12), {4, 0}}));
  EXPECT_EQ(bitmap.row(0, 16), (Bytes{5, 6, 7, 8, 5, 6, 7, 8, 5, 6, 7, 8, 5, 6, 7, 8}));
}

TEST_P(FrameCodecTest, LongCountsUseTheExtraByte) {
  TestBitmap wide(300, 2, 300, GetParam(), 4);
  const Bytes frame = Frame(1, 300, {{8}, Sub(6, 287), {0x44}, Sub(6, 13), {0x55}});
  ASSERT_EQ(Bytes(frame.begin() + 5, frame.begin() + 7), (Bytes{0x06, 0xFF}));
  decodeAll(frame, wide);
  Bytes want(287, 0x44);
  want.insert(want.end(), 13, 0x55);
  EXPECT_EQ(wide.row(0, 300), want);
}

TEST_P(FrameCodecTest, MalformedFramesStopAndKeepEarlierRows) {
  const std::vector<std::tuple<const char*, Bytes, FrameError>> cases = {
      // Row 1's operation, after a literal row 0.
      {"op 0", {0}, FrameError::kBadRowOp},
      {"op 5", {5}, FrameError::kBadRowOp},
      {"op 41", {41}, FrameError::kBadRowOp},
      {"op 76", {76}, FrameError::kBadRowOp},
      {"op 255", {255}, FrameError::kBadRowOp},
      {"count beyond W", {20, 0x02, 0x00}, FrameError::kBadCount},
      {"counts beyond W", {20, 0x52, 0x3A}, FrameError::kBadCount},
      {"horizontal run of 1", {20, 0x08, 0x01, 0x7A}, FrameError::kBadCount},
      {"vertical against r-2", {16, 0x81}, FrameError::kBadReferenceRow},
      {"copy from r-3", {48}, FrameError::kBadReferenceRow},
      {"copy from r+4 past the bitmap", {72}, FrameError::kBadReferenceRow},
      {"kind 3 against r+4", {36, 0x83}, FrameError::kBadReferenceRow},
      {"truncated literal row", {4, 1, 2}, FrameError::kTruncated},
      {"truncated bit run", {20, 0x21, 0x40}, FrameError::kTruncated},
      {"truncated escape", {20, 0x09, 0x00}, FrameError::kTruncated},
      {"truncated distance", {20, 0x7F, 0x01}, FrameError::kTruncated},
  };
  for (const auto& [name, rowOne, error] : cases) {
    TestBitmap small(16, 5, 20, GetParam(), 0);
    const Bytes frame = Frame(2, 16, {{4}, Bytes(16, 0xEE), rowOne});
    EXPECT_EQ(From(DecodeFrame(frame, small.view())).error, error) << name;
    EXPECT_EQ(small.row(0, 16), Bytes(16, 0xEE)) << name;
  }
}

// Rows run down here: the first byte of memory is row 0's first pixel, or `slack` before it.
TEST(FrameCodecMemoryTest, SourcesBeforeMemoryAreRejected) {
  for (int slack : {0, 3}) {
    TestBitmap tight(16, 4, 16, false, slack);
    const auto decodeRowZero = [&](const Bytes& ops) {
      return From(DecodeFrame(Frame(1, 16, {ops}), tight.view())).error;
    };
    const auto d = static_cast<std::uint8_t>(slack);
    EXPECT_EQ(decodeRowZero({8, 0x87, d, 0}), std::nullopt) << "d reaching the first byte";
    EXPECT_EQ(decodeRowZero({8, 0x87, static_cast<std::uint8_t>(d + 1), 0}),
              FrameError::kBadCopySource);
    EXPECT_EQ(decodeRowZero({8, 0x84}),
              slack == 0 ? std::optional(FrameError::kBadCopySource) : std::nullopt);
  }
}

TEST_P(FrameCodecTest, BadSizesAndBitmapsAreRejected) {
  for (auto [rows, width] : {std::pair{-1, 16}, {1, -2}, {7, 16}, {6, 17}}) {
    EXPECT_EQ(From(DecodeFrame(Frame(rows, width, {Bytes(7, 40)}), bitmap.view())).error,
              FrameError::kBadSize);
  }
  EXPECT_EQ(From(DecodeFrame(Bytes{6, 0, 16}, bitmap.view())).error, FrameError::kTruncated);
  for (auto [widthAfter, strideFactor] : {std::pair{16, 2}, {0, 3}}) {
    TestBitmap broken = bitmap;
    broken.width = widthAfter;
    broken.stride *= strideFactor;
    EXPECT_EQ(From(DecodeFrame(Frame(0, 0), broken.view())).error, FrameError::kBadDestination);
  }
}

TEST_P(FrameCodecTest, BytesUsedFindTheDataBehindAndEveryShortenedFrameIsTruncated) {
  Bytes frame = Frame(4, 16,
                      {{4},
                       Bytes(16, 3),
                       {20},
                       Sub(0, 6),
                       {9},
                       Codes({1, -1, 0, 90, -7}),
                       Sub(1, 10),
                       Codes({5, 5, 0, 0, 200, 1, 2, 3, 4, 5}),
                       {56, 24},
                       Sub(1, 9),
                       Codes({0, 1, -1, 7, -7, 100, 0, 3, -128}),
                       Sub(7, 7),
                       {17, 0}});
  const std::size_t length = frame.size();
  frame.insert(frame.end(), {'T', 'A', 'I', 'L'});
  ASSERT_EQ(ExpectSameAsReference(frame, bitmap).used, length);
  for (std::size_t cut = 0; cut < length; ++cut) {
    const Bytes shorter(frame.begin(), frame.begin() + static_cast<std::ptrdiff_t>(cut));
    EXPECT_EQ(ExpectSameAsReference(shorter, bitmap).error, FrameError::kTruncated) << cut;
  }
  // Codes 0011, 1, 1, then 01 whose sign bit is missing: the zero bits past the record's end
  // must not complete it.
  frame = Frame(2, 4, {{40, 20}, Sub(1, 4), {0x3D}});
  EXPECT_EQ(ExpectSameAsReference(frame, bitmap).error, FrameError::kTruncated);
  frame.push_back(0x00);  // the sign bit, and the run ends inside this byte
  EXPECT_EQ(ExpectSameAsReference(frame, bitmap).used, frame.size());
}

// Each row takes at least its op byte, so a record cannot describe more rows than it has bytes
// after the header: a tiny record claiming 32767 rows is refused before anything is sized by it.
TEST(FrameCodecSizeTest, RowsBeyondTheRecordsBytesAreRefused) {
  EXPECT_FALSE(ReadFrameSize(Frame(32767, 32767, {{40}})).ok());
  EXPECT_EQ(ReadFrameSize(Frame(2, 32767, {{40, 40}})).value().rows, 2);
}

// Random frames: mostly well-formed, with random neighbours, kinds, lengths, distances and codes.
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
    const Bytes frame = random.frame(bitmap);
    if (ExpectSameAsReference(frame, bitmap).used) ++decoded;
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
