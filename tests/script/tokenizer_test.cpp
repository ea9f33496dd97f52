#include "script/tokenizer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/byte_io.h"

namespace lw {
namespace {

struct Expect {
  std::uint16_t code;
  std::int32_t value = 0;
};

CompiledScript Compile(std::string_view text) {
  auto result = CompileScriptText(text);
  EXPECT_TRUE(result.ok()) << "failed at " << (result.ok() ? -1 : result.error().offset);
  return result.ok() ? std::move(result).value() : CompiledScript();
}

// The offset at which tokenizing `text` fails, or -1 when it succeeds.
int FailureOffset(std::string_view text) {
  auto result = CompileScriptText(text);
  return result.ok() ? -1 : result.error().offset;
}

std::vector<std::uint16_t> Codes(const CompiledScript& script) {
  std::vector<std::uint16_t> codes;
  for (const Token& t : script.tokens()) codes.push_back(t.code);
  return codes;
}

// A stored block written out by hand: the tokens with zero aux words, then the pool.
std::vector<std::uint8_t> Block(const std::vector<Expect>& tokens, std::string_view pool) {
  ByteWriter out;
  for (const Expect& t : tokens) {
    out.u16(t.code);
    out.i32(t.value);
    out.u16(0);
  }
  out.bytes({reinterpret_cast<const std::uint8_t*>(pool.data()), pool.size()});
  return out.take();
}

// The text of string or name token `i`, checked first so that a wrong token list fails the
// test instead of reading outside the script.
std::string Text(const CompiledScript& script, std::size_t i) {
  if (i >= script.tokenCount()) return "<no token " + std::to_string(i) + ">";
  std::uint16_t code = script.tokens()[i].code;
  if (code != tok::kString && code != tok::kName) return "<code " + std::to_string(code) + ">";
  return std::string(script.textOf(i));
}

// Byte offset of the pool entry that string or name token `i` points at.
std::size_t EntryOffset(const CompiledScript& script, std::size_t i) {
  return i * kTokenSize + static_cast<std::size_t>(script.tokens()[i].value);
}

TEST(Tokenizer, EventCallCompilesToTheDocumentedBlock) {
  CompiledScript script = Compile("keydown(\"a\")");
  EXPECT_EQ(script.ToBytes(), Block({{tok::kName, 40},
                                     {tok::kOpenParen},
                                     {tok::kString, 32},
                                     {tok::kCloseParen},
                                     {tok::kEnd}},
                                    "\x07keydown\x01" "a"));
  EXPECT_EQ(Text(script, 0), "keydown");
  EXPECT_EQ(Text(script, 2), "a");
}

TEST(Tokenizer, HandlerCompilesToFourteenTokensSharingPoolEntries) {
  CompiledScript script = Compile("code hello(x)\r\treturn x + 1\rendcode\r");
  // hello is at pool offset 0 and x at 6; the pool starts at 14 x 8 = 112.
  EXPECT_EQ(script.ToBytes(),
            Block({{tok::kCode},      {tok::kName, 112 - 8},  {tok::kOpenParen},
                   {tok::kName, 118 - 24}, {tok::kCloseParen}, {tok::kLineEnd, 1},
                   {tok::kReturn},    {tok::kName, 118 - 56}, {tok::kPlus},
                   {tok::kNumber, 1}, {tok::kLineEnd, 0},     {tok::kEndcode},
                   {tok::kLineEnd, 0}, {tok::kEnd}},
                  "\x05hello\x01x"));
  EXPECT_EQ(EntryOffset(script, 3), EntryOffset(script, 7));
}

TEST(Tokenizer, PoolSharesOnlyByteForByteEqualStrings) {
  CompiledScript same = Compile("\"abc\" @ \"abc\"");
  EXPECT_EQ(EntryOffset(same, 0), EntryOffset(same, 2));
  EXPECT_EQ(same.pool().size(), 4u);

  CompiledScript nameAndLiteral = Compile("abc = \"abc\"");
  EXPECT_EQ(Codes(nameAndLiteral), (std::vector<std::uint16_t>{tok::kName, tok::kEqual,
                                                               tok::kString, tok::kEnd}));
  EXPECT_EQ(EntryOffset(nameAndLiteral, 0), EntryOffset(nameAndLiteral, 2));

  CompiledScript cases = Compile("\"Abc\" \"abc\" Count count");
  EXPECT_EQ(cases.pool().size(), 2u * (1 + 3) + 2u * (1 + 5));
  EXPECT_EQ(Text(cases, 0), "Abc");
  EXPECT_EQ(Text(cases, 1), "abc");
  EXPECT_EQ(Text(cases, 2), "Count");
  EXPECT_EQ(Text(cases, 3), "count");
}

TEST(Tokenizer, EmptyLiteralIsAPoolEntryOfLengthZero) {
  CompiledScript script = Compile("\"\"");
  EXPECT_EQ(script.ToBytes(), Block({{tok::kString, 16}, {tok::kEnd}}, std::string(1, '\0')));
}

TEST(Tokenizer, KeywordsIgnoreCaseNamesKeepIt) {
  EXPECT_EQ(Codes(Compile("IF If if iF")),
            (std::vector<std::uint16_t>{tok::kIf, tok::kIf, tok::kIf, tok::kIf, tok::kEnd}));
  EXPECT_EQ(Codes(Compile("a AND b & c Or d | e")),
            (std::vector<std::uint16_t>{tok::kName, tok::kAnd, tok::kName, tok::kAnd, tok::kName,
                                        tok::kOr, tok::kName, tok::kOr, tok::kName, tok::kEnd}));
  CompiledScript script = Compile("MyVar name2 SQRT");
  ASSERT_EQ(script.tokenCount(), 4u);
  EXPECT_EQ(Text(script, 0), "MyVar");
  EXPECT_EQ(Text(script, 1), "name2");
  EXPECT_EQ(script.tokens()[2].code, 20108);  // sqrt
}

TEST(Tokenizer, DigitRunsAreUnsignedNumbersEndingAtTheFirstNonDigit) {
  EXPECT_EQ(Codes(Compile("3-4")), (std::vector<std::uint16_t>{tok::kNumber, tok::kMinus,
                                                               tok::kNumber, tok::kEnd}));
  CompiledScript negative = Compile("-4");
  ASSERT_EQ(Codes(negative), (std::vector<std::uint16_t>{tok::kMinus, tok::kNumber, tok::kEnd}));
  EXPECT_EQ(negative.tokens()[1].value, 4);

  CompiledScript mixed = Compile("12abc 007");
  ASSERT_EQ(Codes(mixed),
            (std::vector<std::uint16_t>{tok::kNumber, tok::kName, tok::kNumber, tok::kEnd}));
  EXPECT_EQ(mixed.tokens()[0].value, 12);
  EXPECT_EQ(Text(mixed, 1), "abc");
  EXPECT_EQ(mixed.tokens()[2].value, 7);
}

TEST(Tokenizer, NumbersBeyondThe32BitRangeSaturate) {
  EXPECT_EQ(Compile("2147483647").tokens()[0].value, 2147483647);
  EXPECT_EQ(Compile("2147483648").tokens()[0].value, 2147483647);
  EXPECT_EQ(Compile("4294967297").tokens()[0].value, 2147483647);
  EXPECT_EQ(Compile("99999999999999999999999").tokens()[0].value, 2147483647);
}

TEST(Tokenizer, LineEndCountsTheTabsThatFollowIt) {
  CompiledScript script = Compile("a\r\t\t\tb\rc");
  ASSERT_EQ(Codes(script), (std::vector<std::uint16_t>{tok::kName, tok::kLineEnd, tok::kName,
                                                       tok::kLineEnd, tok::kName, tok::kEnd}));
  EXPECT_EQ(script.tokens()[1].value, 3);
  EXPECT_EQ(script.tokens()[3].value, 0);
  EXPECT_EQ(Text(script, 2), "b");
}

TEST(Tokenizer, MacRomanComparisonBytesAreSingleOperators) {
  EXPECT_EQ(Codes(Compile("a \xAD b \xB3 c \xB2 d")),
            (std::vector<std::uint16_t>{tok::kName, tok::kNotEqual, tok::kName,
                                        tok::kGreaterEqual, tok::kName, tok::kLessEqual,
                                        tok::kName, tok::kEnd}));
  EXPECT_EQ(Codes(Compile("<>")),
            (std::vector<std::uint16_t>{tok::kLess, tok::kGreater, tok::kEnd}));
}

TEST(Tokenizer, EmptyTextMatchesTheEmptyScript) {
  EXPECT_EQ(Compile("").ToBytes(), CompiledScript().ToBytes());
  EXPECT_EQ(Compile("    ").ToBytes(), CompiledScript().ToBytes());
  EXPECT_EQ(CompiledScript().ToBytes(), std::vector<std::uint8_t>(kTokenSize, 0));
}

TEST(Tokenizer, StrayCharactersFailJustAfterThemselves) {
  EXPECT_EQ(FailureOffset("a\tb"), 2);
  EXPECT_EQ(FailureOffset("a\nb"), 2);
  EXPECT_EQ(FailureOffset("x;"), 2);
  EXPECT_EQ(FailureOffset("#"), 1);
  EXPECT_EQ(FailureOffset(std::string_view("ab\0", 3)), 3);
  EXPECT_EQ(FailureOffset("a \xAE b"), 3);
  EXPECT_EQ(FailureOffset("\r\n"), 2);
}

TEST(Tokenizer, UnterminatedLiteralsFailAfterTheOpeningQuote) {
  EXPECT_EQ(FailureOffset("\""), 1);
  EXPECT_EQ(FailureOffset("x = \"abc"), 5);
  EXPECT_EQ(FailureOffset("x = \"ab\rcd\""), 5);
}

TEST(Tokenizer, RunsAreLimitedTo255Characters) {
  std::string literal255 = "\"" + std::string(255, 'q') + "\"";
  CompiledScript script = Compile(literal255);
  ASSERT_EQ(script.tokenCount(), 2u);
  EXPECT_EQ(Text(script, 0), std::string(255, 'q'));
  EXPECT_EQ(FailureOffset("x \"" + std::string(256, 'q') + "\""), 3);

  CompiledScript word = Compile("w" + std::string(254, '1'));
  ASSERT_EQ(word.tokenCount(), 2u);
  EXPECT_EQ(Text(word, 0).size(), 255u);
  EXPECT_EQ(FailureOffset("a, w" + std::string(255, 'b')), 3);

  EXPECT_EQ(Compile(std::string(255, '9')).tokens()[0].value, 2147483647);
  EXPECT_EQ(FailureOffset("x + " + std::string(256, '1')), 4);
}

TEST(Tokenizer, DistancesStayCorrectAcrossManyTokens) {
  // Enough tokens and distinct names to need more than one round of growth of both arrays.
  std::string text;
  for (int i = 0; i < 400; ++i) text += "name" + std::to_string(i % 150) + "(";
  CompiledScript script = Compile(text);
  ASSERT_EQ(script.tokenCount(), 801u);
  for (int i = 0; i < 400; ++i) {
    EXPECT_EQ(Text(script, 2 * i), "name" + std::to_string(i % 150));
  }
  EXPECT_EQ(EntryOffset(script, 0), EntryOffset(script, 300));
}

}  // namespace
}  // namespace lw
