#include "script/keywords.h"

#include <array>

#include "script/fold.h"
#include "script/token.h"

namespace lw {
namespace {

constexpr int kTableSize = kKeywordCount + kSymbolCount;
constexpr int kGroupCount = 27;  // 'a'..'z', then the symbols

constexpr int GroupOf(std::string_view word) {
  std::uint8_t first = Fold(word[0]);
  return first >= 'a' && first <= 'z' ? first - 'a' : kGroupCount - 1;
}

// The table's entries ordered by group, each group in table order, with group bounds.
struct GroupIndex {
  std::array<std::uint16_t, kTableSize> entries{};
  std::array<std::uint16_t, kGroupCount + 1> start{};
};

constexpr GroupIndex kGroups = [] {
  GroupIndex index;
  int n = 0;
  for (int g = 0; g < kGroupCount; ++g) {
    index.start[g] = static_cast<std::uint16_t>(n);
    for (int i = 0; i < kTableSize; ++i) {
      if (GroupOf(kKeywordTable[i].name) == g) index.entries[n++] = static_cast<std::uint16_t>(i);
    }
  }
  index.start[kGroupCount] = static_cast<std::uint16_t>(n);
  return index;
}();

}  // namespace

std::span<const Keyword> KeywordTable() { return kKeywordTable; }

std::uint16_t LookUpKeyword(std::string_view word) {
  if (word.empty()) return kNotAKeyword;
  int group = GroupOf(word);
  for (int i = kGroups.start[group]; i < kGroups.start[group + 1]; ++i) {
    const Keyword& k = kKeywordTable[kGroups.entries[i]];
    if (FoldEqual(k.name, word)) return k.code;
  }
  return kNotAKeyword;
}

std::string_view KeywordName(std::uint16_t code) {
  for (const Keyword& k : kKeywordTable) {
    if (k.code == code) return k.name;
  }
  return {};
}

// By band, so that loading a script checks each token in constant time.
bool IsKeywordCode(std::uint16_t code) {
  auto in = [code](std::uint16_t first, std::uint16_t last) {
    return code >= first && code <= last;
  };
  return in(tok::kCode, tok::kDumpglobal) || in(tok::kPlus, tok::kLessEqual) ||
         in(tok::kFirstCommand, tok::kLastCommand) || in(tok::kFirstProperty, tok::kLastProperty) ||
         in(tok::kFirstFunction, tok::kLastFunction) || in(tok::kFirstEffect, tok::kLastEffect);
}

}  // namespace lw
