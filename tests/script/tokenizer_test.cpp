#include "script/tokenizer.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "common/byte_io.h"
#include "script/keywords.h"

namespace lw {
namespace {

CompiledScript Compile(std::string_view text) {
  auto result = CompileScriptText(text);
  EXPECT_TRUE(result.ok()) << "failed at " << (result.ok() ? -1 : result.error().offset);
  return result.ok() ? std::move(result).value() : CompiledScript();
}

// A stored block written out by hand: tokens from (code, value) pairs with zero aux words, then
// the pool.
std::vector<std::uint8_t> Block(std::initializer_list<std::int32_t> pairs, std::string_view pool) {
  ByteWriter out;
  for (auto it = pairs.begin(); it + 1 < pairs.end(); it += 2) {
    out.u16(static_cast<std::uint16_t>(it[0]));
    out.i32(it[1]);
    out.u16(0);
  }
  out.bytes({reinterpret_cast<const std::uint8_t*>(pool.data()), pool.size()});
  return out.take();
}

// Token `i` as a word: a name as itself, a literal in quotes, a number as #N, a line end as
// <crTABS> and a keyword or symbol by its table name.
std::string Word(const CompiledScript& script, std::size_t i) {
  const Token& t = script.tokens()[i];
  if (t.code == tok::kName) return std::string(script.textOf(i));
  if (t.code == tok::kString) return "\"" + std::string(script.textOf(i)) + "\"";
  if (t.code == tok::kNumber) return "#" + std::to_string(t.value);
  if (t.code == tok::kLineEnd) return "<cr" + std::to_string(t.value) + ">";
  return std::string(KeywordName(t.code));
}

// The words of the tokens before the end token.
std::string Describe(const CompiledScript& script) {
  std::string words;
  for (std::size_t i = 0; i + 1 < script.tokenCount(); ++i)
    words += (i ? " " : "") + Word(script, i);
  return words;
}

TEST(Tokenizer, EventCallCompilesToTheDocumentedBlock) {
  EXPECT_EQ(Compile("keydown(\"a\")").ToBytes(),
            Block({tok::kName, 40, tok::kOpenParen, 0, tok::kString, 32, tok::kCloseParen, 0,
                   tok::kEnd, 0},
                  "\x07keydown\x01"
                  "a"));
}

TEST(Tokenizer, HandlerCompilesToFourteenTokensSharingPoolEntries) {
  // hello is at pool offset 0 and x, used twice, at 6; the pool starts at 14 x 8 = 112.
  EXPECT_EQ(Compile("code hello(x)\r\treturn x + 1\rendcode\r").ToBytes(),
            Block({tok::kCode,    0,        tok::kName,       112 - 8,  tok::kOpenParen, 0,
                   tok::kName,    118 - 24, tok::kCloseParen, 0,        tok::kLineEnd,   1,
                   tok::kReturn,  0,        tok::kName,       118 - 56, tok::kPlus,      0,
                   tok::kNumber,  1,        tok::kLineEnd,    0,        tok::kEndcode,   0,
                   tok::kLineEnd, 0,        tok::kEnd,        0},
                  "\x05hello\x01x"));
}

TEST(Tokenizer, PoolSharesOnlyByteForByteEqualStrings) {
  // Literals and names share an entry when equal; a difference of case makes another entry.
  CompiledScript shared = Compile("\"abc\" @ abc = \"abc\"");
  EXPECT_EQ(Describe(shared), "\"abc\" @ abc = \"abc\"");
  EXPECT_EQ(shared.pool(), (std::vector<std::uint8_t>{3, 'a', 'b', 'c'}));
  CompiledScript cased = Compile("\"Abc\" \"abc\" Count count");
  EXPECT_EQ(Describe(cased), "\"Abc\" \"abc\" Count count");
  EXPECT_EQ(cased.pool().size(), 2u * (1 + 3) + 2u * (1 + 5));
  EXPECT_EQ(Compile("\"\"").ToBytes(), Block({tok::kString, 16, tok::kEnd, 0}, std::string(1, 0)));
}

TEST(Tokenizer, TextsBecomeTheseTokens) {
  const std::string digits255(255, '9');
  const std::pair<std::string, std::string> cases[] = {
      {"", ""},
      {"    ", ""},
      {"3-4", "#3 - #4"},
      {"-4", "- #4"},
      {"12abc 007", "#12 abc #7"},
      {"IF If iF", "if if if"},
      {"a AND b & c Or d | e", "a and b and c or d or e"},
      {"MyVar name2 SQRT", "MyVar name2 sqrt"},
      {"a\r\t\t\tb\rc", "a <cr3> b <cr0> c"},
      {"a \xAD b \xB3 c \xB2 d<>", "a \xAD b \xB3 c \xB2 d < >"},
      {"2147483647 2147483648", "#2147483647 #-2147483648"},
      {"4294967297 " + digits255, "#1 #-1"},
  };
  for (const auto& [text, tokens] : cases) EXPECT_EQ(Describe(Compile(text)), tokens) << text;
}

TEST(Tokenizer, RefusedTextFailsAtTheDocumentedOffset) {
  const std::pair<std::string, int> cases[] = {
      // text, failure offset or -1 when accepted
      {"a\tb", 2},  // just after a stray character
      {"a\nb", 2},
      {"x;", 2},
      {"\r\n", 2},
      {std::string("ab\0", 3), 3},
      {"a \xAE b", 3},
      {"\"", 1},  // just after the opening quote of an unterminated literal
      {"x = \"abc", 5},
      {"x = \"ab\rcd\"", 5},
      {"\"" + std::string(255, 'q') + "\"", -1},  // runs of up to 255 characters
      {"x \"" + std::string(256, 'q') + "\"", 3},
      {"w" + std::string(254, '1'), -1},
      {"a, w" + std::string(255, 'b'), 3},
      {"x + " + std::string(256, '1'), 4},
  };
  for (const auto& [text, offset] : cases) {
    auto result = CompileScriptText(text);
    EXPECT_EQ(result.ok() ? -1 : result.error().offset, offset) << text.substr(0, 12);
  }
}

}  // namespace
}  // namespace lw
