// embed_resources: reads the program's readable resource sources and writes one C++ source file
// that holds them as data (see embedded_resources.h). Runs on the build machine at build time.
//
//   embed_resources OUTPUT.cpp [--strings FILE] [--palettes FILE...] [--tables FILE...]
//                   [--cursors FILE...] [--icon FILE]
//
// The source formats are described in resources/README.md. A malformed source stops the build
// with "FILE:LINE: message" on standard error and exit status 1; nothing is written then.
#include <array>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

// ---------------------------------------------------------------------------------------------
// Reading sources

struct Source {
  std::string path;
  std::vector<std::string> lines;
};

// A position in a source, for messages.
struct Where {
  const Source& source;
  int line;  // 1-based; 1 for the file as a whole
};

[[noreturn]] void Fail(const Where& where, const std::string& message) {
  std::fprintf(stderr, "%s:%d: %s\n", where.source.path.c_str(), where.line, message.c_str());
  std::exit(EXIT_FAILURE);
}

[[noreturn]] void FailUsage(const std::string& message) {
  std::fprintf(stderr, "embed_resources: %s\n", message.c_str());
  std::exit(EXIT_FAILURE);
}

Source ReadSource(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) FailUsage("cannot read " + path);
  Source source{path, {}};
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();  // sources edited elsewhere
    source.lines.push_back(std::move(line));
  }
  return source;
}

bool IsBlankOrComment(std::string_view line) {
  return line.find_first_not_of(" \t") == std::string_view::npos || line.front() == '#';
}

// The fields of a line, split at spaces and tabs.
std::vector<std::string_view> Fields(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t pos = 0;
  while (true) {
    pos = line.find_first_not_of(" \t", pos);
    if (pos == std::string_view::npos) return fields;
    const std::size_t end = std::min(line.find_first_of(" \t", pos), line.size());
    fields.push_back(line.substr(pos, end - pos));
    pos = end;
  }
}

std::optional<int> HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return std::nullopt;
}

// A hex number of 1 to `maxDigits` digits.
std::uint32_t ParseHex(std::string_view field, std::size_t maxDigits, const Where& where) {
  if (field.empty() || field.size() > maxDigits)
    Fail(where, "bad hex \"" + std::string(field) + "\" (1 to " + std::to_string(maxDigits) +
                    " hex digits)");
  std::uint32_t value = 0;
  for (char c : field) {
    const std::optional<int> digit = HexDigit(c);
    if (!digit) Fail(where, "bad hex \"" + std::string(field) + "\"");
    value = value * 16 + static_cast<std::uint32_t>(*digit);
  }
  return value;
}

// A decimal number, optionally negative, within [low, high].
long ParseDecimal(std::string_view field, long low, long high, const Where& where) {
  constexpr std::size_t kMaxDigits = 10;
  const bool negative = !field.empty() && field.front() == '-';
  const std::string_view digits = negative ? field.substr(1) : field;
  if (digits.empty() || digits.size() > kMaxDigits)
    Fail(where, "bad number \"" + std::string(field) + "\"");
  long long value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') Fail(where, "bad number \"" + std::string(field) + "\"");
    value = value * 10 + (c - '0');
  }
  if (negative) value = -value;
  if (value < low || value > high)
    Fail(where, "number " + std::string(field) + " is outside " + std::to_string(low) + ".." +
                    std::to_string(high));
  return static_cast<long>(value);
}

// The file name without its folder and without ".txt".
std::string BaseName(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  constexpr std::string_view kExtension = ".txt";
  if (name.size() > kExtension.size() && name.ends_with(kExtension))
    name.resize(name.size() - kExtension.size());
  return name;
}

// Resource names are looked up exactly, so the files must carry the upper-case names.
std::string ResourceNameOf(const Source& source) {
  const std::string name = BaseName(source.path);
  for (char c : name) {
    if (!(std::isupper(static_cast<unsigned char>(c)) ||
          std::isdigit(static_cast<unsigned char>(c)) || c == '.'))
      Fail({source, 1}, "resource file names are upper-case letters, digits and full stops");
  }
  if (name.empty()) Fail({source, 1}, "empty resource name");
  return name;
}

void PutU16(std::vector<std::uint8_t>& out, std::uint32_t value) {
  out.push_back(static_cast<std::uint8_t>(value & 0xFF));
  out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  PutU16(out, value & 0xFFFF);
  PutU16(out, value >> 16);
}

// ---------------------------------------------------------------------------------------------
// Colour tables: "seed S flags F", then 256 lines "INDEX RED GREEN BLUE" in hex. The encoded
// table is u32 seed, u16 flags, u16 entry count minus one, then u16 index, red, green, blue per
// entry, little-endian (2,056 bytes).

constexpr int kPaletteEntries = 256;
constexpr std::size_t kMaxChannelDigits = 4;
constexpr std::size_t kMaxIndexDigits = 2;

std::vector<std::uint8_t> ReadPalette(const Source& source) {
  std::vector<std::uint8_t> out;
  bool haveHeader = false;
  int entries = 0;
  int lastLine = 0;
  for (std::size_t i = 0; i < source.lines.size(); ++i) {
    const Where where{source, static_cast<int>(i + 1)};
    if (IsBlankOrComment(source.lines[i])) continue;
    lastLine = where.line;
    const std::vector<std::string_view> fields = Fields(source.lines[i]);
    if (!haveHeader) {
      if (fields.size() != 4 || fields[0] != "seed" || fields[2] != "flags")
        Fail(where, "expected the header \"seed S flags F\"");
      PutU32(out, static_cast<std::uint32_t>(ParseDecimal(fields[1], 0, 0xFFFFFFFFL, where)));
      PutU16(out, static_cast<std::uint32_t>(ParseDecimal(fields[3], 0, 0xFFFF, where)));
      PutU16(out, kPaletteEntries - 1);
      haveHeader = true;
      continue;
    }
    if (fields.size() != 4) Fail(where, "expected \"INDEX RED GREEN BLUE\" in hex");
    if (entries == kPaletteEntries)
      Fail(where, "too many entries (a colour table has " + std::to_string(kPaletteEntries) + ")");
    if (ParseHex(fields[0], kMaxIndexDigits, where) != static_cast<std::uint32_t>(entries))
      Fail(where, "entry index " + std::string(fields[0]) + " out of order (expected entry " +
                      std::to_string(entries) + ")");
    PutU16(out, static_cast<std::uint32_t>(entries));
    for (std::size_t channel = 1; channel < fields.size(); ++channel)
      PutU16(out, ParseHex(fields[channel], kMaxChannelDigits, where));
    ++entries;
  }
  if (!haveHeader) Fail({source, lastLine}, "no \"seed S flags F\" header");
  if (entries != kPaletteEntries)
    Fail({source, lastLine}, "wrong count of entries: " + std::to_string(entries) + " (expected " +
                                 std::to_string(kPaletteEntries) + ")");
  return out;
}

// ---------------------------------------------------------------------------------------------
// Sine and cosine tables: 256 lines "DIRECTION VALUE" in decimal; encoded as 256 i16,
// little-endian.

constexpr int kTableEntries = 256;

std::vector<std::uint8_t> ReadTable(const Source& source) {
  std::vector<std::uint8_t> out;
  int entries = 0;
  int lastLine = 0;
  for (std::size_t i = 0; i < source.lines.size(); ++i) {
    const Where where{source, static_cast<int>(i + 1)};
    if (IsBlankOrComment(source.lines[i])) continue;
    lastLine = where.line;
    const std::vector<std::string_view> fields = Fields(source.lines[i]);
    if (fields.size() != 2) Fail(where, "expected \"DIRECTION VALUE\"");
    if (entries == kTableEntries)
      Fail(where, "too many entries (a table has " + std::to_string(kTableEntries) + ")");
    if (ParseDecimal(fields[0], 0, kTableEntries - 1, where) != entries)
      Fail(where, "direction " + std::string(fields[0]) + " out of order (expected " +
                      std::to_string(entries) + ")");
    const long value = ParseDecimal(fields[1], INT16_MIN, INT16_MAX, where);
    PutU16(out, static_cast<std::uint32_t>(static_cast<std::uint16_t>(value)));
    ++entries;
  }
  if (entries != kTableEntries)
    Fail({source, lastLine}, "wrong count of entries: " + std::to_string(entries) + " (expected " +
                                 std::to_string(kTableEntries) + ")");
  return out;
}

// ---------------------------------------------------------------------------------------------
// Cursors: "hotspot V H", then one line per row: '.' transparent, 'X' black, 'o' white,
// '~' inverted. 16 to 32 pixels a side.

constexpr int kMinCursorSide = 16;
constexpr int kMaxCursorSide = 32;
constexpr std::string_view kCursorPixels = ".Xo~";  // in the order of CursorImage::Pixel

struct Cursor {
  int width = 0;
  int height = 0;
  int hotV = 0;
  int hotH = 0;
  std::string pixels;  // characters of kCursorPixels, row by row
};

Cursor ReadCursor(const Source& source) {
  Cursor cursor;
  int hotSpotLine = 0;  // 0 until the hot spot line is read
  int lastLine = 0;
  for (std::size_t i = 0; i < source.lines.size(); ++i) {
    const Where where{source, static_cast<int>(i + 1)};
    const std::string& line = source.lines[i];
    if (IsBlankOrComment(line)) continue;
    lastLine = where.line;
    if (hotSpotLine == 0) {
      const std::vector<std::string_view> fields = Fields(line);
      if (fields.size() != 3 || fields[0] != "hotspot") Fail(where, "expected \"hotspot V H\"");
      cursor.hotV = static_cast<int>(ParseDecimal(fields[1], 0, kMaxCursorSide - 1, where));
      cursor.hotH = static_cast<int>(ParseDecimal(fields[2], 0, kMaxCursorSide - 1, where));
      hotSpotLine = where.line;
      continue;
    }
    const std::size_t bad = line.find_first_not_of(kCursorPixels);
    if (bad != std::string::npos)
      Fail(where,
           std::string("unexpected character '") + line[bad] + "' in a cursor row (use . X o ~)");
    const int width = static_cast<int>(line.size());
    if (cursor.height == 0) {
      if (width < kMinCursorSide || width > kMaxCursorSide)
        Fail(where, "a cursor row of " + std::to_string(width) + " pixels (16 to 32)");
      cursor.width = width;
    } else if (width != cursor.width) {
      Fail(where, "a cursor row of the wrong width: " + std::to_string(width) +
                      " pixels (expected " + std::to_string(cursor.width) + ")");
    }
    if (cursor.height == kMaxCursorSide) Fail(where, "more than 32 cursor rows");
    cursor.pixels += line;
    ++cursor.height;
  }
  if (hotSpotLine == 0) Fail({source, lastLine}, "no \"hotspot V H\" line");
  if (cursor.height < kMinCursorSide)
    Fail({source, lastLine}, "a cursor of " + std::to_string(cursor.height) + " rows (16 to 32)");
  if (cursor.hotV >= cursor.height || cursor.hotH >= cursor.width)
    Fail({source, hotSpotLine}, "the hot spot lies outside the picture");
  return cursor;
}

// "CURS2002" for a numbered cursor, "CURS.ARROW" for a named one.
std::string CursorResourceName(const Source& source) {
  const std::string name = ResourceNameOf(source);
  const bool numbered = name.find_first_not_of("0123456789") == std::string::npos;
  return numbered ? "CURS" + name : "CURS." + name;
}

// ---------------------------------------------------------------------------------------------
// The icon: "colour C RRGGBB" (or "colour C transparent") lines, then 32 rows of 32 characters.

constexpr int kIconSide = 32;
constexpr std::size_t kRgbaBytes = 4;
constexpr std::size_t kChannelHexDigits = 2;  // RR, GG, BB
constexpr std::uint8_t kOpaque = 0xFF;
using Rgba = std::array<std::uint8_t, kRgbaBytes>;

std::vector<std::uint8_t> ReadIcon(const Source& source) {
  std::map<char, Rgba> legend;
  std::vector<std::uint8_t> rgba;
  int rows = 0;
  int lastLine = 0;
  for (std::size_t i = 0; i < source.lines.size(); ++i) {
    const Where where{source, static_cast<int>(i + 1)};
    const std::string& line = source.lines[i];
    if (IsBlankOrComment(line)) continue;
    lastLine = where.line;
    if (line.starts_with("colour ")) {
      const std::vector<std::string_view> fields = Fields(line);
      if (rows != 0) Fail(where, "colour lines come before the picture");
      if (fields.size() != 3 || fields[1].size() != 1)
        Fail(where, "expected \"colour C RRGGBB\" or \"colour C transparent\"");
      const char key = fields[1][0];
      if (legend.contains(key)) Fail(where, std::string("colour '") + key + "' given twice");
      Rgba colour{};  // transparent: all zero
      if (fields[2] != "transparent") {
        constexpr std::size_t kAlpha = kRgbaBytes - 1;
        if (fields[2].size() != kAlpha * kChannelHexDigits)
          Fail(where, "bad hex colour \"" + std::string(fields[2]) + "\"");
        for (std::size_t c = 0; c < kAlpha; ++c) {
          const std::string_view digits =
              fields[2].substr(c * kChannelHexDigits, kChannelHexDigits);
          colour[c] = static_cast<std::uint8_t>(ParseHex(digits, kChannelHexDigits, where));
        }
        colour[kAlpha] = kOpaque;
      }
      legend[key] = colour;
      continue;
    }
    if (static_cast<int>(line.size()) != kIconSide)
      Fail(where, "an icon row of the wrong width: " + std::to_string(line.size()) +
                      " pixels (expected 32)");
    if (rows == kIconSide) Fail(where, "more than 32 icon rows");
    for (char c : line) {
      const auto found = legend.find(c);
      if (found == legend.end())
        Fail(where, std::string("colour '") + c + "' is not in the legend");
      rgba.insert(rgba.end(), found->second.begin(), found->second.end());
    }
    ++rows;
  }
  if (rows != kIconSide)
    Fail({source, lastLine},
         "wrong count of icon rows: " + std::to_string(rows) + " (expected 32)");
  return rgba;
}

// ---------------------------------------------------------------------------------------------
// The string table: "ID<TAB>TEXT" lines; escapes \n \t \\ \xHH; a line ending in a single
// backslash continues on the next line, whose leading white space is dropped.

constexpr long kMaxStringId = 0xFFFF;

// Appends the text of one line, undoing escapes; true when the line ends in a continuation.
bool AppendUnescaped(std::string_view text, std::string& out, const Where& where) {
  for (std::size_t pos = 0; pos < text.size(); ++pos) {
    if (text[pos] != '\\') {
      out.push_back(text[pos]);
      continue;
    }
    if (++pos == text.size()) return true;
    switch (text[pos]) {
      case 'n': out.push_back('\n'); break;
      case 't': out.push_back('\t'); break;
      case '\\': out.push_back('\\'); break;
      case 'x': {
        constexpr std::size_t kDigits = 2;
        if (text.size() - pos <= kDigits) Fail(where, "\\x needs two hex digits");
        out.push_back(static_cast<char>(ParseHex(text.substr(pos + 1, kDigits), kDigits, where)));
        pos += kDigits;
        break;
      }
      default: Fail(where, std::string("unknown escape \\") + text[pos]);
    }
  }
  return false;
}

std::map<int, std::string> ReadStrings(const Source& source) {
  std::map<int, std::string> strings;
  std::string* continued = nullptr;  // the text that the previous line continues into
  for (std::size_t i = 0; i < source.lines.size(); ++i) {
    const Where where{source, static_cast<int>(i + 1)};
    const std::string_view line = source.lines[i];
    if (!line.empty() && (line.back() == ' ' || line.back() == '\t'))
      Fail(where, "a line ends in white space (write a final space as \\x20)");
    if (continued) {
      if (IsBlankOrComment(line)) Fail(where, "a continued text ends in a blank or comment line");
      const std::size_t start = line.find_first_not_of(" \t");
      if (!AppendUnescaped(line.substr(start), *continued, where)) continued = nullptr;
      continue;
    }
    if (IsBlankOrComment(line)) continue;
    const std::size_t tab = line.find('\t');
    if (tab == std::string_view::npos) Fail(where, "expected ID<TAB>TEXT");
    const int id = static_cast<int>(ParseDecimal(line.substr(0, tab), 0, kMaxStringId, where));
    const auto [entry, added] = strings.emplace(id, std::string());
    if (!added) Fail(where, "duplicate string id " + std::to_string(id));
    if (AppendUnescaped(line.substr(tab + 1), entry->second, where)) continued = &entry->second;
  }
  const Where end{source, static_cast<int>(source.lines.size())};
  if (continued) Fail(end, "the last text ends in a continuation");
  if (strings.empty()) Fail(end, "the string table holds no texts");
  return strings;
}

// ---------------------------------------------------------------------------------------------
// Writing the generated source

constexpr std::size_t kBytesPerLine = 16;
constexpr std::size_t kPixelsPerLine = 32;
constexpr std::size_t kLiteralChunk = 72;

// A C++ string literal holding exactly `text`, split into adjacent pieces for long texts.
std::string Literal(std::string_view text) {
  std::string out = "\"";
  std::size_t pieceLength = 0;
  for (char c : text) {
    if (pieceLength >= kLiteralChunk) {
      out += "\"\n        \"";
      pieceLength = 0;
    }
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\' || c == '?') {
      out += '\\';
      out += c;
    } else if (byte >= 0x20 && byte < 0x7F) {
      out += c;
    } else {
      std::array<char, 8> octal{};
      std::snprintf(octal.data(), octal.size(), "\\%03o", byte);
      out += octal.data();
    }
    ++pieceLength;
  }
  return out + "\"";
}

void WriteBytes(std::ostream& out, const std::string& name,
                const std::vector<std::uint8_t>& bytes) {
  out << "constexpr std::uint8_t " << name << "[] = {";
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    out << (i % kBytesPerLine == 0 ? "\n   " : "") << ' ' << static_cast<int>(bytes[i]) << ',';
  }
  out << "\n};\n\n";
}

void WritePixels(std::ostream& out, const std::string& name, const Cursor& cursor) {
  // The four pixel kinds, written as one letter each to keep the tables readable.
  constexpr std::array<char, 4> kLetters = {'T', 'B', 'W', 'I'};
  out << "constexpr Pixel " << name << "[] = {";
  for (std::size_t i = 0; i < cursor.pixels.size(); ++i) {
    const char letter = kLetters[kCursorPixels.find(cursor.pixels[i])];
    out << (i % kPixelsPerLine == 0 ? "\n   " : "") << ' ' << letter << ',';
  }
  out << "\n};\n\n";
}

struct Resources {
  std::map<std::string, std::vector<std::uint8_t>> raw;
  std::map<std::string, Cursor> cursors;
  std::map<int, std::string> strings;
  std::vector<std::uint8_t> icon;
};

std::string Generate(const Resources& resources) {
  std::ostringstream out;
  out << "// Generated by embed_resources from the sources in resources/; do not edit.\n"
         "#include \"embedded_resources.h\"\n\n"
         "namespace lw::embedded {\n"
         "namespace {\n\n"
         "// The pixel kinds by letter; not every set of cursors uses every kind.\n"
         "using Pixel = platform::CursorImage::Pixel;\n"
         "[[maybe_unused]] constexpr Pixel T = Pixel::kTransparent;\n"
         "[[maybe_unused]] constexpr Pixel B = Pixel::kBlack;\n"
         "[[maybe_unused]] constexpr Pixel W = Pixel::kWhite;\n"
         "[[maybe_unused]] constexpr Pixel I = Pixel::kInvert;\n\n";
  int n = 0;
  for (const auto& [name, bytes] : resources.raw)
    WriteBytes(out, "kRaw" + std::to_string(n++), bytes);
  n = 0;
  for (const auto& [name, cursor] : resources.cursors)
    WritePixels(out, "kCursor" + std::to_string(n++), cursor);
  WriteBytes(out, "kIcon", resources.icon);

  out << "constexpr RawResource kRawResources[] = {\n";
  n = 0;
  for (const auto& [name, bytes] : resources.raw)
    out << "    {" << Literal(name) << ", kRaw" << n++ << "},\n";
  out << "};\n\nconstexpr CursorSource kCursors[] = {\n";
  n = 0;
  for (const auto& [name, c] : resources.cursors) {
    out << "    {" << Literal(name) << ", " << c.width << ", " << c.height << ", {" << c.hotV
        << ", " << c.hotH << "}, kCursor" << n++ << "},\n";
  }
  out << "};\n\nconstexpr StringEntry kStrings[] = {\n";
  for (const auto& [id, text] : resources.strings)
    out << "    {" << id << ", std::string_view(" << Literal(text) << ", " << text.size()
        << ")},\n";
  out << "};\n\n"
         "}  // namespace\n\n"
         "std::span<const RawResource> RawResources() { return kRawResources; }\n"
         "std::span<const CursorSource> Cursors() { return kCursors; }\n"
         "std::span<const StringEntry> Strings() { return kStrings; }\n"
         "std::span<const std::uint8_t> IconRgba() { return kIcon; }\n\n"
         "}  // namespace lw::embedded\n";
  return out.str();
}

// Adds raw data under a name that no other resource uses yet.
void AddRaw(Resources& resources, const Source& source, std::vector<std::uint8_t> bytes) {
  const std::string name = ResourceNameOf(source);
  if (!resources.raw.emplace(name, std::move(bytes)).second)
    Fail({source, 1}, "a second resource named " + name);
}

enum class Kind { kNone, kStrings, kPalettes, kTables, kCursors, kIcon };

Kind KindOfOption(std::string_view option) {
  if (option == "--strings") return Kind::kStrings;
  if (option == "--palettes") return Kind::kPalettes;
  if (option == "--tables") return Kind::kTables;
  if (option == "--cursors") return Kind::kCursors;
  if (option == "--icon") return Kind::kIcon;
  return Kind::kNone;
}

void ReadOne(Resources& resources, Kind kind, const std::string& path, bool& haveStrings,
             bool& haveIcon) {
  const Source source = ReadSource(path);
  switch (kind) {
    case Kind::kStrings:
      if (haveStrings) FailUsage("more than one string table");
      resources.strings = ReadStrings(source);
      haveStrings = true;
      break;
    case Kind::kPalettes: AddRaw(resources, source, ReadPalette(source)); break;
    case Kind::kTables: AddRaw(resources, source, ReadTable(source)); break;
    case Kind::kCursors: {
      const std::string name = CursorResourceName(source);
      if (!resources.cursors.emplace(name, ReadCursor(source)).second)
        Fail({source, 1}, "a second cursor named " + name);
      break;
    }
    case Kind::kIcon:
      if (haveIcon) FailUsage("more than one icon");
      resources.icon = ReadIcon(source);
      haveIcon = true;
      break;
    case Kind::kNone:
      FailUsage(
          "a source file before any of --strings, --palettes, --tables, "
          "--cursors, --icon: " +
          path);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2)
    FailUsage(
        "usage: embed_resources OUTPUT.cpp [--strings FILE] [--palettes FILE...] "
        "[--tables FILE...] [--cursors FILE...] [--icon FILE]");
  Resources resources;
  bool haveStrings = false;
  bool haveIcon = false;
  Kind kind = Kind::kNone;
  for (int i = 2; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument.starts_with("--")) {
      kind = KindOfOption(argument);
      if (kind == Kind::kNone) FailUsage("unknown option " + argument);
      continue;
    }
    ReadOne(resources, kind, argument, haveStrings, haveIcon);
  }
  // Every part must be there: the generated tables cannot be empty arrays.
  if (!haveStrings) FailUsage("no string table given");
  if (resources.raw.empty()) FailUsage("no palettes or tables given");
  if (resources.cursors.empty()) FailUsage("no cursors given");
  if (!haveIcon) FailUsage("no icon given");
  const std::string generated = Generate(resources);
  std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
  out << generated;
  out.close();
  if (!out) FailUsage(std::string("cannot write ") + argv[1]);
  return EXIT_SUCCESS;
}
