// The keyword table, the tokenizer and the stored form of compiled scripts: the documented blocks
// byte for byte, the tokens of texts as trace words, the offsets at which refused texts stop, and
// the faults of corrupt blocks.
#include "script/compiled_script.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/byte_io.h"
#include "script/keywords.h"
#include "script_fixture.h"

namespace lw {
namespace {

using testing::Compile;
using Bytes = std::vector<std::uint8_t>;

// A stored block written out by hand: tokens from (code, value) pairs with zero aux words, then the
// pool.
Bytes Block(std::initializer_list<std::int32_t> pairs, std::string_view pool) {
  ByteWriter out;
  for (auto it = pairs.begin(); it + 1 < pairs.end(); it += 2) {
    out.u16(static_cast<std::uint16_t>(it[0]));
    out.i32(it[1]);
    out.u16(0);
  }
  out.bytes({reinterpret_cast<const std::uint8_t*>(pool.data()), pool.size()});
  return out.take();
}

TEST(Tokenizer, TheDocumentedExamplesCompileToTheirBlocks) {
  // hello is at pool offset 0 and x, used twice, at 6; the pool starts at 14 x 8 = 112.
  EXPECT_EQ(Compile("code hello(x)\r\treturn x + 1\rendcode\r").ToBytes(),
            Block({tok::kCode,    0,        tok::kName,       112 - 8,  tok::kOpenParen, 0,
                   tok::kName,    118 - 24, tok::kCloseParen, 0,        tok::kLineEnd,   1,
                   tok::kReturn,  0,        tok::kName,       118 - 56, tok::kPlus,      0,
                   tok::kNumber,  1,        tok::kLineEnd,    0,        tok::kEndcode,   0,
                   tok::kLineEnd, 0,        tok::kEnd,        0},
                  "\x05hello\x01x"));
  EXPECT_EQ(Compile("\"\"").ToBytes(), Block({tok::kString, 16, tok::kEnd, 0}, std::string(1, 0)));
  // Literals and names share an entry only when byte-for-byte equal, case included.
  EXPECT_EQ(Compile("\"abc\" @ abc = \"abc\"").pool(), (Bytes{3, 'a', 'b', 'c'}));
  EXPECT_EQ(Compile("\"Abc\" \"abc\" Count count").pool().size(), 2u * (1 + 3) + 2u * (1 + 5));
}

// The tokens of a text before the end token as words: a name as itself, a literal in quotes, a
// number as #N, a line end as <crTABS> and a keyword or symbol by its table name. A refused text
// gives the offset at which the tokenizer stops: just after a stray character or the opening quote
// of an unterminated literal, at the start of an overlong run.
std::string Tokens(const std::string& text) {
  auto script = CompileScriptText(text);
  if (!script.ok()) return "refused at " + std::to_string(script.error().offset);
  std::string words;
  for (std::size_t i = 0; i + 1 < script->tokenCount(); ++i) {
    const Token& t = script->tokens()[i];
    words += i ? " " : "";
    if (t.code == tok::kName)
      words += script->textOf(i);
    else if (t.code == tok::kString)
      words += "\"" + std::string(script->textOf(i)) + "\"";
    else if (t.code == tok::kNumber)
      words += "#" + std::to_string(t.value);
    else if (t.code == tok::kLineEnd)
      words += "<cr" + std::to_string(t.value) + ">";
    else
      words += KeywordName(t.code);
  }
  return words;
}

TEST(Tokenizer, TextsBecomeTheseTokensOrAreRefusedAtAnOffset) {
  const std::string q255(255, 'q');
  const std::string digits255(255, '9');
  const std::pair<std::string, std::string> cases[] = {
      {"", ""},
      {"    ", ""},
      {"3-4; 12abc 007; IF If iF", "#3 - #4; #12 abc #7; if if if"},
      // The first and last keyword of each band, and near misses that stay names.
      {"CODE DUMPGLOBAL \xB2 MESSAGE CASTWARM ACTORVISIBLE PUPPETBASE RANDOM SQRT BARNDOORCLOSE "
       "PLAIN",
       "code dumpglobal \xB2 message castwarm actorvisible puppetbase random sqrt barndoorclose "
       "plain"},
      {"messages messag keydown", "messages messag keydown"},
      {"a AND b & c Or d | e; MyVar name2 SQRT", "a and b and c or d or e; MyVar name2 sqrt"},
      {"a\r\t\t\tb\rc", "a <cr3> b <cr0> c"},
      {"a \xAD b \xB3 c \xB2 d<>", "a \xAD b \xB3 c \xB2 d < >"},
      // Digit runs keep their value modulo 2^32, as stringtonum reads them.
      {"2147483647 2147483648; 4294967297 " + digits255, "#2147483647 #-2147483648; #1 #-1"},
      {"a\tb; \r\n; a \xAE b", "refused at 2; refused at 2; refused at 3"},
      {std::string("ab\0", 3), "refused at 3"},
      {"\"; x = \"ab\rcd\"", "refused at 1; refused at 5"},
      // Runs of up to 255 characters.
      {"\"" + q255 + "\"; w" + q255.substr(1), "\"" + q255 + "\"; w" + q255.substr(1)},
      {"x \"" + q255 + "q\"; a, w" + q255 + "; x + " + digits255 + "9",
       "refused at 3; refused at 3; refused at 4"},
  };
  for (const auto& [texts, tokens] : cases) {
    EXPECT_EQ(testing::Each(texts, Tokens), tokens) << texts.substr(0, 12);
  }
}

TEST(CompiledScript, LoadingKeepsThePoolAndClearsTheInterpreterCaches) {
  const Bytes fresh = Compile("code f(x)\r\tx = \"!\"\rendcode\r").ToBytes();
  Bytes cached = fresh;
  for (std::size_t i = 0; i < fresh.size() / kTokenSize; ++i) cached[i * kTokenSize + 6] = 0xBE;
  cached[2] = 9;  // a stale next-handler distance in the code token
  // Bytes after the end token are the pool, unreferenced ones included.
  Bytes padded = fresh;
  for (Bytes* block : {&cached, &padded}) block->insert(block->end(), {0xFF, 0xFF, 0xFF});
  auto loaded = CompiledScript::FromBytes(cached);
  ASSERT_TRUE(loaded.ok()) << loaded.error();
  EXPECT_EQ(loaded->textOf(8), "!");
  EXPECT_EQ(loaded->ToBytes(), padded);
}

// The stored keydown("a") (name at 40, (, string at 32, ), end, then "\7keydown\1a" from byte 40 to
// 50) with the code and value of token `token` replaced when given.
constexpr std::size_t kKeydownSize = 50;
Bytes Keydown(std::size_t token = 0, std::optional<std::uint16_t> code = {},
              std::optional<std::int32_t> value = {}) {
  Bytes block = Compile("keydown(\"a\")").ToBytes();
  block.resize(kKeydownSize);  // keeps the patches in bounds; the tokenizer checks the size
  ByteWriter patch;
  patch.u16(code.value_or(LoadU16(&block[token * kTokenSize])));
  patch.u32(value ? static_cast<std::uint32_t>(*value) : LoadU32(&block[token * kTokenSize + 2]));
  std::copy(patch.data().begin(), patch.data().end(), block.begin() + token * kTokenSize);
  return block;
}

TEST(CompiledScript, CorruptBlocksAreRefusedWithTheFault) {
  Bytes tooLong = Keydown();
  tooLong[48] = 2;  // "a" claims one byte more than the block holds
  // Each block with the start of its fault, or "" when it is accepted.
  const std::pair<Bytes, std::string> cases[] = {
      {Keydown(), ""},
      {Bytes(kTokenSize, 0), ""},
      {{}, "no end token"},
      {Bytes(2 * kTokenSize, 0xFF), "no end token"},
      {Bytes(4 * kTokenSize + 4, 0xFF),
       "truncated token 4 (block of 36 bytes, no end token before it)"},
      {Bytes(kTokenSize - 1, 0), "truncated token 0"},
      {Keydown(0, {}, 40), ""},  // the first pool byte
      {Keydown(0, {}, 39), "token 0: distance 39 points before the string pool"},
      {Keydown(2, {}, INT32_MIN), "token 2: distance -2147483648 points before"},
      {Keydown(2, {}, 33), "token 2: string of length 97 runs past"},  // the length is 'a'
      {Keydown(2, {}, 34), "token 2: distance 34 points past the end of the block"},
      {Keydown(2, {}, INT32_MAX), "token 2: distance 2147483647 points past the end"},
      {tooLong, "token 2: string of length 2 runs past the end of the block"},
      {Keydown(3, 7), "token 3: unknown code 7"},
      {Keydown(3, 4030), "token 3: unknown code 4030"},  // just past the first band
      {Keydown(3, 24014), ""},                           // the last code of the last band
      {Keydown(3, 24015), "token 3: unknown code 24015"},
  };
  for (const auto& [block, expected] : cases) {
    auto script = CompiledScript::FromBytes(block);
    const std::string fault = script.ok() ? "" : script.error();
    EXPECT_EQ(expected.empty() ? fault : fault.substr(0, expected.size()), expected) << fault;
  }
}

}  // namespace
}  // namespace lw
