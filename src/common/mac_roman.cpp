#include "common/mac_roman.h"

#include <algorithm>
#include <array>

namespace lw {
namespace {

constexpr std::uint8_t kFirstUpper = 0x80;  // bytes below are ASCII in both sets

// The code points of Mac Roman bytes 0x80..0xFF.
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

// The four UTF-8 sequence shapes: length, the lead byte's tag and payload mask, and the smallest
// code point that a sequence of that length may carry (anything smaller is an overlong form).
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

constexpr std::size_t kByteDigits = 2;
constexpr std::size_t kCodePointDigits = 4;

// The shape of a sequence from its lead byte; null for a byte that cannot lead one.
const SequenceShape* ShapeOf(std::uint8_t lead) {
  for (const SequenceShape& shape : kShapes) {
    if ((lead & static_cast<std::uint8_t>(~shape.payloadMask)) == shape.leadTag) return &shape;
  }
  return nullptr;
}

// `value` in upper-case hexadecimal, padded with zeros to at least `digits` digits.
std::string Hex(char32_t value, std::size_t digits) {
  constexpr std::string_view kDigits = "0123456789ABCDEF";
  constexpr int kBitsPerDigit = 4;
  constexpr char32_t kDigitMask = 0xF;
  std::string out;
  do {
    out.insert(out.begin(), kDigits[value & kDigitMask]);
    value >>= kBitsPerDigit;
  } while (value != 0);
  if (out.size() < digits) out.insert(0, digits - out.size(), '0');
  return out;
}

// The failure for a sequence that is not valid UTF-8, named by its lead byte.
Unexpected<std::string> InvalidByte(std::uint8_t lead) {
  return Unexpected("invalid UTF-8 byte 0x" + Hex(lead, kByteDigits));
}

// Appends the UTF-8 form of a code point (at most U+10FFFF).
void AppendUtf8(std::string& out, char32_t codePoint) {
  const auto shape = std::find_if(kShapes.rbegin(), kShapes.rend(),
                                  [&](const SequenceShape& s) { return codePoint >= s.smallest; });
  const int continuations = static_cast<int>(shape->length) - 1;
  out.push_back(
      static_cast<char>(shape->leadTag | (codePoint >> (continuations * kContinuationBits))));
  for (int i = continuations - 1; i >= 0; --i) {
    out.push_back(static_cast<char>(
        kContinuationTag | ((codePoint >> (i * kContinuationBits)) & kContinuationPayload)));
  }
}

}  // namespace

Expected<MacRomanCharacter, std::string> TakeMacRomanCharacter(std::string_view utf8) {
  if (utf8.empty()) return Unexpected(std::string("no character to convert"));
  const auto lead = static_cast<std::uint8_t>(utf8.front());
  const SequenceShape* shape = ShapeOf(lead);
  if (shape == nullptr || shape->length > utf8.size()) return InvalidByte(lead);
  char32_t codePoint = lead & shape->payloadMask;
  for (std::size_t i = 1; i < shape->length; ++i) {
    const auto next = static_cast<std::uint8_t>(utf8[i]);
    if ((next & kContinuationMask) != kContinuationTag) return InvalidByte(lead);
    codePoint = (codePoint << kContinuationBits) | (next & kContinuationPayload);
  }
  if (codePoint < shape->smallest || codePoint > kLargestCodePoint ||
      (codePoint >= kFirstSurrogate && codePoint <= kLastSurrogate)) {
    return InvalidByte(lead);
  }
  if (codePoint < kFirstUpper) return MacRomanCharacter{lead, shape->length};
  const auto found = std::find(kUpperHalf.begin(), kUpperHalf.end(), codePoint);
  if (found == kUpperHalf.end()) {
    return Unexpected("character U+" + Hex(codePoint, kCodePointDigits) + " has no Mac Roman form");
  }
  return MacRomanCharacter{static_cast<std::uint8_t>(kFirstUpper + (found - kUpperHalf.begin())),
                           shape->length};
}

std::string MacRomanToUtf8(std::string_view macRoman) {
  std::string out;
  out.reserve(macRoman.size());
  for (const char c : macRoman) {
    const auto byte = static_cast<std::uint8_t>(c);
    if (byte < kFirstUpper) {
      out.push_back(c);
    } else {
      AppendUtf8(out, kUpperHalf[byte - kFirstUpper]);
    }
  }
  return out;
}

}  // namespace lw
