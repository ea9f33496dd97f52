// Conversion of authors' UTF-8 text to the Mac Roman + CR text of scripts, and back.
#include "apps/titlekit/mac_roman.h"

#include <gtest/gtest.h>

#include <string>

#include "apps/titlekit/script_files.h"
#include "script/token.h"

namespace lw::titlekit {
namespace {

std::string ToMacRoman(std::string_view utf8) {
  auto converted = Utf8ToMacRoman(utf8);
  EXPECT_TRUE(converted.ok()) << utf8 << ": " << converted.error().reason;
  return converted.ok() ? *converted : std::string();
}

TEST(MacRomanTest, TypographicAndOperatorCharactersGetTheirBytes) {
  EXPECT_EQ(ToMacRoman("≠≥≤"), "\xAD\xB3\xB2");
  EXPECT_EQ(ToMacRoman("é°•…"), "\x8E\xA1\xA5\xC9");
  EXPECT_EQ(ToMacRoman("–—“”‘’"), "\xD0\xD1\xD2\xD3\xD4\xD5");
  EXPECT_EQ(ToMacRoman("€"), "\xDB");
  EXPECT_EQ(ToMacRoman("\uF8FF"), "\xF0");
  EXPECT_EQ(ToMacRoman("Ä ÿ ˇ"), "\x80 \xD8 \xFF");
  EXPECT_EQ(ToMacRoman("plain ASCII 0-9 (x)"), "plain ASCII 0-9 (x)");
}

TEST(MacRomanTest, EveryUpperByteSurvivesARoundTrip) {
  std::string all;
  for (int byte = 0x80; byte <= 0xFF; ++byte) all.push_back(static_cast<char>(byte));
  const std::string utf8 = MacRomanToUtf8(all);
  EXPECT_EQ(ToMacRoman(utf8), all);
  EXPECT_EQ(MacRomanToUtf8("\xAD"), "≠");
}

TEST(MacRomanTest, EveryLineEndBecomesOneCarriageReturn) {
  EXPECT_EQ(ToMacRoman("a\nb\r\nc\rd\n\ne"), "a\rb\rc\rd\r\re");
  EXPECT_EQ(ToMacRoman("\r\n\r\n"), "\r\r");
  EXPECT_EQ(MacRomanToUtf8("a\rb\r"), "a\nb\n");
}

TEST(MacRomanTest, LeadingByteOrderMarkIsSkipped) {
  EXPECT_EQ(ToMacRoman("\xEF\xBB\xBFx = 1"), "x = 1");
}

// Converts text that must fail and gives "LINE:COLUMN reason".
std::string FailureOf(std::string_view utf8) {
  auto converted = Utf8ToMacRoman(utf8);
  if (converted.ok()) return "converted";
  const ConversionFailure& failure = converted.error();
  return std::to_string(failure.where.line) + ":" + std::to_string(failure.where.column) + " " +
         failure.reason;
}

TEST(MacRomanTest, CharacterWithoutMacRomanFormIsPlacedByLineAndCharacterColumn) {
  EXPECT_EQ(FailureOf("中"), "1:1 character U+4E2D has no Mac Roman form");
  // Columns count characters, not bytes: "é≠" are five bytes but two characters.
  EXPECT_EQ(FailureOf("ok\r\n  é≠→"), "2:5 character U+2192 has no Mac Roman form");
  EXPECT_EQ(FailureOf("a\rb\nc\r\nd😀"), "4:2 character U+1F600 has no Mac Roman form");
}

TEST(MacRomanTest, InvalidUtf8IsRefusedWhereItStarts) {
  EXPECT_EQ(FailureOf("ab\xFF"), "1:3 invalid UTF-8 byte 0xFF");
  EXPECT_EQ(FailureOf("\n\x80"), "2:1 invalid UTF-8 byte 0x80");        // stray continuation byte
  EXPECT_EQ(FailureOf("\xC0\xAF"), "1:1 invalid UTF-8 byte 0xC0");      // overlong '/'
  EXPECT_EQ(FailureOf("\xED\xA0\x80"), "1:1 invalid UTF-8 byte 0xED");  // surrogate
  EXPECT_EQ(FailureOf("x\xE2\x89"), "1:2 invalid UTF-8 byte 0xE2");     // cut short at the end
  EXPECT_EQ(FailureOf("\xE2(\xA0"), "1:1 invalid UTF-8 byte 0xE2");     // broken sequence
  EXPECT_EQ(FailureOf("\xF4\x90\x80\x80"), "1:1 invalid UTF-8 byte 0xF4");  // past U+10FFFF
}

TEST(MacRomanTest, PositionsInConvertedTextCountLinesAndColumns) {
  const std::string_view text = "ab\rcde\r";
  EXPECT_EQ(PositionInConverted(text, 0).line, 1);
  EXPECT_EQ(PositionInConverted(text, 0).column, 1);
  EXPECT_EQ(PositionInConverted(text, 4).line, 2);
  EXPECT_EQ(PositionInConverted(text, 4).column, 2);
  EXPECT_EQ(PositionInConverted(text, 7).line, 3);
  EXPECT_EQ(PositionInConverted(text, 7).column, 1);
  EXPECT_EQ(PositionInConverted(text, 99).line, 3);  // past the end: after the last character
}

TEST(CompileSourceTest, TokenizationFailureIsPlacedInTheSource) {
  // The literal's text starts at column 6 of line 2, whatever the line ends.
  for (std::string_view source : {"a = 1\nb = \"x\n", "a = 1\r\nb = \"x\r\n", "a = 1\rb = \"x"}) {
    auto compiled = CompileSource(source, "s.lws");
    ASSERT_FALSE(compiled.ok());
    EXPECT_EQ(compiled.error(), "s.lws:2:6: Tokenization error.");
  }
  auto wide = CompileSource("x = \"é\" @ \"\t", "w.lws");
  ASSERT_FALSE(wide.ok());
  EXPECT_EQ(wide.error(), "w.lws:1:12: Tokenization error.");
}

TEST(CompileSourceTest, SourceIsCompiledFromMacRoman) {
  auto compiled = CompileSource("x = 1 ≠ 2\n", "s.lws");
  ASSERT_TRUE(compiled.ok());
  // name, =, 1, not-equal, 2, line end, end.
  ASSERT_EQ(compiled->tokenCount(), 7u);
  EXPECT_EQ(compiled->tokens()[3].code, tok::kNotEqual);
}

}  // namespace
}  // namespace lw::titlekit
