#include "script/compiled_script.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/byte_io.h"
#include "script/tokenizer.h"

namespace lw {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Stored(std::string_view text) {
  auto script = CompileScriptText(text);
  EXPECT_TRUE(script.ok());
  return script.ok() ? script->ToBytes() : Bytes{};
}

// The stored keydown("a") (name at 40, (, string at 32, ), end, then "\7keydown\1a" from byte
// 40 to 50) with the code and value of token `token` replaced when given.
constexpr std::size_t kKeydownSize = 50;
Bytes Keydown(std::size_t token = 0, std::optional<std::uint16_t> code = {},
              std::optional<std::int32_t> value = {}) {
  Bytes block = Stored("keydown(\"a\")");
  block.resize(kKeydownSize);  // keeps the patches in bounds; the tokenizer checks the size
  ByteWriter patch;
  patch.u16(code.value_or(LoadU16(&block[token * kTokenSize])));
  patch.u32(value ? static_cast<std::uint32_t>(*value) : LoadU32(&block[token * kTokenSize + 2]));
  std::copy(patch.data().begin(), patch.data().end(), block.begin() + token * kTokenSize);
  return block;
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

  // Bytes after the end token are the pool, unreferenced ones included.
  Bytes padded = Stored("a");
  padded.insert(padded.end(), {0xFF, 0xFF, 0xFF});
  auto withPad = CompiledScript::FromBytes(padded);
  ASSERT_TRUE(withPad.ok()) << withPad.error();
  EXPECT_EQ(withPad->ToBytes(), padded);
  EXPECT_EQ(withPad->textOf(0), "a");
}

TEST(CompiledScript, LoadingClearsTheInterpreterCaches) {
  const Bytes fresh = Stored("code f(x)\r\tx = 5\rendcode\r");
  Bytes cached = fresh;
  for (std::size_t i = 0; i < fresh.size() / kTokenSize; ++i) cached[i * kTokenSize + 6] = 0xBE;
  cached[2] = 9;  // a stale next-handler distance in the code token
  auto loaded = CompiledScript::FromBytes(cached);
  ASSERT_TRUE(loaded.ok()) << loaded.error();
  ASSERT_EQ(loaded->tokenCount(), 13u);
  EXPECT_EQ(loaded->ToBytes(), fresh);

  // The caches the interpreter keeps are written out as they are.
  loaded->tokens()[1].aux = 0x1234;
  EXPECT_EQ(LoadU16(&loaded->ToBytes()[kTokenSize + 6]), 0x1234);
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
      {Keydown(0, {}, -8), "token 0: distance -8 points before"},
      {Keydown(2, {}, INT32_MIN), "token 2: distance -2147483648 points before"},
      {Keydown(2, {}, 33), "token 2: string of length 97 runs past"},  // the length is 'a'
      {Keydown(2, {}, 34), "token 2: distance 34 points past the end of the block"},
      {Keydown(2, {}, INT32_MAX), "token 2: distance 2147483647 points past the end"},
      {tooLong, "token 2: string of length 2 runs past the end of the block"},
      {Keydown(3, 7), "token 3: unknown code 7"},
      {Keydown(3, 1), "token 3: unknown code 1"},
      {Keydown(3, 4030), "token 3: unknown code 4030"},
      {Keydown(3, 65535), "token 3: unknown code 65535"},
  };
  for (const auto& [block, expected] : cases) {
    const std::string fault = Fault(block);
    EXPECT_EQ(expected.empty() ? fault : fault.substr(0, expected.size()), expected) << fault;
  }
}

}  // namespace
}  // namespace lw
