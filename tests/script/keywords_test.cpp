#include "script/keywords.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "script/fold.h"
#include "script/token.h"

namespace lw {
namespace {

TEST(Keywords, TableHolds291KeywordsAnd16SymbolsWithDistinctCodes) {
  auto table = KeywordTable();
  ASSERT_EQ(table.size(), 307u);
  int words = 0;
  std::map<std::uint16_t, int> perCode;
  std::set<std::string> names;
  for (const Keyword& k : table) {
    if (k.name.size() > 1) ++words;
    ++perCode[k.code];
    EXPECT_TRUE(names.insert(std::string(k.name)).second) << k.name;
  }
  EXPECT_EQ(words, 291);
  // Only `and` / & and `or` / | share a code.
  EXPECT_EQ(perCode.size(), 305u);
  EXPECT_EQ(perCode[tok::kAnd], 2);
  EXPECT_EQ(perCode[tok::kOr], 2);
}

TEST(Keywords, BandsAreConsecutiveAndComplete) {
  struct Band {
    std::uint16_t first;
    std::uint16_t last;
  };
  for (Band band : {Band{4001, 4029}, Band{8001, 8013}, Band{12001, 12088}, Band{16001, 16053},
                    Band{20001, 20108}, Band{24001, 24014}}) {
    EXPECT_FALSE(IsKeywordCode(band.first - 1)) << band.first;
    for (int code = band.first; code <= band.last; ++code) {
      EXPECT_TRUE(IsKeywordCode(static_cast<std::uint16_t>(code))) << code;
    }
    EXPECT_FALSE(IsKeywordCode(band.last + 1)) << band.last;
  }
  for (std::uint16_t notKeyword : {0, 1, 3, 4, 5, 6}) EXPECT_FALSE(IsKeywordCode(notKeyword));
}

TEST(Keywords, SampleCodesFromEachBand) {
  const std::map<std::string, std::uint16_t> samples = {
      {"code", 4001},       {"dumpglobal", 4029}, {"(", 4018},          {",", 4020},
      {"me", 4026},         {"+", 8001},          {"and", 8005},        {"&", 8005},
      {"or", 8006},         {"|", 8006},          {"@", 8007},          {"\xAD", 8009},
      {"\xB3", 8012},       {"\xB2", 8013},       {"message", 12001},   {"castwarm", 12088},
      {"quit", 12071},      {"actorvisible", 16001}, {"variable", 16030}, {"puppetbase", 16053},
      {"random", 20001},    {"type", 20050},      {"sqrt", 20108},      {"barndoorclose", 24001},
      {"plain", 24014},
  };
  for (const auto& [name, code] : samples) EXPECT_EQ(LookUpKeyword(name), code) << name;
  EXPECT_EQ(KeywordName(8005), "and");
  EXPECT_EQ(KeywordName(8006), "or");
  EXPECT_EQ(KeywordName(20108), "sqrt");
  EXPECT_EQ(KeywordName(7), "");
}

TEST(Keywords, LookUpIgnoresCase) {
  EXPECT_EQ(LookUpKeyword("MESSAGE"), 12001);
  EXPECT_EQ(LookUpKeyword("Sqrt"), 20108);
  EXPECT_EQ(LookUpKeyword("EndCode"), tok::kEndcode);
  EXPECT_EQ(LookUpKeyword("AND"), tok::kAnd);
}

TEST(Keywords, NonKeywordsGiveOne) {
  for (std::string_view word : {"", "hello", "messages", "messag", "keydown", "x", ";", "#",
                                "\t", "\n", "<>", "\xAE", "sqrt2"}) {
    EXPECT_EQ(LookUpKeyword(word), kNotAKeyword) << word;
  }
}

TEST(Keywords, FirstLetterGroupsAreAtMost63Long) {
  std::map<char, int> groups;
  for (const Keyword& k : KeywordTable()) {
    std::uint8_t first = Fold(k.name[0]);
    if (first >= 'a' && first <= 'z') ++groups[static_cast<char>(first)];
  }
  EXPECT_EQ(groups['s'], 63);
  for (char empty : {'j', 'u', 'x', 'y', 'z'}) EXPECT_EQ(groups.count(empty), 0u) << empty;
  for (const auto& [letter, size] : groups) EXPECT_LE(size, 63) << letter;
}

}  // namespace
}  // namespace lw
