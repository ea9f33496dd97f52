#include "script/compiled_script.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "common/byte_io.h"
#include "script/tokenizer.h"

namespace lw {
namespace {

using Bytes = std::vector<std::uint8_t>;

// keydown("a"): name at 40, (, string at 32, ), end; pool "\7keydown\1a" from byte 40.
constexpr std::size_t kKeydownSize = 50;
constexpr std::size_t kNameToken = 0;
constexpr std::size_t kStringToken = 2;
constexpr std::size_t kStringEntry = 48;  // the length byte of "a"

Bytes Stored(std::string_view text) {
  auto script = CompileScriptText(text);
  EXPECT_TRUE(script.ok());
  return script.ok() ? script->ToBytes() : Bytes{};
}

// The stored keydown("a"), always kKeydownSize bytes so that tests can patch it in place.
Bytes Keydown() {
  Bytes block = Stored("keydown(\"a\")");
  if (block.size() != kKeydownSize) {
    ADD_FAILURE() << "keydown(\"a\") stored in " << block.size() << " bytes";
    block.assign(kKeydownSize, 0);
  }
  return block;
}

void PutU16(Bytes& bytes, std::size_t at, std::uint16_t v) {
  bytes[at] = static_cast<std::uint8_t>(v);
  bytes[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

void PutValue(Bytes& bytes, std::size_t token, std::int32_t v) {
  auto u = static_cast<std::uint32_t>(v);
  for (int i = 0; i < 4; ++i) {
    bytes[token * kTokenSize + 2 + i] = static_cast<std::uint8_t>(u >> (8 * i));
  }
}

// The error FromBytes gives, or "" when it accepts the block.
std::string Fault(const Bytes& bytes) {
  auto script = CompiledScript::FromBytes(bytes);
  return script.ok() ? "" : script.error();
}

TEST(CompiledScript, StoredFormRoundTrips) {
  Bytes stored = Stored("code hello(x)\r\treturn x @ \"!\" & 12\rendcode\r");
  auto loaded = CompiledScript::FromBytes(stored);
  ASSERT_TRUE(loaded.ok()) << loaded.error();
  EXPECT_EQ(loaded->ToBytes(), stored);
  EXPECT_EQ(loaded->textOf(1), "hello");
  EXPECT_EQ(loaded->textOf(9), "!");

  EXPECT_EQ(Fault(Keydown()), "");
  EXPECT_EQ(Fault(Bytes(kTokenSize, 0)), "");
}

TEST(CompiledScript, BytesAfterTheEndTokenAreThePool) {
  Bytes block = Stored("a");
  block.insert(block.end(), {0xFF, 0xFF, 0xFF});  // unreferenced pool bytes are harmless
  auto loaded = CompiledScript::FromBytes(block);
  ASSERT_TRUE(loaded.ok()) << loaded.error();
  EXPECT_EQ(loaded->tokenCount(), 2u);
  EXPECT_EQ(loaded->pool().size(), 5u);
  EXPECT_EQ(loaded->textOf(0), "a");
}

TEST(CompiledScript, LoadingClearsTheInterpreterCaches) {
  Bytes block = Stored("code f(x)\r\tx = 5\rendcode\r");
  ASSERT_FALSE(block.empty());
  const std::size_t count = (block.size() - 4) / kTokenSize;  // pool "\1f\1x"
  for (std::size_t i = 0; i < count; ++i) PutU16(block, i * kTokenSize + 6, 0xBEEF);
  PutValue(block, 0, 9);  // a stale next-handler distance

  auto loaded = CompiledScript::FromBytes(block);
  ASSERT_TRUE(loaded.ok()) << loaded.error();
  ASSERT_EQ(loaded->tokenCount(), 13u);
  for (const Token& token : loaded->tokens()) EXPECT_EQ(token.aux, 0);
  EXPECT_EQ(loaded->tokens()[0].value, 0);
  EXPECT_EQ(loaded->tokens()[8].code, tok::kNumber);
  EXPECT_EQ(loaded->tokens()[8].value, 5);
  EXPECT_EQ(loaded->tokens()[5].value, 1);  // line end before "x = 5"
  EXPECT_EQ(loaded->textOf(6), "x");
  EXPECT_EQ(loaded->ToBytes(), Stored("code f(x)\r\tx = 5\rendcode\r"));
}

TEST(CompiledScript, ToBytesWritesTheCurrentCachesLittleEndian) {
  auto script = CompileScriptText("code f()\rendcode");
  ASSERT_TRUE(script.ok());
  script->tokens()[0].value = -1;
  script->tokens()[1].aux = 0x1234;
  Bytes bytes = script->ToBytes();
  EXPECT_EQ(LoadU32(&bytes[2]), 0xFFFFFFFFu);
  EXPECT_EQ(LoadU16(&bytes[kTokenSize + 6]), 0x1234);
}

TEST(CompiledScript, BlocksWithoutAnEndTokenAreRefused) {
  EXPECT_EQ(Fault({}), "no end token");
  Bytes twoParens(2 * kTokenSize, 0);
  PutU16(twoParens, 0, tok::kOpenParen);
  PutU16(twoParens, kTokenSize, tok::kCloseParen);
  EXPECT_EQ(Fault(twoParens), "no end token");

  Bytes truncated = twoParens;
  truncated.resize(kTokenSize + 4);  // the end token would start here but is cut short
  EXPECT_NE(Fault(truncated).find("truncated token 1"), std::string::npos);
  EXPECT_NE(Fault(Bytes(kTokenSize - 1, 0)).find("truncated token 0"), std::string::npos);
}

TEST(CompiledScript, UnknownTokenCodesAreRefused) {
  for (std::uint16_t bad : {1, 2, 7, 4000, 4030, 8014, 12089, 16054, 20109, 24015, 65535}) {
    Bytes block = Keydown();
    PutU16(block, 3 * kTokenSize, bad);
    EXPECT_EQ(Fault(block), "token 3: unknown code " + std::to_string(bad));
  }
}

TEST(CompiledScript, PoolReferencesMustStayInsideThePool) {
  const Bytes good = Keydown();
  struct Case {
    std::size_t token;
    std::int32_t value;
    bool accepted;
  };
  const std::int32_t poolStart = 5 * kTokenSize;
  const std::int32_t stringAt = kStringToken * kTokenSize;
  for (Case c : std::initializer_list<Case>{
           {kNameToken, poolStart, true},                        // first pool byte
           {kNameToken, poolStart - 1, false},                    // last byte of the end token
           {kNameToken, 8, false},                                // another token
           {kNameToken, -8, false},                               // before the block
           {kStringToken, -16, false},
           {kStringToken, std::numeric_limits<std::int32_t>::min(), false},
           {kStringToken, kKeydownSize - stringAt, false},        // just past the end
           {kStringToken, std::numeric_limits<std::int32_t>::max(), false},
       }) {
    Bytes block = good;
    PutValue(block, c.token, c.value);
    std::string fault = Fault(block);
    if (c.accepted) {
      EXPECT_EQ(fault, "") << c.value;
    } else {
      EXPECT_NE(fault.find("token " + std::to_string(c.token) + ": distance"), std::string::npos)
          << c.value << ": " << fault;
    }
  }
}

TEST(CompiledScript, StringsMustEndInsideTheBlock) {
  Bytes block = Keydown();
  block[kStringEntry] = 2;  // "a" claims one byte more than the block holds
  EXPECT_EQ(Fault(block), "token 2: string of length 2 runs past the end of the block");

  // The last byte as an entry of its own: 'a' (97) is far too long, 0 is an empty string.
  Bytes lastByte = Keydown();
  PutValue(lastByte, kStringToken, kKeydownSize - 1 - kStringToken * kTokenSize);
  EXPECT_NE(Fault(lastByte).find("length 97"), std::string::npos);
  lastByte.back() = 0;
  EXPECT_EQ(Fault(lastByte), "");
}

}  // namespace
}  // namespace lw
