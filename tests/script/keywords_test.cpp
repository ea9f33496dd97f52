#include "script/keywords.h"

#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <string>
#include <utility>

#include "script/token.h"

namespace lw {
namespace {

TEST(Keywords, TableHolds291KeywordsAnd16SymbolsWithDistinctNames) {
  std::set<std::string_view> names;
  std::set<std::uint16_t> codes;
  int words = 0;
  for (const Keyword& k : KeywordTable()) {
    words += k.name.size() > 1 ? 1 : 0;
    names.insert(k.name);
    codes.insert(k.code);
  }
  EXPECT_EQ(names.size(), 307u);
  EXPECT_EQ(words, 291);
  EXPECT_EQ(codes.size(), 305u);  // `and` / & and `or` / | share their codes
}

TEST(Keywords, EachBandStartsAndEndsAtItsCodeWhateverTheCase) {
  const std::pair<std::string_view, std::uint16_t> edges[] = {
      {"code", 4001},        {"dumpglobal", 4029},
      {"(", 4018},           {"+", 8001},
      {"and", 8005},         {"or", 8006},
      {"\xB2", 8013},        {"message", 12001},
      {"castwarm", 12088},   {"actorvisible", 16001},
      {"puppetbase", 16053}, {"random", 20001},
      {"sqrt", 20108},       {"barndoorclose", 24001},
      {"plain", 24014},
  };
  for (const auto& [name, code] : edges) {
    std::string upper(name);
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(LookUpKeyword(name), code) << name;
    EXPECT_EQ(LookUpKeyword(upper), code) << upper;
    EXPECT_EQ(KeywordName(code), name);
  }
  // The codes just outside each band, and the non-keyword token codes.
  for (int code : {4000, 4030, 8000, 8014, 12000, 12089, 16000, 16054, 20000, 20109, 24000, 24015,
                   0, 3, 4, 5, 6}) {
    EXPECT_FALSE(IsKeywordCode(static_cast<std::uint16_t>(code))) << code;
  }
  EXPECT_EQ(KeywordName(7), "");
}

TEST(Keywords, NonKeywordsGiveOne) {
  for (std::string_view word : {"", "hello", "messages", "messag", "keydown", "x", ";", "#", "\t",
                                "\n", "<>", "\xAE", "sqrt2"}) {
    EXPECT_EQ(LookUpKeyword(word), kNotAKeyword) << word;
  }
}

}  // namespace
}  // namespace lw
