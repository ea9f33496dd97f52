#include "platform/headless/mac_roman_text.h"

#include <array>
#include <cstdio>

namespace lw::platform {
namespace {

constexpr std::uint8_t kFirstUpper = 0x80;  // bytes below are ASCII in both sets

// The code points of Mac Roman bytes 0x80..0xFF (the euro sign at 0xDB, the Apple logo, a
// private-use character, at 0xF0).
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

// The UTF-8 sequence shapes: length, the lead byte's tag and payload mask, and the smallest
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

std::string InvalidByte(std::uint8_t byte) {
  std::array<char, sizeof "invalid UTF-8 byte 0xFF"> text{};
  std::snprintf(text.data(), text.size(), "invalid UTF-8 byte 0x%02X", byte);
  return text.data();
}

// Appends a code point of the Basic Multilingual Plane (every Mac Roman character is one) as
// UTF-8.
void AppendUtf8(std::string& out, char32_t codePoint) {
  const SequenceShape* shape = &kShapes[0];
  for (const SequenceShape& candidate : kShapes)
    if (codePoint >= candidate.smallest) shape = &candidate;
  const int trailing = static_cast<int>(shape->length) - 1;
  out.push_back(static_cast<char>(shape->leadTag |
                                  (codePoint >> (kContinuationBits * trailing))));
  for (int i = trailing - 1; i >= 0; --i)
    out.push_back(static_cast<char>(
        kContinuationTag | ((codePoint >> (kContinuationBits * i)) & kContinuationPayload)));
}

}  // namespace

Expected<MacRomanCharacter, std::string> TakeMacRomanCharacter(std::string_view utf8) {
  const auto lead = static_cast<std::uint8_t>(utf8.front());
  const SequenceShape* shape = nullptr;
  for (const SequenceShape& candidate : kShapes)
    if ((lead & static_cast<std::uint8_t>(~candidate.payloadMask)) == candidate.leadTag)
      shape = &candidate;
  if (shape == nullptr) return Unexpected(InvalidByte(lead));
  if (shape->length > utf8.size()) return Unexpected(std::string("UTF-8 character cut short"));
  char32_t codePoint = lead & shape->payloadMask;
  for (std::size_t i = 1; i < shape->length; ++i) {
    const auto next = static_cast<std::uint8_t>(utf8[i]);
    if ((next & kContinuationMask) != kContinuationTag) return Unexpected(InvalidByte(next));
    codePoint = (codePoint << kContinuationBits) | (next & kContinuationPayload);
  }
  if (codePoint < shape->smallest) return Unexpected(InvalidByte(lead));
  if (codePoint < kFirstUpper) return MacRomanCharacter{static_cast<std::uint8_t>(codePoint), 1};
  for (std::size_t i = 0; i < kUpperHalf.size(); ++i)
    if (kUpperHalf[i] == codePoint)
      return MacRomanCharacter{static_cast<std::uint8_t>(kFirstUpper + i), shape->length};
  std::array<char, sizeof "character U+10FFFF has no Mac Roman form"> text{};
  std::snprintf(text.data(), text.size(), "character U+%04X has no Mac Roman form",
                static_cast<unsigned>(codePoint));
  return Unexpected(std::string(text.data()));
}

std::string MacRomanToUtf8(std::string_view macRoman) {
  std::string out;
  out.reserve(macRoman.size());
  for (const char c : macRoman) {
    const auto byte = static_cast<std::uint8_t>(c);
    AppendUtf8(out, byte < kFirstUpper ? char32_t{byte} : kUpperHalf[byte - kFirstUpper]);
  }
  return out;
}

}  // namespace lw::platform
