// Little-endian readers and writers over bounded byte buffers. Every stored format of the
// system is read and written through these, never by copying structs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "common/geometry.h"

namespace lw {

// Reads little-endian fields from a bounded span. A read past the end sets the failed flag and
// yields 0, so a loader can read a whole header and check once ("truncated") at the end.
class ByteReader {
 public:
  explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  [[nodiscard]] std::size_t position() const { return pos_; }
  [[nodiscard]] std::size_t remaining() const { return failed_ ? 0 : bytes_.size() - pos_; }
  [[nodiscard]] bool failed() const { return failed_; }

  std::uint8_t u8() { return static_cast<std::uint8_t>(take(1)); }
  std::uint16_t u16() { return static_cast<std::uint16_t>(take(2)); }
  std::uint32_t u32() { return static_cast<std::uint32_t>(take(4)); }
  std::int16_t i16() { return static_cast<std::int16_t>(u16()); }
  std::int32_t i32() { return static_cast<std::int32_t>(u32()); }

  // A view of the next `count` bytes; empty and failed when they are not all there.
  std::span<const std::uint8_t> bytes(std::size_t count) {
    if (failed_ || count > bytes_.size() - pos_) {
      failed_ = true;
      return {};
    }
    auto view = bytes_.subspan(pos_, count);
    pos_ += count;
    return view;
  }

  void skip(std::size_t count) { (void)bytes(count); }

 private:
  std::uint32_t take(std::size_t width) {
    auto view = bytes(width);
    std::uint32_t value = 0;
    for (std::size_t i = view.size(); i > 0; --i) value = (value << 8) | view[i - 1];
    return value;
  }

  std::span<const std::uint8_t> bytes_;
  std::size_t pos_ = 0;
  bool failed_ = false;
};

// Appends little-endian fields to a growing buffer.
class ByteWriter {
 public:
  void u8(std::uint8_t v) { out_.push_back(v); }
  void u16(std::uint16_t v) { put(v, 2); }
  void u32(std::uint32_t v) { put(v, 4); }
  void i16(std::int16_t v) { u16(static_cast<std::uint16_t>(v)); }
  void i32(std::int32_t v) { u32(static_cast<std::uint32_t>(v)); }
  void bytes(std::span<const std::uint8_t> v) { out_.insert(out_.end(), v.begin(), v.end()); }
  void zeros(std::size_t count) { out_.insert(out_.end(), count, 0); }

  [[nodiscard]] const std::vector<std::uint8_t>& data() const { return out_; }
  [[nodiscard]] std::vector<std::uint8_t> take() { return std::move(out_); }

 private:
  void put(std::uint32_t v, int width) {
    for (int i = 0; i < width; ++i) out_.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  }

  std::vector<std::uint8_t> out_;
};

// Reads a little-endian field at an offset that the caller has already bounds-checked.
inline std::uint16_t LoadU16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t LoadU32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// A rectangle as the stored formats hold it: top, left, bottom, right, each an i16.
inline Rect ReadRect(ByteReader& in) {
  Rect r;
  r.top = in.i16();
  r.left = in.i16();
  r.bottom = in.i16();
  r.right = in.i16();
  return r;
}

inline void WriteRect(ByteWriter& out, const Rect& r) {
  out.i16(r.top);
  out.i16(r.left);
  out.i16(r.bottom);
  out.i16(r.right);
}

}  // namespace lw
