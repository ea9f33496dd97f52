// CompiledScript: conversion between the stored block (layout in compiled_script.h) and the
// in-memory token array, with the one-time validation of untrusted blocks.
#include "script/compiled_script.h"

#include <cassert>
#include <optional>
#include <utility>

#include "common/byte_io.h"
#include "script/decoded_script.h"
#include "script/keywords.h"

namespace lw {
namespace {

constexpr std::size_t kLengthByteSize = 1;

// Reads the token at byte offset `at`; the caller has checked that 8 bytes are there.
Token LoadToken(std::span<const std::uint8_t> bytes, std::size_t at) {
  ByteReader reader(bytes.subspan(at, kTokenSize));
  Token token;
  token.code = reader.u16();
  token.value = reader.i32();
  token.aux = reader.u16();
  return token;
}

// The number of tokens up to and including the first end token, or a description of why the
// block has none.
Expected<std::size_t, std::string> CountTokens(std::span<const std::uint8_t> bytes) {
  std::size_t whole = bytes.size() / kTokenSize;
  for (std::size_t i = 0; i < whole; ++i) {
    if (LoadU16(bytes.data() + i * kTokenSize) == tok::kEnd) return i + 1;
  }
  if (bytes.size() % kTokenSize != 0) {
    return Unexpected{"truncated token " + std::to_string(whole) + " (block of " +
                      std::to_string(bytes.size()) + " bytes, no end token before it)"};
  }
  return Unexpected{std::string("no end token")};
}

// True for every code that a compiled script may hold.
bool IsValidCode(std::uint16_t code) {
  switch (code) {
    case tok::kEnd:
    case tok::kString:
    case tok::kNumber:
    case tok::kName:
    case tok::kLineEnd: return true;
    default: return IsKeywordCode(code);
  }
}

// Checks that string or name token `index` points at a length byte inside the pool, which runs
// from byte `poolStart` to the end of a block of `blockSize` bytes.
std::optional<std::string> CheckPoolReference(std::size_t index, std::int32_t value,
                                              std::size_t poolStart, std::size_t blockSize) {
  // Distances are signed 32-bit; 64-bit arithmetic keeps hostile values from wrapping.
  std::int64_t offset = static_cast<std::int64_t>(index) * kTokenSize + value;
  std::string where = "token " + std::to_string(index) + ": ";
  if (offset < static_cast<std::int64_t>(poolStart)) {
    return where + "distance " + std::to_string(value) + " points before the string pool";
  }
  if (offset >= static_cast<std::int64_t>(blockSize)) {
    return where + "distance " + std::to_string(value) + " points past the end of the block";
  }
  return std::nullopt;
}

}  // namespace

CompiledScript::CompiledScript() : tokens_(1), keys_(1) {}

CompiledScript::CompiledScript(std::vector<Token> tokens, std::vector<std::uint8_t> pool)
    : tokens_(std::move(tokens)), pool_(std::move(pool)), keys_(tokens_.size()) {
  assert(!tokens_.empty() && tokens_.back().code == tok::kEnd);
  for (std::size_t i = 0; i < tokens_.size(); ++i) {
    if (tokens_[i].code == tok::kName) keys_[i] = NameKey::Of(textOf(i));
  }
}

Expected<CompiledScript, std::string> CompiledScript::FromBytes(
    std::span<const std::uint8_t> bytes) {
  auto count = CountTokens(bytes);
  if (!count) return Unexpected{count.error()};
  const std::size_t poolStart = *count * kTokenSize;

  std::vector<Token> tokens(*count);
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    Token token = LoadToken(bytes, i * kTokenSize);
    if (!IsValidCode(token.code)) {
      return Unexpected{"token " + std::to_string(i) + ": unknown code " +
                        std::to_string(token.code)};
    }
    if (token.code == tok::kString || token.code == tok::kName) {
      if (auto fault = CheckPoolReference(i, token.value, poolStart, bytes.size())) {
        return Unexpected{*fault};
      }
      std::size_t offset = i * kTokenSize + static_cast<std::size_t>(token.value);
      std::size_t length = bytes[offset];
      if (offset + kLengthByteSize + length > bytes.size()) {
        return Unexpected{"token " + std::to_string(i) + ": string of length " +
                          std::to_string(length) + " runs past the end of the block"};
      }
    }
    // Cache words from a file are never trusted: the interpreter rebuilds its own.
    token.aux = 0;
    if (token.code == tok::kCode) token.value = 0;
    tokens[i] = token;
  }
  std::vector<std::uint8_t> pool(bytes.begin() + static_cast<std::ptrdiff_t>(poolStart),
                                 bytes.end());
  return CompiledScript(std::move(tokens), std::move(pool));
}

void CompiledScript::decode() { decoded_ = DecodedScript::Decode(*this); }

std::vector<std::uint8_t> CompiledScript::ToBytes() const {
  ByteWriter out;
  for (const Token& token : tokens_) {
    out.u16(token.code);
    out.i32(token.value);
    out.u16(token.aux);
  }
  out.bytes(pool_);
  return out.take();
}

}  // namespace lw
