#include "apps/titlekit/mac_roman.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>

namespace lw::titlekit {
namespace {

constexpr char kCarriageReturn = '\r';
constexpr char kLineFeed = '\n';
constexpr std::uint8_t kFirstUpper = 0x80;  // bytes below are ASCII in both sets
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The code points of Mac Roman bytes 0x80..0xFF (the modern table: the euro sign at 0xDB and
// the Apple logo, a private-use character, at 0xF0).
constexpr std::array<char32_t, 128> kUpperHalf = {
    0x00C4, 0x00C5, 0x00C7, 0x00C9, 0x00D1, 0x00D6, 0x00DC, 0x00E1,  // 0x80
    0x00E0, 0x00E2, 0x00E4, 0x00E3, 0x00E5, 0x00E7, 0x00E9, 0x00E8,  // 0x88
    0x00EA, 0x00EB, 0x00ED, 0x00EC, 0x00EE, 0x00EF, 0x00F1, 0x00F3,  // 0x90
    0x00F2, 0x00F4, 0x00F6, 0x00F5, 0x00FA, 0x00F9, 0x00FB, 0x00FC,  // 0x98
    0x2020, 0x00B0, 0x00A2, 0x00A3, 0x00A7, 0x2022, 0x00B6, 0x00DF,  // 0xA0
    0x00AE, 0x00A9, 0x2122, 0x00B4, 0x00A8, 0x2260, 0x00C6, 0x00D8,  // 0xA8
    0x221E, 0x00B1, 0x2264, 0x2265, 0x00A5, 0x00B5, 0x2202, 0x2211,  // 0xB0
    0x220F, 0x03C0, 0x222B, 0x00AA, 0x00BA, 0x03A9, 0x00E6, 0x00F8,  // 0xB8
    0x00BF, 0x00A1, 0x00AC, 0x221A, 0x0192, 0x2248, 0x2206, 0x00AB,  // 0xC0
    0x00BB, 0x2026, 0x00A0, 0x00C0, 0x00C3, 0x00D5, 0x0152, 0x0153,  // 0xC8
    0x2013, 0x2014, 0x201C, 0x201D, 0x2018, 0x2019, 0x00F7, 0x25CA,  // 0xD0
    0x00FF, 0x0178, 0x2044, 0x20AC, 0x2039, 0x203A, 0xFB01, 0xFB02,  // 0xD8
    0x2021, 0x00B7, 0x201A, 0x201E, 0x2030, 0x00C2, 0x00CA, 0x00C1,  // 0xE0
    0x00CB, 0x00C8, 0x00CD, 0x00CE, 0x00CF, 0x00CC, 0x00D3, 0x00D4,  // 0xE8
    0xF8FF, 0x00D2, 0x00DA, 0x00DB, 0x00D9, 0x0131, 0x02C6, 0x02DC,  // 0xF0
    0x00AF, 0x02D8, 0x02D9, 0x02DA, 0x00B8, 0x02DD, 0x02DB, 0x02C7,  // 0xF8
};

// The four UTF-8 sequence shapes: the lead byte's tag and payload mask, and the smallest code
// point that a sequence of that length may carry (anything smaller is an overlong form).
struct SequenceShape {
  std::size_t length;
  std::uint8_t leadTag;
  std::uint8_t payloadMask;
  char32_t smallest;
};
constexpr std::array<SequenceShape, 4> kShapes = {{
    {1, 0x00, 0x7F, 0x0},
    {2, 0xC0, 0x1F, 0x80},
    {3, 0xE0, 0x0F, 0x800},
    {4, 0xF0, 0x07, 0x10000},
}};
constexpr std::uint8_t kContinuationTag = 0x80;
constexpr std::uint8_t kContinuationMask = 0xC0;
constexpr std::uint8_t kContinuationPayload = 0x3F;
constexpr int kContinuationBits = 6;
constexpr char32_t kFirstSurrogate = 0xD800;
constexpr char32_t kLastSurrogate = 0xDFFF;
constexpr char32_t kLargestCodePoint = 0x10FFFF;

// The shape of a sequence from its lead byte; null for a byte that cannot lead one.
const SequenceShape* ShapeOf(std::uint8_t lead) {
  for (const SequenceShape& shape : kShapes) {
    if ((lead & static_cast<std::uint8_t>(~shape.payloadMask)) == shape.leadTag) return &shape;
  }
  return nullptr;
}

// One decoded character: its code point and byte length, or length 0 when the bytes at that
// place are not valid UTF-8 (a stray or missing continuation byte, an overlong form, a
// surrogate or a code point beyond U+10FFFF).
struct Decoded {
  char32_t codePoint = 0;
  std::size_t length = 0;
};

Decoded DecodeAt(std::string_view text, std::size_t at) {
  const auto lead = static_cast<std::uint8_t>(text[at]);
  const SequenceShape* shape = ShapeOf(lead);
  if (shape == nullptr || shape->length > text.size() - at) return {};
  char32_t codePoint = lead & shape->payloadMask;
  for (std::size_t i = 1; i < shape->length; ++i) {
    const auto next = static_cast<std::uint8_t>(text[at + i]);
    if ((next & kContinuationMask) != kContinuationTag) return {};
    codePoint = (codePoint << kContinuationBits) | (next & kContinuationPayload);
  }
  if (codePoint < shape->smallest || codePoint > kLargestCodePoint ||
      (codePoint >= kFirstSurrogate && codePoint <= kLastSurrogate)) {
    return {};
  }
  return {codePoint, shape->length};
}

// Appends the UTF-8 form of a code point (at most U+10FFFF).
void AppendUtf8(std::string& out, char32_t codePoint) {
  const auto shape = std::find_if(kShapes.rbegin(), kShapes.rend(),
                                  [&](const auto& s) { return codePoint >= s.smallest; });
  const int continuations = static_cast<int>(shape->length) - 1;
  out.push_back(
      static_cast<char>(shape->leadTag | (codePoint >> (continuations * kContinuationBits))));
  for (int i = continuations - 1; i >= 0; --i) {
    out.push_back(static_cast<char>(
        kContinuationTag | ((codePoint >> (i * kContinuationBits)) & kContinuationPayload)));
  }
}

std::string Hex(unsigned value, int digits) {
  std::array<char, 16> buffer{};
  std::snprintf(buffer.data(), buffer.size(), "%0*X", digits, value);
  return buffer.data();
}

constexpr int kByteDigits = 2;
constexpr int kCodePointDigits = 4;

}  // namespace

Expected<std::string, ConversionFailure> Utf8ToMacRoman(std::string_view utf8) {
  if (utf8.starts_with(kByteOrderMark)) utf8.remove_prefix(kByteOrderMark.size());
  std::string out;
  out.reserve(utf8.size());
  TextPosition here;
  std::size_t at = 0;
  while (at < utf8.size()) {
    const char c = utf8[at];
    if (c == kCarriageReturn || c == kLineFeed) {
      const bool crlf = c == kCarriageReturn && at + 1 < utf8.size() && utf8[at + 1] == kLineFeed;
      at += crlf ? 2 : 1;
      out.push_back(kCarriageReturn);
      here = {here.line + 1, 1};
      continue;
    }
    const Decoded decoded = DecodeAt(utf8, at);
    if (decoded.length == 0) {
      return Unexpected{ConversionFailure{
          here, "invalid UTF-8 byte 0x" + Hex(static_cast<std::uint8_t>(c), kByteDigits)}};
    }
    if (decoded.codePoint < kFirstUpper) {
      out.push_back(static_cast<char>(decoded.codePoint));
    } else {
      const auto* found = std::find(kUpperHalf.begin(), kUpperHalf.end(), decoded.codePoint);
      if (found == kUpperHalf.end()) {
        return Unexpected{ConversionFailure{
            here,
            "character U+" + Hex(decoded.codePoint, kCodePointDigits) + " has no Mac Roman form"}};
      }
      out.push_back(static_cast<char>(kFirstUpper + (found - kUpperHalf.begin())));
    }
    at += decoded.length;
    ++here.column;
  }
  return out;
}

std::string MacRomanToUtf8(std::string_view macRoman) {
  std::string out;
  out.reserve(macRoman.size());
  for (const char c : macRoman) {
    const auto byte = static_cast<std::uint8_t>(c);
    if (c == kCarriageReturn) {
      out.push_back(kLineFeed);
    } else if (byte < kFirstUpper) {
      out.push_back(c);
    } else {
      AppendUtf8(out, kUpperHalf[byte - kFirstUpper]);
    }
  }
  return out;
}

TextPosition PositionInConverted(std::string_view macRoman, std::size_t offset) {
  const std::string_view before = macRoman.substr(0, std::min(offset, macRoman.size()));
  const std::size_t lastBreak = before.rfind(kCarriageReturn);
  const std::size_t lineStart = lastBreak == std::string_view::npos ? 0 : lastBreak + 1;
  return {static_cast<int>(std::count(before.begin(), before.end(), kCarriageReturn)) + 1,
          static_cast<int>(before.size() - lineStart) + 1};
}

}  // namespace lw::titlekit
