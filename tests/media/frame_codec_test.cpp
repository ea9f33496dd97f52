#include "media/frame_codec.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <random>
#include <span>
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
  std::uint8_t& at(int r, int c) { return memory[offset(r, c)]; }
  [[nodiscard]] Bytes row(int r, int count) const {
    auto first = memory.begin() + static_cast<std::ptrdiff_t>(offset(r, 0));
    return {first, first + count};
  }
};

// Appends frame fields; delta runs are encoded from their deltas.
class FrameBuilder {
 public:
  FrameBuilder(int rows, int width) {
    out_.i16(static_cast<std::int16_t>(rows));
    out_.i16(static_cast<std::int16_t>(width));
  }
  FrameBuilder& byte(int value) {
    out_.u8(static_cast<std::uint8_t>(value));
    return *this;
  }
  FrameBuilder& bytes(const Bytes& values) {
    out_.bytes(values);
    return *this;
  }
  // A sub-op byte of `kind` over `count` pixels, with the count byte when count is 32 or more.
  FrameBuilder& subOp(int kind, int count) {
    if (count < 32) return byte(count << 3 | kind);
    return byte(kind).byte(count - 32);
  }
  // A bit run; `escape` selects the 16-bit form for every code.
  FrameBuilder& deltas(const std::vector<int>& values, bool escape = false) {
    std::vector<bool> bits;
    for (int value : values) AppendCode(bits, static_cast<std::uint8_t>(value), escape);
    for (std::size_t i = 0; i < bits.size(); i += 8) {
      int packed = 0;
      for (std::size_t b = 0; b < 8; ++b)
        packed = packed << 1 | (i + b < bits.size() && bits[i + b]);
      byte(packed);
    }
    return *this;
  }
  [[nodiscard]] Bytes take() { return out_.take(); }

  static void AppendCode(std::vector<bool>& bits, std::uint8_t delta, bool escape) {
    int magnitude = delta < 128 ? delta : 256 - delta;
    if (escape || magnitude > 7) {
      bits.insert(bits.end(), 8, false);
      for (int b = 7; b >= 0; --b) bits.push_back((delta >> b) & 1);
      return;
    }
    bits.insert(bits.end(), static_cast<std::size_t>(magnitude), false);
    bits.push_back(true);
    if (magnitude != 0) bits.push_back(delta < 128);
  }

 private:
  ByteWriter out_;
};

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
  if (outcome.used) return "used " + std::to_string(*outcome.used);
  return std::string(FrameErrorText(*outcome.error));
}

// The decoder written as plainly as possible, a byte and a bit at a time with checked indexing,
// as the oracle for the real one. It checks the same faults in the same order.
class ReferenceDecoder {
 public:
  ReferenceDecoder(const Bytes& record, TestBitmap& bitmap) : rec_(record), bmp_(bitmap) {}

  // The memory offsets whose bytes a fault left unspecified (an empty range if none).
  [[nodiscard]] std::pair<std::size_t, std::size_t> loose() const { return loose_; }

  Outcome run() {
    if (auto fault = checkBitmap()) return {std::nullopt, fault};
    if (rec_.size() < 4) return {std::nullopt, FrameError::kTruncated};
    int rows = static_cast<std::int16_t>(rec_[0] | rec_[1] << 8);
    width_ = static_cast<std::int16_t>(rec_[2] | rec_[3] << 8);
    if (rows < 0 || width_ < 0 || rows > bmp_.height || width_ > bmp_.width) {
      return {std::nullopt, FrameError::kBadSize};
    }
    pos_ = 4;
    for (int r = 0; r < rows; ++r) {
      if (auto fault = rowOperation(r)) return {std::nullopt, fault};
    }
    return {pos_, std::nullopt};
  }

 private:
  using Fault = std::optional<FrameError>;
  static constexpr int kDistance[8] = {-4, -3, -2, -1, 1, 2, 3, 4};

  Fault checkBitmap() const {
    if (bmp_.width < 0 || bmp_.height < 0 || bmp_.row0 < 0) return FrameError::kBadDestination;
    for (int r = 0; r < bmp_.height; ++r) {
      std::ptrdiff_t start = bmp_.row0 + static_cast<std::ptrdiff_t>(r) * bmp_.stride;
      if (start < 0 || start + bmp_.width > static_cast<std::ptrdiff_t>(bmp_.memory.size())) {
        return FrameError::kBadDestination;
      }
    }
    return {};
  }
  bool take(int& value) {
    if (pos_ >= rec_.size()) return false;
    value = rec_[pos_++];
    return true;
  }
  bool hasRow(int r) const { return r >= 0 && r < bmp_.height; }

  Fault rowOperation(int r) {
    int op = 0;
    if (!take(op)) return FrameError::kTruncated;
    int even = width_ - width_ % 2;
    if (op == 4) {
      if (rec_.size() - pos_ < static_cast<std::size_t>(even)) return FrameError::kTruncated;
      for (int i = 0; i < even; ++i) bmp_.memory.at(bmp_.offset(r, i)) = rec_[pos_++];
      return {};
    }
    if (op == 40) return {};
    if (op % 4 != 0 || op < 8 || op > 72) return FrameError::kBadRowOp;
    if (op < 40) return deltaRow(r, r + kDistance[(op - 8) / 4]);
    int source = r + kDistance[(op - 44) / 4];
    if (!hasRow(source)) return FrameError::kBadReferenceRow;
    copyUnits(bmp_.offset(r, 0), bmp_.offset(source, 0), even);
    return {};
  }

  Fault deltaRow(int r, int ref) {
    for (int x = 0; x < width_;) {
      int b = 0, c = 0;
      if (!take(b)) return FrameError::kTruncated;
      c = b >> 3;
      if (c == 0) {
        if (!take(c)) return FrameError::kTruncated;
        c += 32;
      }
      if (c > width_ - x) return FrameError::kBadCount;
      if (auto fault = subOperation(b & 7, r, ref, x, c)) return fault;
      x += c;
    }
    return {};
  }

  Fault subOperation(int kind, int r, int ref, int x, int c) {
    std::size_t out = bmp_.offset(r, x);
    auto& mem = bmp_.memory;
    int value = 0;
    switch (kind) {
      case 0:
        if (c < 2) return FrameError::kBadCount;
        if (!take(value)) return FrameError::kTruncated;
        mem.at(out) = static_cast<std::uint8_t>(value);
        return bitRun(out + 1, c - 1, [&](int i, int delta) {
          mem.at(out + i + 1) = static_cast<std::uint8_t>(mem.at(out + i) + delta);
        });
      case 1:
        if (!hasRow(ref)) return FrameError::kBadReferenceRow;
        return bitRun(out, c, [&](int i, int delta) {
          mem.at(out + i) = static_cast<std::uint8_t>(mem.at(bmp_.offset(ref, x + i)) + delta);
        });
      case 2:
        return {};
      case 3:
        if (!hasRow(ref)) return FrameError::kBadReferenceRow;
        copyUnits(out, bmp_.offset(ref, x), c);
        return {};
      case 4:
        if (out == 0) return FrameError::kBadCopySource;
        for (int i = 0; i < c; ++i) mem.at(out + i) = mem.at(out - 1);
        return {};
      case 5:
        if (rec_.size() - pos_ < static_cast<std::size_t>(c)) return FrameError::kTruncated;
        for (int i = 0; i < c; ++i) mem.at(out + i) = rec_[pos_++];
        return {};
      case 6:
        if (!take(value)) return FrameError::kTruncated;
        for (int i = 0; i < c; ++i) mem.at(out + i) = static_cast<std::uint8_t>(value);
        return {};
      default: {
        int low = 0, high = 0;
        if (rec_.size() - pos_ < 2) return FrameError::kTruncated;
        (void)take(low);
        (void)take(high);
        std::size_t d = static_cast<std::size_t>(low | high << 8);
        if (d > out) return FrameError::kBadCopySource;
        copyUnits(out, out - d, c);
        return {};
      }
    }
  }

  // Decodes `count` codes bit by bit, calling put(index, delta) for each, and moves the record
  // position to the byte after the last one holding bits of the run. A run cut off by the end of
  // the record leaves its remaining pixels, from offset `first` + index on, unspecified.
  template <typename Put>
  Fault bitRun(std::size_t first, int count, Put put) {
    std::size_t start = pos_, bit = 0;
    auto next = [&](int& b) {
      std::size_t at = start + bit / 8;
      if (at >= rec_.size()) return false;
      b = (rec_[at] >> (7 - bit % 8)) & 1;
      ++bit;
      return true;
    };
    for (int i = 0; i < count; ++i) {
      int zeros = 0, b = 0, delta = 0;
      bool whole = true;
      for (;;) {
        whole = next(b);
        if (!whole || b == 1 || ++zeros == 8) break;
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
        loose_ = {first + static_cast<std::size_t>(i), first + static_cast<std::size_t>(count)};
        return FrameError::kTruncated;
      }
      put(i, delta);
    }
    pos_ = start + (bit + 7) / 8;
    return {};
  }

  // The unit rule as written: an odd byte, a 2-byte unit, then 4-byte units, each read first.
  void copyUnits(std::size_t dst, std::size_t src, int count) {
    int at = 0;
    auto unit = [&](int size) {
      std::uint8_t held[4];
      for (int i = 0; i < size; ++i) held[i] = bmp_.memory.at(src + at + i);
      for (int i = 0; i < size; ++i) bmp_.memory.at(dst + at + i) = held[i];
      at += size;
    };
    if (count & 1) unit(1);
    if (count & 2) unit(2);
    while (at < count) unit(4);
  }

  const Bytes& rec_;
  TestBitmap& bmp_;
  std::pair<std::size_t, std::size_t> loose_{};
  std::size_t pos_ = 0;
  int width_ = 0;
};

// Decodes `record` into copies of `bitmap` with both decoders and expects the same outcome and
// the same memory (but for pixels that a cut-off bit run leaves unspecified); gives the outcome.
Outcome ExpectSameAsReference(const Bytes& record, const TestBitmap& bitmap) {
  TestBitmap fast = bitmap, plain = bitmap;
  Outcome got = From(DecodeFrame(record, fast.view()));
  ReferenceDecoder reference(record, plain);
  Outcome want = reference.run();
  EXPECT_EQ(got, want) << Describe(got) << " vs " << Describe(want);
  for (auto [at, end] = reference.loose(); at < end; ++at) fast.memory[at] = plain.memory[at];
  EXPECT_EQ(fast.memory, plain.memory);
  return got;
}

// Row operations and sub-operations, checked under both row directions (param: upward).
class FrameCodecTest : public ::testing::TestWithParam<bool> {
 protected:
  TestBitmap bitmap{16, 6, 20, GetParam(), 8};
  Outcome decode(const Bytes& record) { return From(DecodeFrame(record, bitmap.view())); }
};

INSTANTIATE_TEST_SUITE_P(Directions, FrameCodecTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Upward" : "Downward"; });

TEST_P(FrameCodecTest, LiteralRowsRewriteExactlyTheirBytes) {
  for (int width : {16, 15}) {
    TestBitmap before = bitmap;
    int even = width - width % 2;
    FrameBuilder frame(3, width);
    for (int r = 0; r < 3; ++r) {
      frame.byte(4);
      for (int i = 0; i < even; ++i) frame.byte(200 + r * 16 + i);
    }
    ASSERT_EQ(decode(frame.take()).used, 4u + 3u * (1u + even)) << width;
    for (int r = 0; r < 3; ++r) {
      for (int i = 0; i < even; ++i) EXPECT_EQ(bitmap.at(r, i), 200 + r * 16 + i);
      for (int i = 0; i < even; ++i) before.at(r, i) = bitmap.at(r, i);
    }
    EXPECT_EQ(bitmap.memory, before.memory) << "a byte outside the literal rows changed";
  }
}

TEST_P(FrameCodecTest, SkipsAndUnchangedRowsLeaveEverything) {
  TestBitmap wide(48, 3, 48, GetParam(), 0);
  TestBitmap before = wide;
  Bytes frame = FrameBuilder(2, 45).byte(40).byte(20).byte(0x2A).byte(0x02).byte(8).take();
  EXPECT_EQ(From(DecodeFrame(frame, wide.view())).used, frame.size());
  EXPECT_EQ(wide.memory, before.memory);
}

TEST_P(FrameCodecTest, DeltaCodesApplyToTheirBase) {
  TestBitmap before = bitmap;
  // Row 1 against row 0: vertical 1, 011, 0010 in 0xB2; then a fill proves the run took one
  // byte; then an escape of 0xFF. Row 2: horizontal run 0x10, then codes 1 and 00010.
  Bytes frame = FrameBuilder(3, 5)
                    .bytes({40})
                    .bytes({20, 0x19, 0xB2, 0x0E, 0x77, 0x09, 0x00, 0xFF})
                    .bytes({8, 0x18, 0x10, 0x88, 0x14})
                    .take();
  ASSERT_EQ(decode(frame).used, frame.size());
  EXPECT_EQ(bitmap.at(1, 0), before.at(0, 0));
  EXPECT_EQ(bitmap.at(1, 1), static_cast<std::uint8_t>(before.at(0, 1) + 1));
  EXPECT_EQ(bitmap.at(1, 2), static_cast<std::uint8_t>(before.at(0, 2) - 2));
  EXPECT_EQ(bitmap.at(1, 3), 0x77);
  EXPECT_EQ(bitmap.at(1, 4), static_cast<std::uint8_t>(before.at(0, 4) - 1));
  EXPECT_EQ(bitmap.row(2, 5), (Bytes{0x10, 0x10, 0x0D, 0x0D, 0x0D}));
}

TEST_P(FrameCodecTest, NeighbourRowsBelowAreOldAndAboveAreNew) {
  TestBitmap before = bitmap;
  Bytes literal(16, 0xA5);
  // Row 0: copy of (old) row 1 through kind 3; row 1 literal; row 2 a row copy of (new) row 1;
  // row 3 a row copy of (old) row 5.
  Bytes frame =
      FrameBuilder(4, 16).byte(24).subOp(3, 16).byte(4).bytes(literal).byte(56).byte(64).take();
  ASSERT_EQ(decode(frame).used, frame.size());
  EXPECT_EQ(bitmap.row(0, 16), before.row(1, 16));
  EXPECT_EQ(bitmap.row(1, 16), literal);
  EXPECT_EQ(bitmap.row(2, 16), literal);
  EXPECT_EQ(bitmap.row(3, 16), before.row(5, 16));
}

TEST_P(FrameCodecTest, RepeatFillAndLiteralPixels) {
  TestBitmap before = bitmap;
  // Row 2: kind 4 at column 0 repeats the byte just before the row in memory; then a fill of
  // 0x33, literal pixels, and a repeat of the last literal.
  Bytes frame = FrameBuilder(3, 16)
                    .byte(40)
                    .byte(40)
                    .byte(8)
                    .subOp(4, 3)
                    .subOp(6, 5)
                    .byte(0x33)
                    .subOp(5, 2)
                    .bytes({7, 9})
                    .subOp(4, 6)
                    .take();
  ASSERT_EQ(decode(frame).used, frame.size());
  std::uint8_t left = before.memory[before.offset(2, 0) - 1];
  EXPECT_EQ(bitmap.row(2, 16),
            (Bytes{left, left, left, 0x33, 0x33, 0x33, 0x33, 0x33, 7, 9, 9, 9, 9, 9, 9, 9}));
}

TEST_P(FrameCodecTest, CopyBackMovesWholeUnits) {
  // d = 1, c = 4: one unit of the four bytes from one byte back, read before it is written.
  Bytes frame =
      FrameBuilder(1, 8).byte(8).subOp(5, 4).bytes({1, 2, 3, 4}).subOp(7, 4).bytes({1, 0}).take();
  TestBitmap before = bitmap;
  ASSERT_EQ(decode(frame).used, frame.size());
  EXPECT_EQ(bitmap.row(0, 8),
            (Bytes{1, 2, 3, 4, 4, before.at(0, 4), before.at(0, 5), before.at(0, 6)}));
  // d = 4, c = 12: each unit reads bytes already written, so the four bytes repeat.
  frame =
      FrameBuilder(1, 16).byte(8).subOp(5, 4).bytes({5, 6, 7, 8}).subOp(7, 12).bytes({4, 0}).take();
  ASSERT_EQ(decode(frame).used, frame.size());
  EXPECT_EQ(bitmap.row(0, 16), (Bytes{5, 6, 7, 8, 5, 6, 7, 8, 5, 6, 7, 8, 5, 6, 7, 8}));
}

TEST_P(FrameCodecTest, RowAboveFollowsTheStride) {
  // Row 3's r-1 is the row one stride back: lower in memory when rows run down, higher when up.
  TestBitmap before = bitmap;
  ASSERT_TRUE(decode(FrameBuilder(4, 16).byte(40).byte(40).byte(40).byte(56).take()).used);
  std::size_t source = before.offset(3, 0) - static_cast<std::size_t>(bitmap.stride);
  EXPECT_EQ(source > before.offset(3, 0), GetParam());
  EXPECT_EQ(bitmap.row(3, 16),
            Bytes(before.memory.begin() + static_cast<std::ptrdiff_t>(source),
                  before.memory.begin() + static_cast<std::ptrdiff_t>(source) + 16));
}

TEST_P(FrameCodecTest, BytesUsedFindsTheDataBehindTheFrame) {
  Bytes frame = FrameBuilder(2, 16)
                    .byte(4)
                    .bytes(Bytes(16, 1))
                    .byte(20)
                    .subOp(1, 9)
                    .deltas({0, 1, -1, 7, -7, 100, 0, 3, -128})
                    .subOp(0, 7)
                    .byte(50)
                    .deltas({1, 2, 3, 4, 5, 6})
                    .take();
  std::size_t length = frame.size();
  frame.insert(frame.end(), {'T', 'A', 'I', 'L'});
  Outcome outcome = ExpectSameAsReference(frame, bitmap);
  ASSERT_EQ(outcome.used, length);
  EXPECT_EQ(frame[*outcome.used], 'T');
}

TEST_P(FrameCodecTest, LongCountsUseTheExtraByte) {
  TestBitmap wide(300, 2, 300, GetParam(), 4);
  Bytes frame =
      FrameBuilder(1, 300).byte(8).subOp(6, 287).byte(0x44).subOp(6, 13).byte(0x55).take();
  ASSERT_EQ(frame[5], 0x06);
  ASSERT_EQ(frame[6], 0xFF);
  ASSERT_EQ(From(DecodeFrame(frame, wide.view())).used, frame.size());
  Bytes want(287, 0x44);
  want.insert(want.end(), 13, 0x55);
  EXPECT_EQ(wide.row(0, 300), want);
}

TEST_P(FrameCodecTest, MalformedFramesStopAndKeepEarlierRows) {
  struct Case {
    const char* name;
    Bytes rowOne;  // row 1's operation, after a literal row 0
    FrameError error;
  };
  const std::vector<Case> cases = {
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
  for (const Case& c : cases) {
    TestBitmap small(16, 5, 20, GetParam(), 0);
    Bytes frame = FrameBuilder(2, 16).byte(4).bytes(Bytes(16, 0xEE)).bytes(c.rowOne).take();
    EXPECT_EQ(From(DecodeFrame(frame, small.view())).error, c.error) << c.name;
    EXPECT_EQ(small.row(0, 16), Bytes(16, 0xEE)) << c.name;
  }
}

TEST_P(FrameCodecTest, SourcesBeforeMemoryAreRejected) {
  for (int slack : {0, 3}) {
    TestBitmap tight(16, 4, 16, false, slack);
    auto decodeRowZero = [&](const Bytes& ops) {
      Bytes frame = FrameBuilder(1, 16).bytes(ops).take();
      return From(DecodeFrame(frame, tight.view())).error;
    };
    auto d = static_cast<std::uint8_t>(slack);
    EXPECT_EQ(decodeRowZero({8, 0x87, d, 0}), std::nullopt) << "d reaching the first byte";
    EXPECT_EQ(decodeRowZero({8, 0x87, static_cast<std::uint8_t>(d + 1), 0}),
              FrameError::kBadCopySource);
    EXPECT_EQ(decodeRowZero({8, 0x84}),
              slack == 0 ? std::optional(FrameError::kBadCopySource) : std::nullopt);
  }
}

TEST_P(FrameCodecTest, PaddingBitsDoNotCompleteACutOffCode) {
  // Codes 0011, 1, 1, then 01 whose sign bit is missing: the zero bits past the record's end must
  // not complete it.
  Bytes frame = FrameBuilder(2, 4).byte(40).byte(20).subOp(1, 4).byte(0x3D).take();
  EXPECT_EQ(decode(frame).error, FrameError::kTruncated);
  frame.push_back(0x00);  // the sign bit, and the run ends inside this byte
  EXPECT_EQ(ExpectSameAsReference(frame, bitmap).used, frame.size());
}

TEST_P(FrameCodecTest, BadSizesAndBitmapsAreRejected) {
  for (auto [rows, width] : {std::pair{-1, 16}, {1, -2}, {7, 16}, {6, 17}}) {
    EXPECT_EQ(decode(FrameBuilder(rows, width).byte(40).take()).error, FrameError::kBadSize);
  }
  EXPECT_EQ(decode({6, 0, 16}).error, FrameError::kTruncated);
  TestBitmap broken = bitmap;
  broken.stride *= 2;
  EXPECT_EQ(From(DecodeFrame(FrameBuilder(0, 0).take(), broken.view())).error,
            FrameError::kBadDestination);
  broken = bitmap;
  broken.width = 0;
  broken.stride *= 3;
  EXPECT_EQ(From(DecodeFrame(FrameBuilder(0, 0).take(), broken.view())).error,
            FrameError::kBadDestination);
}

TEST_P(FrameCodecTest, EveryShortenedFrameIsTruncated) {
  Bytes frame = FrameBuilder(4, 16)
                    .byte(4)
                    .bytes(Bytes(16, 3))
                    .byte(20)
                    .subOp(0, 6)
                    .byte(9)
                    .deltas({1, -1, 0, 90, -7})
                    .subOp(1, 10)
                    .deltas({5, 5, 0, 0, 200, 1, 2, 3, 4, 5})
                    .byte(56)
                    .byte(60 - 44 + 8)
                    .subOp(7, 16)
                    .bytes({17, 0})
                    .take();
  ASSERT_EQ(ExpectSameAsReference(frame, bitmap).used, frame.size());
  for (std::size_t length = 0; length < frame.size(); ++length) {
    Bytes cut(frame.begin(), frame.begin() + static_cast<std::ptrdiff_t>(length));
    EXPECT_EQ(ExpectSameAsReference(cut, bitmap).error, FrameError::kTruncated) << length;
  }
}

// Random frames: mostly well-formed, with random neighbours, kinds, lengths, distances and codes.
class RandomFrames {
 public:
  explicit RandomFrames(std::uint32_t seed) : rng_(seed) {}

  int below(int n) { return static_cast<int>(rng_() % static_cast<std::uint32_t>(n)); }
  bool chance(int percent) { return below(100) < percent; }

  Bytes frame(const TestBitmap& bitmap) {
    int rows = below(bitmap.height + 1),
        width = bitmap.width - (chance(20) ? below(bitmap.width + 1) : 0);
    FrameBuilder out(rows, width);
    for (int r = 0; r < rows; ++r) {
      int choice = below(100);
      int neighbour = this->neighbour(r, bitmap.height);
      if (choice < 15) {
        out.byte(4);
        for (int i = 0; i < width / 2 * 2; ++i) out.byte(below(256));
      } else if (choice < 25) {
        out.byte(40);
      } else if (choice < 40) {
        out.byte(44 + 4 * neighbour);
      } else {
        out.byte(8 + 4 * neighbour);
        deltaRow(out, bitmap.offset(r, 0), width);
      }
    }
    return out.take();
  }

 private:
  // Mostly a neighbour inside the bitmap, sometimes any of the eight.
  int neighbour(int r, int height) {
    std::vector<int> inside;
    for (int i = 0; i < 8; ++i) {
      int row = r + (i < 4 ? i - 4 : i - 3);
      if (row >= 0 && row < height) inside.push_back(i);
    }
    if (inside.empty() || chance(5)) return below(8);
    return inside[static_cast<std::size_t>(below(static_cast<int>(inside.size())))];
  }
  void deltaRow(FrameBuilder& out, std::size_t rowOffset, int width) {
    for (int x = 0; x < width;) {
      int left = width - x;
      int count = 1 + below(std::min(left, chance(80) ? 8 : chance(50) ? 31 : 287));
      int kind = below(8);
      if (kind == 0 && count < 2) kind = 2;
      out.subOp(kind, count);
      switch (kind) {
        case 0:
          out.byte(below(256)).deltas(codes(count - 1), chance(10));
          break;
        case 1:
          out.deltas(codes(count), chance(10));
          break;
        case 5:
          for (int i = 0; i < count; ++i) out.byte(below(256));
          break;
        case 6:
          out.byte(below(256));
          break;
        case 7: {
          int reach = static_cast<int>(std::min<std::size_t>(rowOffset + x, 0xFFFF));
          int d = chance(60) ? std::min(below(9), reach) : below(reach + 1);
          out.byte(d & 0xFF).byte(d >> 8);
          break;
        }
        default:
          break;
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
  int decoded = 0, frames = 0;
  for (int round = 0; round < 3000; ++round) {
    int width = 1 + (random.chance(10) ? random.below(320) : random.below(40));
    int height = 1 + random.below(12);
    // Mostly separate rows; sometimes rows that overlap, down to strides of 0 .. 3.
    int choice = random.below(10);
    int stride = choice < 6   ? width + random.below(6)
                 : choice < 8 ? std::max(1, width / 2)
                              : random.below(4);
    TestBitmap bitmap(width, height, stride, random.chance(50), random.below(9));
    Bytes frame = random.frame(bitmap);
    ++frames;
    if (ExpectSameAsReference(frame, bitmap).used) ++decoded;
    // Damaged copies: a changed byte, a cut, a lost byte.
    for (int damage = 0; damage < 3 && !frame.empty(); ++damage) {
      Bytes bad = frame;
      auto at = static_cast<std::size_t>(random.below(static_cast<int>(bad.size())));
      if (damage == 0) bad[at] = static_cast<std::uint8_t>(random.below(256));
      if (damage == 1) bad.resize(at);
      if (damage == 2) bad.erase(bad.begin() + static_cast<std::ptrdiff_t>(at));
      ExpectSameAsReference(bad, bitmap);
    }
    if (HasFailure()) break;
  }
  EXPECT_GT(decoded, frames / 3) << "too few random frames were well-formed to mean much";
}

}  // namespace
}  // namespace lw
