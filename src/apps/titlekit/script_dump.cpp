#include "apps/titlekit/script_dump.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string_view>
#include <vector>

#include "common/mac_roman.h"
#include "script/keywords.h"
#include "script/token.h"

namespace lw::titlekit {
namespace {

constexpr std::size_t kPoolRowBytes = 16;
constexpr std::uint8_t kFirstPrintable = 0x20;
constexpr std::uint8_t kLastPrintable = 0x7E;
constexpr std::uint8_t kFirstUpper = 0x80;
constexpr char kUnprintable = '.';

bool IsPrintableAscii(std::uint8_t byte) {
  return byte >= kFirstPrintable && byte <= kLastPrintable;
}

std::string Formatted(const char* format, unsigned value) {
  std::array<char, 16> buffer{};
  std::snprintf(buffer.data(), buffer.size(), format, value);
  return buffer.data();
}

// A Mac Roman text in double quotes, in UTF-8; control bytes, quotes and backslashes escaped,
// since the bytes of a compiled file can be anything.
std::string Quoted(std::string_view macRoman) {
  std::string out = "\"";
  for (const char c : macRoman) {
    const auto byte = static_cast<std::uint8_t>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (IsPrintableAscii(byte) || byte >= kFirstUpper) {
      out += MacRomanToUtf8(std::string_view(&c, 1));
    } else {
      out += Formatted("\\x%02x", byte);
    }
  }
  return out + "\"";
}

// Bytes as "05 00 28 ..."; `width` bytes of room, blank-padded, so that columns line up.
std::string HexBytes(std::span<const std::uint8_t> bytes, std::size_t width) {
  std::string out;
  for (std::size_t i = 0; i < width; ++i) {
    if (i > 0) out += ' ';
    out += i < bytes.size() ? Formatted("%02x", bytes[i]) : "  ";
  }
  return out;
}

std::string Offset(std::size_t offset) { return Formatted("%04x", static_cast<unsigned>(offset)); }

// The pool row's bytes as characters, '.' for all but printable ASCII.
std::string AsciiGutter(std::span<const std::uint8_t> bytes) {
  std::string out;
  for (const std::uint8_t byte : bytes) {
    out += IsPrintableAscii(byte) ? static_cast<char>(byte) : kUnprintable;
  }
  return out;
}

}  // namespace

std::string DescribeToken(const CompiledScript& script, std::size_t index) {
  const Token& token = script.tokens()[index];
  switch (token.code) {
    case tok::kEnd: return "end";
    case tok::kString: return "string " + Quoted(script.textOf(index));
    case tok::kName: return "name " + Quoted(script.textOf(index));
    case tok::kNumber: return "number " + std::to_string(token.value);
    case tok::kLineEnd: return "line end " + std::to_string(token.value);
    default: {
      const std::string_view keyword = KeywordName(token.code);
      if (keyword.empty()) return "code " + std::to_string(token.code);
      return MacRomanToUtf8(keyword);
    }
  }
}

std::string DumpScript(const CompiledScript& script) {
  const std::vector<std::uint8_t> bytes = script.ToBytes();
  const std::span<const std::uint8_t> all(bytes);
  const std::size_t poolStart = script.tokenCount() * kTokenSize;

  std::string out = std::to_string(script.tokenCount()) + " tokens\n";
  for (std::size_t i = 0; i < script.tokenCount(); ++i) {
    const std::size_t at = i * kTokenSize;
    out += Offset(at) + "  " + HexBytes(all.subspan(at, kTokenSize), kTokenSize) + "  " +
           DescribeToken(script, i) + "\n";
  }
  out += "pool: " + std::to_string(script.pool().size()) + " bytes\n";
  for (std::size_t at = poolStart; at < bytes.size(); at += kPoolRowBytes) {
    const auto row = all.subspan(at, std::min(kPoolRowBytes, bytes.size() - at));
    out += Offset(at) + "  " + HexBytes(row, kPoolRowBytes) + "  |" + AsciiGutter(row) + "|\n";
  }
  return out;
}

}  // namespace lw::titlekit
