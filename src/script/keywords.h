// The keyword table: 291 keywords and 16 symbol characters with their token codes, looked up
// without regard to case within the group of the word's first letter (symbols form a 27th group).
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace lw {

struct Keyword {
  std::string_view name;
  std::uint16_t code;
};

inline constexpr std::uint16_t kNotAKeyword = 1;  // never a token code
inline constexpr int kKeywordCount = 291;
inline constexpr int kSymbolCount = 16;

// Every entry, keywords then symbols, in code order within each band.
std::span<const Keyword> KeywordTable();

// The token code of a word or symbol, or kNotAKeyword.
std::uint16_t LookUpKeyword(std::string_view word);

// The name of a keyword code (the word, not the symbol, for 8005 and 8006); empty when unknown.
std::string_view KeywordName(std::uint16_t code);

// True for every code that the tokenizer can produce from the table.
bool IsKeywordCode(std::uint16_t code);

}  // namespace lw
