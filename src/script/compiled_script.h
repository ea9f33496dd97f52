// CompiledScript: the token array and string pool of one compiled script.
//
// Stored form, one block (little-endian):
//
//   OFFSET  SIZE   DESCRIPTION
//   0       8 x N  tokens (see token.h); token N-1 is the end token (code 0), the first one
//   8 x N   rest   string pool: length-prefixed strings, each stored once
//
// String (3) and name (5) tokens hold the distance in bytes from the first byte of the token
// to their string in the pool, so a block can be copied or moved freely. A handler is the
// sequence `code` name ( [param {, param}] ) line-end... statements... `endcode`.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/expected.h"
#include "script/name_key.h"
#include "script/token.h"

namespace lw {

class DecodedScript;

class CompiledScript {
 public:
  CompiledScript();  // an empty script: only the end token

  // Builds from tokens whose string and name values are already distances into `pool`, as the
  // tokenizer makes them. The last token must be the end token.
  CompiledScript(std::vector<Token> tokens, std::vector<std::uint8_t> pool);

  // Reads and validates a stored block. Bytes from files are untrusted: a block without an end
  // token, a token code that no script can hold, or a string or name whose distance or length
  // leaves the pool gives a description of the fault. Cache words (auxiliary words and the
  // next-handler distances of `code` tokens) are cleared, so that only the interpreter's own
  // caches are ever trusted.
  static Expected<CompiledScript, std::string> FromBytes(std::span<const std::uint8_t> bytes);

  // The stored form, tokens as they are now (a fresh compile has all cache words 0).
  [[nodiscard]] std::vector<std::uint8_t> ToBytes() const;

  [[nodiscard]] std::span<Token> tokens() { return tokens_; }
  [[nodiscard]] std::span<const Token> tokens() const { return tokens_; }
  [[nodiscard]] Token* tokenData() { return tokens_.data(); }
  [[nodiscard]] const Token* tokenData() const { return tokens_.data(); }
  [[nodiscard]] std::size_t tokenCount() const { return tokens_.size(); }
  [[nodiscard]] const std::vector<std::uint8_t>& pool() const { return pool_; }

  // The text of string or name token `index`. Valid for every such token of a constructed or
  // validated script.
  [[nodiscard]] std::string_view textOf(std::size_t index) const {
    std::size_t offset = index * kTokenSize + static_cast<std::uint32_t>(tokens_[index].value) -
                         tokens_.size() * kTokenSize;
    return {reinterpret_cast<const char*>(pool_.data()) + offset + 1, pool_[offset]};
  }

  // The folded key of name token `index`, made once when the script is built or loaded.
  [[nodiscard]] const NameKey& nameKey(std::size_t index) const { return keys_[index]; }

  // Makes the pre-decoded form that the interpreter runs from (copies share it, as they share
  // the tokens it was made from). Scripts run many times are decoded: the cached copies, and
  // the runtime's fixed calls.
  void decode();
  // The pre-decoded form, or null when the script has not been decoded.
  [[nodiscard]] const DecodedScript* decoded() const { return decoded_.get(); }

 private:
  std::vector<Token> tokens_;
  std::vector<std::uint8_t> pool_;
  std::vector<NameKey> keys_;  // per token; meaningful for name tokens only
  std::shared_ptr<const DecodedScript> decoded_;
};

}  // namespace lw
